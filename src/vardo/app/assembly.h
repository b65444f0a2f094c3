#pragma once
// Vardo, assembled: every run-time component in the order it is built,
// wired to the others, with its start-up and shutdown steps. It is the one
// timer dispatcher and the one handler of the commands the core posts
// (simulation, folder run, automatic operation, the toggles). The window,
// the headless commands and the tests differ only in the parts they pass.
#include "vardo/app/assembly_parts.h"
#include "vardo/app/detection_host_impl.h"
#include "vardo/app/extended_turntable.h"
#include "vardo/app/rail_system.h"
#include "vardo/app/sdk_link.h"
#include "vardo/app/speech_component.h"
#include "vardo/app/startup.h"
#include "vardo/app/timer_dispatch.h"
#include "vardo/base/command_ids.h"
#include "vardo/devices/serial_port.h"
#include "vardo/devices/sound_engine.h"
#include "vardo/devices/usb_controller.h"
#include "vardo/layout/layout.h"
#include "vardo/operation/control_loop.h"
#include "vardo/operation/control_points.h"
#include "vardo/operation/controller_action.h"
#include "vardo/operation/folder_run.h"
#include "vardo/operation/program_editor.h"
#include "vardo/operation/simulation.h"
#include "vardo/operation/sound_calls.h"
#include "vardo/operation/speed_control.h"
#include "vardo/operation/usb_devices.h"
#include "vardo/panel/controller_panel.h"
#include "vardo/panel/parameter_settings.h"
#include "vardo/panel/pass_counter.h"
#include "vardo/vision/calibration.h"
#include "vardo/vision/calibration_run.h"
#include "vardo/vision/detector.h"
#include "vardo/vision/video_source.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace vardo {

class VardoAssembly : private TimerTargets {
public:
    VardoAssembly(Frontend& frontend, std::string programFolder, AssemblyParts parts);
    ~VardoAssembly() override;
    VardoAssembly(const VardoAssembly&) = delete;
    VardoAssembly& operator=(const VardoAssembly&) = delete;

    // The whole start-up, once (the view's first paint).
    StartupOutcome start(std::string_view commandLine = {});
    // Everything taken down in order, once; no posted command runs after.
    void shutdown();
    bool started() const { return rail_.started(); }

    // ---- the core's commands; true when the id was one of them
    bool handleCommand(int id);
    // Starts the simulation, or leaves a running one (the menu command).
    void simulationCommand();
    // Starts the simulation unless it runs; false when it cannot.
    bool startSimulation();
    void stopSimulation();
    // Starts the loaded program, or stops it.
    void autoOperationCommand();
    // The controller panel's button: the checks of a real layout apply.
    bool pressAutoButton();
    void toggleEmergencyStop();
    void toggleControlPoints();
    void selectSkin(int skin);
    bool folderRunActive();

    // ---- calibration
    // A calibration run on its own thread; false without the progress
    // dialog or while one runs.
    bool startCalibration();
    void abortCalibration();
    // Waits for a calibration run to end.
    void joinCalibration();
    bool calibrationRunning() const;

    // ---- timers
    void onTimer(int id);

    // The video file (or camera) ended or failed; true without a source.
    bool videoFinished();
    bool videoOpened() const { return host_->videoRunning(); }
    // Whether the calibration file of the command line loaded.
    bool calibrationLoaded() const { return calibrationLoaded_; }
    bool programLoaded() const { return programLoaded_; }
    bool layoutLoaded() const { return layoutLoaded_; }
    bool emergencyStopOn() const { return emergencyStop_; }
    bool controlPointsOn() const { return controlPointsOn_; }
    int skin() const { return skin_; }
    // The capture runs from a camera or a file.
    bool captureRunning() const { return video_ && video_->running(); }
    // Tells detection whether frames flow (the window's live display).
    void setVideoRunning(bool running) { host_->setVideoRunning(running); }

    // The frame callback of the source's thread: detection, then the hook.
    void onFrame(std::span<const uint8_t> frame, int width, int height);

    // ---- components
    RailSystem& rail() { return rail_; }
    Settings& settings() { return settings_; }
    Frontend& frontend() { return frontend_; }
    layout::Layout& layout() { return layout_; }
    TrainState& trains() { return trains_; }
    Controller& controller() { return controller_; }
    SpeedControl& speed() { return speed_; }
    SoundCalls& sounds() { return sounds_; }
    Simulation& simulation() { return simulation_; }
    ControlPoints& controlPoints() { return controlPoints_; }
    Operation& operation() { return *operation_; }
    devices::UsbController& usb() { return *usb_; }
    Program& program() { return program_; }
    ProgramEditor& editor() { return *editor_; }
    FolderRun& folderRun() { return *folderRun_; }
    vision::Calibration& calibration() { return *calibration_; }
    vision::Detector& detector() { return *detector_; }
    ControlDetectionHost& detectionHost() { return *host_; }
    // Null when Vardo runs without a picture source.
    vision::VideoSource* video() { return video_.get(); }
    SoundPort* soundPort() { return sound_.get(); }
    ExtendedPort* extendedPort() { return extended_.get(); }

    // ---- the outside-program interface (started with -s)
    SdkLink& sdk() { return *sdk_; }
    // The USB I/O controller or the extended interface is connected.
    bool controllerConnected() const;
    // An outside program's run of a program file: the lamp, the file, the
    // view, then automatic operation. Refused once closing has begun.
    void runProgramFileForOutside(const std::string& path);
    // Starts the loaded program; refused once closing has begun.
    void startProgramForOutside();
    // The operating flag without a program; refused once closing has begun.
    void setOutsideControl(bool on);

    // ---- sound engine and extended interface (null when left out)
    devices::SoundEngine* soundEngine() { return soundEngine_; }
    devices::ExtendedInterface* extendedInterface() { return extendedInterface_; }
    // The panel's turntable buttons outside simulation: flip the
    // orientation, or select track 1..5 in the present one.
    void reverseTurntable();
    void selectTurntableTrack(int track);
    // The parameter dialog's COM choice for the USB I/O controller.
    int selectComPort(int number);

    // ---- controller panel
    panel::ControllerPanel& panel() { return *controllerPanel_; }
    // Counts analysed frames at the pass point while the parameter dialog
    // is open.
    panel::PassCounter& passCounter() { return passCounter_; }
    // Loads the chosen skin (SKIN, SPEED_SERVO) for whoever shows the panel;
    // a skin that does not load says so and leaves the panel empty.
    bool loadPanel();
    // The parameter dialog's values in force: detection, crossings and
    // control points take them at once.
    // The values in force while the parameter dialog is edited.
    void applyParameters(const panel::ParameterValues& values);
    // OK of the dialog: the values as written, pulse-width control included.
    void commitParameters(const panel::ParameterValues& values);
    panel::LayoutFeatures layoutFeatures() const;
    // ---- speech recognition (null when left out)
    SpeechComponent* speech() { return speechComponent_; }
    // The menu command "音声認識" is offered while speech is not active.
    bool speechActive() const;

private:
    void makeOptionalComponents();
    void makeVideoSource();
    void wire();
    void installSteps();
    void installShutdownSteps();
    bool bringUpDisplaySettings();
    bool bringUpLayout();
    bool loadProgram();
    bool loadCalibration();
    bool bringUpDevices();
    bool bringUpControl();
    void runNextProgramOfFolder();
    void turntableTurned(int track, bool reversed);
    void changed();
    // ---- sound engine and extended interface
    void makeTurntableSide();
    void wireDevices();
    void installDeviceSteps();
    bool initSound();
    void bringUpExtended();
    int sensorRatio(int index) const;
    // ---- controller panel
    void makePanel();
    void panelTurntable(int track, bool reversed);
    // ---- speech recognition
    void wireSpeech();
    bool handleSpeechCommand(int id);
    void runSpeechEvents();
    // A view state from the hooks, for detection.
    vision::DisplayMode displayMode() const;

    // TimerTargets
    bool crossingTimer(int id) override { return layout_.onTimer(id); }
    void fadeStep() override { speed_.onTimer(SpeedControl::kFadeTimerId); }
    void servoMoveEnded(int servo) override;
    void killTimer(int id) override { frontend_.killTimer(id); }
    void clearPointBusy(int id) override { usb_->onTimer(id); }
    bool operating() const override { return operation_->operating(); }
    void chainTimer(int id) override { operation_->onTimer(id); }

    Frontend& frontend_;
    AssemblyParts parts_;
    RailSystem rail_;
    Settings settings_;
    Startup startup_;
    Shutdown shutdown_;

    layout::Layout layout_;
    TrainState trains_;
    Controller controller_;
    SpeedControl speed_;
    SoundCalls sounds_;
    Simulation simulation_;
    ControlPoints controlPoints_;
    // Made before everything its host reaches and stopped before any of it
    // goes (shutdown), so its polling thread never sees a freed component.
    std::unique_ptr<SdkLink> sdk_;
    std::unique_ptr<SoundPort> sound_;
    std::unique_ptr<ExtendedPort> extended_;
    std::unique_ptr<Component> speech_;
    // The real components among the above, found by type.
    devices::SoundEngine* soundEngine_ = nullptr;
    devices::ExtendedInterface* extendedInterface_ = nullptr;
    std::unique_ptr<ExtendedTurntable> turntableSide_;
    // ---- controller panel: made before detection, which reports pass
    // points to the counter from the streaming thread, and freed after it.
    panel::PassCounter passCounter_;
    std::unique_ptr<vision::PassPointDisplay> passPoints_;
    std::unique_ptr<panel::ControllerPanel> controllerPanel_;
    // The speech component among the above, found by type.
    SpeechComponent* speechComponent_ = nullptr;
    std::unique_ptr<TurntableButtons> speechTurntable_;
    std::unique_ptr<Operation> operation_;
    devices::SerialPortOpener portOpener_;
    std::unique_ptr<devices::UsbController> usb_;
    std::unique_ptr<UsbDevices> usbDevices_;
    Program program_;
    std::unique_ptr<ProgramEditor> editor_;
    std::unique_ptr<FolderRun> folderRun_;
    std::unique_ptr<vision::Calibration> calibration_;
    std::unique_ptr<ControlDetectionHost> host_;
    std::unique_ptr<vision::Detector> detector_;
    std::unique_ptr<vision::CalibrationRun> calibrationRun_;
    // The last members: frames stop before anything they reach goes.
    std::unique_ptr<vision::VideoBackend> backend_;
    std::unique_ptr<vision::VideoSource> video_;

    // Commands come from the frontend's thread, simulation also from the
    // caller's; closing waits for a running command and refuses later ones.
    std::recursive_mutex commandMutex_;
    bool closing_ = false;
    bool layoutLoaded_ = false;
    bool programLoaded_ = true;
    bool calibrationLoaded_ = true;
    bool emergencyStop_ = true;
    bool controlPointsOn_ = true;
    int skin_ = 1;
};

} // namespace vardo
