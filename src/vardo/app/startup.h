#pragma once
// Bringing Vardo up on the first paint of its view and taking it down when
// the view goes. Components plug their steps in by stage; within a stage
// steps run in the order they were added.
#include "vardo/base/frontend.h"
#include "vardo/app/rail_system.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vardo {

// The component stages, in the order they come up.
enum class StartupStage {
    VideoFramework = 1, // fails with "キャプチャーの初期化に失敗しました"
    Sound,              // given the -s flag; "サウンドクラスの初期化に失敗しました"
    Display,            // display buffers and settings; "キャプチャーの初期化に失敗しました"
    LayoutModel,        // "レイアウトクラスの初期化に失敗しました"
    DeviceAndProgram,   // extended-interface state, operation events, program, calibration
                        // file, USB I/O controller, extended interface: never stop start-up
    Sdk,                // given the -s flag; "APIクラスの初期化に失敗しました"
    Control,            // tracking buffers and the controller panel; "コントロールクラスの初期化に失敗しました"
};

// The message a failing step of the stage stops start-up with; 0 when the
// stage's steps report their own problems and start-up goes on.
int stageFailureMessage(StartupStage stage);

struct StartupStep {
    StartupStage stage;
    std::string name;
    std::function<bool(RailSystem&)> run; // true on success
};

enum class VideoOpenResult { Opened, NoCamera, Failed };

// Pieces that start-up calls after the components, when present.
struct StartupHooks {
    // [SPEECH] ENABLE is 1: start speech recognition (it reports its own failure).
    std::function<void(RailSystem&)> startSpeech;
    // Opens (and on success runs) the video source with the -i path. Without
    // it no picture source is opened.
    std::function<VideoOpenResult(RailSystem&)> openVideoSource;
    // Whether the USB I/O controller or the extended interface is connected.
    // Without it neither is.
    std::function<bool(RailSystem&)> controllerConnected;
};

enum class StartupOutcome {
    Started,
    AlreadyRun,        // start-up runs once; later paints only repaint
    IniMissing,        // VARDO.ini absent
    DisclaimerRefused,
    ComponentFailed,
};

class Startup {
public:
    Startup(RailSystem& rail, Frontend& frontend);

    void addStep(StartupStep step);
    const std::vector<StartupStep>& steps() const { return steps_; }
    StartupHooks hooks;

    // The view's paint entry: the whole start-up the first time, nothing after.
    StartupOutcome onPaint(std::string_view commandLine);

private:
    StartupOutcome run(std::string_view commandLine);
    bool checkConfiguration();
    bool confirmDisclaimer();
    void readCommandLine(std::string_view commandLine);
    bool bringUpComponents();
    void openVideoSource();
    void noticeSidings();
    void fail();

    RailSystem& rail_;
    Frontend& frontend_;
    std::vector<StartupStep> steps_;
    bool attempted_ = false;
    bool openEditor_ = false;
};

// The stages of taking Vardo down, in order. The first and the last always
// run; the others only when start-up had completed.
enum class ShutdownStage {
    ReleaseSoundPerformance = 1,
    StopControlPointWatcher,
    StopSoundPlayback,
    StopCapture,
    EndOperation,
    EndSdk,
    ReleaseDetection,
    CloseUsbController,
    FreeLayoutAndProgram,
    CloseExtendedInterface,
    CloseEvents,
    ReleaseFrameworks,
};

bool shutdownStageNeedsStart(ShutdownStage stage);

struct ShutdownStep {
    ShutdownStage stage;
    std::string name;
    std::function<void(RailSystem&)> run;
};

class Shutdown {
public:
    explicit Shutdown(RailSystem& rail) : rail_(rail) {}

    void addStep(ShutdownStep step);
    // Runs once; the paths go last.
    void run();
    bool done() const { return done_; }

private:
    RailSystem& rail_;
    std::vector<ShutdownStep> steps_;
    bool done_ = false;
};

} // namespace vardo
