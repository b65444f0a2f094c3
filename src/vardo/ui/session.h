#pragma once
// The window's side of Vardo: the assembly of every component, and the
// view's own state (display mode, focus meter, angle correction, the
// frames handed to the screen). No widget lives here, so the whole of it
// runs headless under tests.
#include "vardo/app/assembly.h"
#include "vardo/ui/display_state.h"
#include "vardo/ui/focus_meter.h"
#include "vardo/ui/frame_swap.h"
#include "vardo/ui/menu_rules.h"
#include "vardo/ui/view_renderer.h"
#include "vardo/vision/angle_correction.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>

namespace vardo::ui {

// What the session asks of the window. Every hook runs on the user-
// interface thread except frameReady and frameSizeChanged, which any
// thread may call.
struct SessionHooks {
    std::function<void()> frameReady;           // a new picture to paint
    std::function<void(QSize view)> resizeView; // the view must take this size
    std::function<void()> stateChanged;         // menus may need updating
    // The camera's frames differ from the view's size: the window asks
    // viewSize() again on its own thread.
    std::function<void()> frameSizeChanged;
};

struct SessionParts {
    vision::CalibrationProgress* progress = nullptr;
    CommandEditor* commandEditor = nullptr;
    ProgramFileChooser* fileChooser = nullptr;
    // Null: the GStreamer framework.
    std::unique_ptr<vision::VideoBackend> videoBackend;
    // The optional components; null factories leave them out.
    AssemblyFactories factories;
    // The outside-program interface's clipboard and window attachment.
    AssemblySdkHooks sdk;
};

class Session {
public:
    Session(Frontend& frontend, std::string programFolder, SessionParts parts, SessionHooks hooks);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The view's first paint: the whole start-up, once.
    StartupOutcome start(std::string_view commandLine);
    // The view goes: everything is taken down, once.
    void shutdown();
    bool started() const { return assembly_->started(); }

    UiState uiState() const;
    DisplayState& display() { return display_; }
    FrameSwap& frames() { return frames_; }
    FocusMeter& focus() { return focus_; }

    // ---- view commands
    // The display commands of the view menu (and the popup).
    void displayCommand(int id);
    void setDisplayMode(DisplayMode mode);
    // The view's size for the mode: the camera's picture as the last frame
    // had it, else as the camera was asked for.
    QSize viewSize() const;
    bool debugMenu() const { return debugMenu_; }
    // The commands the assembly carries out (simulation, folder run, the
    // automatic operation, toggles, cameras); false for any other id.
    bool coreCommand(int id);
    void simulationCommand() { coreCommand(cmd::Simulation); }
    bool openVideoFile(const std::string& path);

    // ---- calibration
    bool startCalibration();
    void abortCalibration() { assembly_->abortCalibration(); }
    bool openAngleCorrection();
    void angleMouse(vision::MouseKind kind, QPoint p);
    void closeAngleCorrection(bool ok);
    bool angleCorrecting() const { return angle_->isOpen(); }
    bool markingActive() const { return angle_->isOpen(); }
    bool saveCalibration(const std::string& path);

    // ---- exit
    // Before closing: the save questions. True when the window may close
    // (the capture is then stopped).
    bool confirmExit(const std::function<std::string()>& chooseCalibrationPath);

    // The layout display in simulation: the display picture redrawn with
    // the simulated cars. True when it was drawn.
    bool drawSimulation() { return renderer_->drawSimulation(); }

    // The command the program display highlights: the one the control loop
    // executes while a program runs, else the editor's selection.
    int highlightedCommand() const;

    // ---- parts, for the window's dialogs
    VardoAssembly& assembly() { return *assembly_; }
    layout::Layout& layout() { return assembly_->layout(); }
    Program& program() { return assembly_->program(); }
    ProgramEditor& editor() { return assembly_->editor(); }
    vision::Calibration& calibration() { return assembly_->calibration(); }
    vision::VideoSource& video() { return *assembly_->video(); }
    Operation& operation() { return assembly_->operation(); }
    Simulation& simulation() { return assembly_->simulation(); }
    Controller& controller() { return assembly_->controller(); }
    TrainState& trains() { return assembly_->trains(); }
    RailSystem& rail() { return assembly_->rail(); }
    Settings& settings() { return assembly_->settings(); }
    bool layoutLoaded() const { return assembly_->layoutLoaded(); }

private:
    AssemblyParts assemblyParts(SessionParts parts);
    void readViewSettings();
    void showLive(bool centroid);
    void showSimulation();
    void changed();
    void onFrame(std::span<const uint8_t> frame, int width, int height);
    void switchFocusOffWhenBusy();
    void forgetFrameSize();

    Frontend& frontend_;
    SessionHooks hooks_;
    DisplayState display_;
    FocusMeter focus_;
    FrameSwap frames_;
    std::atomic<bool> angleOpen_{false};
    // The size of the last camera frame, 0 before the first.
    std::atomic<int> frameWidth_{0};
    std::atomic<int> frameHeight_{0};
    bool debugMenu_ = false;
    std::unique_ptr<VardoAssembly> assembly_;
    std::unique_ptr<vision::AngleCorrection> angle_;
    std::unique_ptr<ViewRenderer> renderer_;
};

} // namespace vardo::ui
