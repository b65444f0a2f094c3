#pragma once
// Everything the window runs on, wired together: the layout, detection and
// calibration, the video source, the program and its operation, the
// simulation, control points and the relay board, with the start-up and
// shutdown sequences. It is the view's RailSystem side; no widget lives
// here, so the whole of it runs headless under tests.
#include "vardo/app/rail_system.h"
#include "vardo/app/startup.h"
#include "vardo/devices/serial_port.h"
#include "vardo/devices/usb_controller.h"
#include "vardo/layout/layout.h"
#include "vardo/operation/control_loop.h"
#include "vardo/operation/control_points.h"
#include "vardo/operation/controller_action.h"
#include "vardo/app/detection_host_impl.h"
#include "vardo/operation/program_editor.h"
#include "vardo/operation/simulation.h"
#include "vardo/operation/sound_calls.h"
#include "vardo/operation/speed_control.h"
#include "vardo/operation/usb_devices.h"
#include "vardo/ui/display_state.h"
#include "vardo/ui/focus_meter.h"
#include "vardo/ui/frame_swap.h"
#include "vardo/ui/menu_rules.h"
#include "vardo/ui/timer_dispatch.h"
#include "vardo/ui/view_drawing.h"
#include "vardo/vision/angle_correction.h"
#include "vardo/vision/calibration.h"
#include "vardo/vision/calibration_run.h"
#include "vardo/vision/detector.h"
#include "vardo/vision/video_source.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>

namespace vardo::ui {

// What the session asks of the window. Every hook runs on the user-
// interface thread except frameReady, which any thread may call.
struct SessionHooks {
    std::function<void()> frameReady;           // a new picture to paint
    std::function<void(QSize view)> resizeView; // the view must take this size
    std::function<void()> stateChanged;         // menus may need updating
};

struct SessionParts {
    vision::CalibrationProgress* progress = nullptr;
    CommandEditor* commandEditor = nullptr;
    ProgramFileChooser* fileChooser = nullptr;
    // Null: the GStreamer framework.
    std::unique_ptr<vision::VideoBackend> videoBackend;
};

class Session : private TimerTargets {
public:
    Session(Frontend& frontend, std::string programFolder, SessionParts parts, SessionHooks hooks);
    ~Session() override;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The view's first paint: the whole start-up, once.
    StartupOutcome start(std::string_view commandLine);
    // The view goes: everything is taken down, once.
    void shutdown();
    bool started() const { return rail_.started(); }

    UiState uiState() const;
    DisplayState& display() { return display_; }
    FrameSwap& frames() { return frames_; }
    FocusMeter& focus() { return focus_; }

    // ---- view commands
    // The display commands of the view menu (and the popup).
    void displayCommand(int id);
    void setDisplayMode(DisplayMode mode);
    QSize viewSize() const;
    bool debugMenu() const;
    // The simulation command: starts it, or stops a running one.
    void simulationCommand();
    // Our automatic-operation command: starts the loaded program, or stops it.
    void autoOperationCommand();
    void toggleEmergencyStop();
    void toggleControlPoints();
    void selectSkin(int skin);

    // ---- calibration
    bool startCalibration();
    void abortCalibration();
    bool openAngleCorrection();
    void angleMouse(vision::MouseKind kind, QPoint p);
    void closeAngleCorrection(bool ok);
    bool angleCorrecting() const { return angle_.isOpen(); }
    bool markingActive() const { return angle_.isOpen(); }
    bool saveCalibration(const std::string& path);

    // ---- exit
    // Before closing: the save questions. True when the window may close
    // (the capture is then stopped).
    bool confirmExit(const std::function<std::string()>& chooseCalibrationPath);

    // ---- timers of the main window
    void onTimer(int id);

    // The layout display in simulation: the display picture redrawn with
    // the simulated cars. True when it was drawn.
    bool drawSimulation();

    // ---- parts, for the window's dialogs
    layout::Layout& layout() { return layout_; }
    Program& program() { return program_; }
    ProgramEditor& editor() { return *editor_; }
    vision::Calibration& calibration() { return *calibration_; }
    vision::VideoSource& video() { return *video_; }
    Operation& operation() { return *operation_; }
    Simulation& simulation() { return simulation_; }
    Controller& controller() { return controller_; }
    TrainState& trains() { return trains_; }
    RailSystem& rail() { return rail_; }
    Settings& settings() { return settings_; }
    bool layoutLoaded() const { return layoutLoaded_; }

    // The frame callback (the source's thread): detection, then drawing.
    void onFrame(std::span<const uint8_t> frame, int width, int height);

    // What detection and the calibration run see of the control side.
    ControlDetectionHost& detectionHost() { return *host_; }

private:
    void installSteps();
    bool bringUpDisplay();
    bool bringUpLayout();
    bool bringUpDevicesAndProgram();
    void stopSimulation();
    void showLive(bool centroid);
    void changed();
    void drawCameraFrame(std::span<const uint8_t> frame, int width, int height);
    void drawCameraOverlays(QPainter& painter, int width, int height);
    void drawLayoutFrame();
    void drawCars(const int* positions, int count);
    void switchFocusOffWhenBusy();

    // TimerTargets
    bool crossingTimer(int id) override { return layout_.onTimer(id); }
    void fadeStep() override { speed_.onTimer(kFadeTimer); }
    void servoMoveEnded(int servo) override;
    void killTimer(int id) override { frontend_.killTimer(id); }
    void clearPointBusy(int id) override { usb_->onTimer(id); }
    bool operating() const override { return operation_->operating(); }
    void chainTimer(int id) override { operation_->onTimer(id); }

    Frontend& frontend_;
    RailSystem rail_;
    Settings settings_;
    SessionHooks hooks_;
    vision::CalibrationProgress* progress_;
    Startup startup_;
    Shutdown shutdown_;

    layout::Layout layout_;
    TrainState trains_;
    Controller controller_;
    SpeedControl speed_;
    SoundCalls sounds_;
    Simulation simulation_;
    ControlPoints controlPoints_;
    std::unique_ptr<Operation> operation_;
    devices::SerialPortOpener portOpener_;
    std::unique_ptr<devices::UsbController> usb_;
    std::unique_ptr<UsbDevices> usbDevices_;
    Program program_;
    std::unique_ptr<ProgramEditor> editor_;
    std::unique_ptr<vision::Calibration> calibration_;
    std::unique_ptr<ControlDetectionHost> host_;
    std::unique_ptr<vision::Detector> detector_;
    std::unique_ptr<vision::CalibrationRun> calibrationRun_;
    vision::AngleCorrection angle_;
    std::unique_ptr<vision::VideoBackend> backend_;
    std::unique_ptr<vision::VideoSource> video_;

    DisplayState display_;
    FocusMeter focus_;
    FrameSwap frames_;
    ViewPens pens_;
    int focusRange_ = 10000;
    bool enableExcept_ = true;
    bool debugMenu_ = false;
    bool layoutLoaded_ = false;
    bool emergencyStop_ = true;
    bool controlPointsOn_ = true;
    int skin_ = 1;
    std::atomic<bool> angleOpen_{false};
    uint64_t layoutAnalyses_ = 0; // streaming thread: analyses drawn in the layout display
};

} // namespace vardo::ui
