// vardo-run run: automatic operation without a window. Brings Vardo up on
// the program folder, switches to simulation mode (or, with -i, detects the
// train in a video file), presses the automatic-operation button, runs
// until the program ends, the time is up, the video ends or Ctrl+C, then
// shuts down in order. Prints a trace of what it did.
#include "common/paths.h"
#include "common/profile.h"
#include "vardo/app/cli/cli_video_rig.h"
#include "vardo/app/cli/command_registry.h"
#include "vardo/base/command_ids.h"
#include "vardo/app/console_frontend.h"
#include "vardo/app/startup.h"
#include "vardo/devices/serial_port.h"
#include "vardo/devices/usb_controller.h"
#include "vardo/layout/layout.h"
#include "vardo/operation/auto_button.h"
#include "vardo/operation/control_points.h"
#include "vardo/operation/folder_run.h"
#include "vardo/operation/logging_seams.h"
#include "vardo/operation/program_editor.h"
#include "vardo/operation/simulation.h"
#include "vardo/operation/trace_printer.h"
#include "vardo/operation/usb_devices.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <thread>

namespace vardo::cli {

namespace {

struct RunOptions {
    std::string program;
    std::string video;       // -i: detection on this file instead of simulation
    std::string calibration; // overrides [CALIBRATION] FILE_PATH
    bool simulate = false;
    int seconds = 0; // 0: no limit
    bool json = false;
};

bool parseRunOptions(const std::vector<std::string>& args, RunOptions& o, std::string& error)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool more = i + 1 < args.size();
        if (a == "--program" && more) {
            o.program = args[++i];
        } else if (a == "-i" && more) {
            o.video = args[++i];
        } else if (a == "--calibration" && more) {
            o.calibration = args[++i];
        } else if (a == "--simulate") {
            o.simulate = true;
        } else if (a == "--json") {
            o.json = true;
        } else if (a == "--seconds" && more) {
            char* end = nullptr;
            const long v = std::strtol(args[++i].c_str(), &end, 10);
            if (*end != '\0' || v <= 0 || v > 86400 * 7)
                return error = "--seconds needs a number of seconds", false;
            o.seconds = int(v);
        } else {
            return error = "unknown option: " + a, false;
        }
    }
    if (!o.video.empty() && o.simulate)
        return error = "-i and --simulate exclude each other", false;
    if (o.video.empty() && !o.calibration.empty())
        return error = "--calibration needs -i", false;
    return true;
}

// Ctrl+C and termination, taken by a thread of their own with sigwait: no
// work happens in a signal handler.
class SignalWatcher {
public:
    SignalWatcher()
    {
        sigemptyset(&set_);
        sigaddset(&set_, SIGINT);
        sigaddset(&set_, SIGTERM);
        sigaddset(&set_, SIGUSR1);
        // Blocked before any other thread exists, so every thread inherits it.
        pthread_sigmask(SIG_BLOCK, &set_, nullptr);
        thread_ = std::thread([this] {
            for (;;) {
                int signal = 0;
                if (sigwait(&set_, &signal) != 0 || signal == SIGUSR1)
                    return;
                interrupted_ = true;
            }
        });
    }
    ~SignalWatcher()
    {
        pthread_kill(thread_.native_handle(), SIGUSR1);
        thread_.join();
    }
    bool interrupted() const { return interrupted_; }

private:
    sigset_t set_;
    std::atomic<bool> interrupted_{false};
    std::thread thread_;
};

class NoDialogs : public CommandEditor, public ProgramFileChooser {
public:
    bool editCommand(ProgramCommand&, const ProgramLayoutFacts&) override { return false; }
    bool chooseSavePath(const std::string&, std::string&) override { return false; }
    bool chooseOpenPath(const std::string&, std::string&) override { return false; }
};

// Every run-time object of one run, wired as the main window wires them.
struct Runtime {
    Runtime(ConsoleFrontend& frontend, TracePrinter& trace, const std::string& folder)
        : frontend(frontend), trace(trace), rail(folder), startup(rail, frontend),
          shutdown(rail), layout(frontend), opener(rail.optionIniPath()),
          usb(frontend, opener, rail.optionIniPath(), folder),
          editor(program, frontend, dialogs, dialogs, rail.optionIniPath(), folder),
          folderRun(editor, frontend, rail.optionIniPath()), usbDevices(usb),
          sound(frontend, rail.optionIniPath()),
          ext(rail.optionIniPath(), [&trace](const std::string& t) { trace.device("ext", t); }),
          controller(frontend, &layout.model()), speed(frontend, controller),
          operation(frontend, controller, speed, trains, sounds, &layout.model()),
          simulation(controller, speed, trains), controlPoints(controller, trains, sounds)
    {
        wire();
    }

    void wire();
    void addSteps(const RunOptions& options);
    bool folderRunActive()
    {
        std::lock_guard lock(folderMutex);
        return folderRun.active();
    }
    void onCommand(int id);
    void onTimer(int id);
    bool startSimulation();
    // Ends operation (no next program may start) and shuts down in order.
    void close();

    ConsoleFrontend& frontend;
    TracePrinter& trace;
    RailSystem rail;
    Startup startup;
    Shutdown shutdown;
    layout::Layout layout;
    devices::SerialPortOpener opener;
    devices::UsbController usb;
    NoDialogs dialogs;
    Program program;
    ProgramEditor editor;
    FolderRun folderRun;
    std::mutex folderMutex; // the folder run is asked from the loop thread too
    // Simulation is started both by --simulate on the main thread and by the
    // no-camera command on the frontend's thread; only one may start it.
    std::mutex simulationMutex;
    bool closing = false;   // guarded by folderMutex
    UsbDevices usbDevices;
    LoggingSound sound;
    LoggingExtended ext;
    TrainState trains;
    SoundCalls sounds;
    Controller controller;
    SpeedControl speed;
    Operation operation;
    Simulation simulation;
    ControlPoints controlPoints;
    bool programLoaded = true;
    // Detection on a video file (-i); the last member, so that its frames
    // stop before anything it reports to goes.
    std::unique_ptr<VideoRig> video;
};

void Runtime::wire()
{
    controller.setDevices(&usbDevices);
    controller.setObserver(&trace);
    controller.setPointSetter([this](int k, bool branch) { layout.setPoint(k, branch, true); });
    controller.setRelayHook([this](int relay, bool on) { layout.crossingDrive(relay, on); });
    controller.setTrainStartHook([this](bool backward) {
        const Settings s = rail.settings();
        if (controlPoints.watching() && s.getInt(SettingId::AutoCheckControl) == 1)
            controlPoints.prePass(backward);
    });
    sounds.setPort(&sound);
    sounds.setObserver(&trace);
    sounds.setStopAllHook([this] { controlPoints.clearSoundHolds(); });
    speed.setExtended(&ext);
    speed.setObserver(&trace);
    ext.setArrival([this] { operation.onTurntableArrived(); });
    operation.setExtended(&ext);
    operation.setObserver(&trace);
    operation.setFolderRunQuery([this] { return folderRunActive(); });
    simulation.setObserver(&trace);
    simulation.setTurntableQuery([this] { return operation.turntableTrack.load(); });
    usb.setTrafficObserver([this](const std::string& text) { trace.device("usb", text); });
    usb.setSpeedSource([this] { return speed.present(); });
    usb.setFadeStep([this] { speed.fadeStep(); });
    frontend.setMessageObserver([this](const std::string& text) { trace.message(text); });
    frontend.setTimerHandler([this](int id) { onTimer(id); });
    frontend.setCommandHandler([this](int id) { onCommand(id); });
}

void Runtime::onTimer(int id)
{
    // Crossing lights take 7..10 before the point outputs.
    if (layout.onTimer(id) || usb.onTimer(id) || operation.onTimer(id))
        return;
    speed.onTimer(id);
}

void Runtime::onCommand(int id)
{
    // Held for the whole command, so that closing waits for a command that
    // runs and no command starts anything once closing has begun.
    std::lock_guard lock(folderMutex);
    if (closing)
        return;
    if (id == cmd::Simulation) {
        startSimulation();
        return;
    }
    if (id != cmd::FolderRun || folderRun.runNextProgramOfFolder() != FolderRunStep::ProgramLoaded)
        return;
    controller.performAction(ActionLampOn);
    operation.startOperation(program);
}

void Runtime::close()
{
    {
        std::lock_guard lock(folderMutex);
        closing = true;
    }
    operation.stopOperation(EndReason::Stopped);
    operation.shutdown();
    shutdown.run();
}

bool Runtime::startSimulation()
{
    std::lock_guard lock(simulationMutex);
    if (simulation.running())
        return true;
    const Settings s = rail.settings();
    simulation.setStepTime(s.getInt(SettingId::SimulationSpeed));
    simulation.setCarCount(s.getInt(SettingId::LayoutTrainCount));
    return simulation.start();
}

layout::LayoutPaths layoutPaths(const RailSystem& rail)
{
    return {rail.programFolder(), rail.vardoIniPath(), rail.optionIniPath(), ""};
}

devices::UsbLayoutInfo usbLayoutOf(const layout::LayoutModel& model)
{
    devices::UsbLayoutInfo info;
    info.pointCount = std::min(model.pointCount(), devices::UsbLayoutInfo::kMaxPoints);
    for (int k = 0; k < info.pointCount; ++k) {
        info.coupledWithNext[size_t(k)] = k < model.pointRecordCount() && model.point(k).record.linked;
        info.drivesBarrier[size_t(k)] = model.crossingDrivenBy(k + 1);
    }
    return info;
}

void Runtime::addSteps(const RunOptions& options)
{
    startup.addStep({StartupStage::LayoutModel, "layout", [this](RailSystem& r) {
                         if (!layout.load(layoutPaths(r)))
                             return false;
                         layout.computeHomePositions();
                         return true;
                     }});
    startup.addStep({StartupStage::DeviceAndProgram, "program", [this, options](RailSystem&) {
                         editor.initialise();
                         if (!options.program.empty())
                             programLoaded = editor.load(options.program);
                         return programLoaded;
                     }});
    startup.addStep({StartupStage::DeviceAndProgram, "usb", [this](RailSystem& r) {
                         usb.setLayout(usbLayoutOf(layout.model()));
                         usb.setSkin(r.settings().getInt(SettingId::ControlSkin));
                         return usb.initController();
                     }});
    startup.addStep({StartupStage::Control, "control points", [this](RailSystem& r) {
                         const Settings s = r.settings();
                         const layout::LayoutModel& model = layout.model();
                         controller.turntableLayout = model.turntable.present;
                         operation.setSettings(OperationSettings::read(s));
                         controlPoints.setPositionRange(s.getInt(SettingId::EventPositionRange));
                         controlPoints.setRecords(model.controlPoints.records);
                         if (model.controlRegion && !model.controlPoints.records.empty())
                             controlPoints.startWatcher();
                         return true;
                     }});
    if (!options.video.empty()) {
        video = std::make_unique<VideoRig>(
            VideoRigParts{frontend, rail, layout.model(), trains, controller, operation, speed});
        video->setAnalysisObserver([this] {
            const TrainState::Position p = trains.position(trains.current.load());
            trace.positionChanged(p.x, p.y, trains.nearest.load(),
                                  trains.accumulatedAngle.load() / 360);
        });
        video->install(startup, shutdown, options.video, options.calibration);
    } else {
        // Without a video file: simulation mode.
        startup.hooks.openVideoSource = [](RailSystem&) { return VideoOpenResult::NoCamera; };
    }
    startup.hooks.controllerConnected = [this](RailSystem&) { return usb.connected(); };

    shutdown.addStep({ShutdownStage::StopControlPointWatcher, "control points",
                      [this](RailSystem&) { controlPoints.stopWatcher(); }});
    shutdown.addStep({ShutdownStage::StopSoundPlayback, "sound",
                      [this](RailSystem&) { sounds.stopAll(); }});
    shutdown.addStep({ShutdownStage::StopCapture, "simulation",
                      [this](RailSystem&) { simulation.stop(); }});
    shutdown.addStep({ShutdownStage::EndOperation, "operation",
                      [this](RailSystem&) { operation.shutdown(); }});
    shutdown.addStep({ShutdownStage::CloseUsbController, "usb",
                      [this](RailSystem&) { usb.shutdownController(); }});
    shutdown.addStep({ShutdownStage::FreeLayoutAndProgram, "layout",
                      [this](RailSystem&) { layout.stop(); }});
}

const char* reasonName(EndReason reason)
{
    return reason == EndReason::Emergency ? "emergency" : "program";
}

// Runs until the program has ended (and no next program of a folder run
// follows), the time is up or a signal came. The end reason.
std::string runUntilEnd(Runtime& rt, const RunOptions& options, const SignalWatcher& interrupts)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::seconds(options.seconds);
    for (;;) {
        if (interrupts.interrupted())
            return "interrupt";
        if (options.seconds > 0 && Clock::now() >= deadline)
            return "time";
        if (rt.operation.waitForEnd(50) && !rt.folderRunActive())
            return reasonName(rt.operation.endReason());
        // No more frames: nothing will move the program on.
        if (rt.video && rt.video->finished())
            return "video";
    }
}

int run(const std::vector<std::string>& arguments)
{
    SignalWatcher interrupts;
    std::vector<std::string> args = arguments;
    ConsoleFrontend::Options frontendOptions = ConsoleFrontend::takeOptions(args);
    RunOptions options;
    std::string error;
    if (!parseRunOptions(args, options, error)) {
        std::fprintf(stderr, "vardo-run run: %s\n", error.c_str());
        return 2;
    }
    frontendOptions.quiet = true; // messages go into the trace
    auto frontend = std::make_unique<ConsoleFrontend>(frontendOptions);
    TracePrinter trace(stdout, options.json);
    auto rt = std::make_unique<Runtime>(*frontend, trace, common::programFolder());
    rt->addSteps(options);
    const bool started = rt->startup.onPaint("") == StartupOutcome::Started && rt->programLoaded;
    bool running = false;
    if (rt->video)
        running = started && rt->video->opened() && rt->video->calibrationLoaded();
    else
        running = started && rt->startSimulation();
    if (running) {
        // A --calibration that did not load must not leave another one in force.
        const bool calibrated = rt->video && rt->video->calibrationLoaded() &&
                                rt->video->calibration().calibrated();
        AutoButtonContext context{rt->usb.connected(), calibrated, &rt->folderRun};
        running = pressAutoButton(rt->operation, rt->controller, *frontend, rt->program, true,
                                  context) == AutoButtonResult::Started;
    }
    std::string reason = "startup";
    if (running)
        reason = runUntilEnd(*rt, options, interrupts);
    else if (started && rt->operation.endReason() == EndReason::SoundFailed)
        reason = "program";
    rt->close();
    // The frontend's event loop ends before the objects its handlers use.
    frontend.reset();
    rt.reset();
    trace.end(reason);
    return reason == "interrupt" ? 130 : reason == "startup" ? 1 : 0;
}

CommandRegistration reg("run",
                        "[--program FILE] [--simulate | -i VIDEO [--calibration FILE.clb]] "
                        "[--seconds N] [--json] [--agree] "
                        "[--yes|--no]  automatic operation without a window, with a trace",
                        &run);

} // namespace

} // namespace vardo::cli
