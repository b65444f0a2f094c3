#include "vardo/app/assembly.h"

#include "vardo/app/device_components.h"
#include "vardo/app/video_startup.h"
#include "vardo/base/command_ids.h"
#include "vardo/operation/auto_button.h"
#include "vardo/operation/operation_settings.h"

#include <algorithm>

namespace vardo {

namespace {

// Without the window's dialogs every edit and file choice is declined.
class NoDialogs : public CommandEditor, public ProgramFileChooser {
public:
    bool editCommand(ProgramCommand&, const ProgramLayoutFacts&) override { return false; }
    bool chooseSavePath(const std::string&, std::string&) override { return false; }
    bool chooseOpenPath(const std::string&, std::string&) override { return false; }
};

NoDialogs noDialogs;

// Detection's pass-point check counts into the parameter dialog's counter.
class PassPointsToCounter : public vision::PassPointDisplay {
public:
    explicit PassPointsToCounter(panel::PassCounter& counter) : counter_(counter) {}
    bool dialogOpen() const override { return counter_.isOpen(); }
    void showPassPointCount(int) override { counter_.passed(); }

private:
    panel::PassCounter& counter_;
};

devices::UsbLayoutInfo usbLayoutOf(const layout::LayoutModel& model)
{
    devices::UsbLayoutInfo info;
    info.pointCount = std::min(model.pointCount(), devices::UsbLayoutInfo::kMaxPoints);
    for (int k = 0; k < info.pointCount; ++k) {
        info.coupledWithNext[size_t(k)] =
            k < model.pointRecordCount() && model.point(k).record.linked;
        info.drivesBarrier[size_t(k)] = model.crossingDrivenBy(k + 1);
    }
    return info;
}

} // namespace

VardoAssembly::VardoAssembly(Frontend& frontend, std::string programFolder, AssemblyParts parts)
    : frontend_(frontend), parts_(std::move(parts)), rail_(std::move(programFolder)),
      settings_(rail_.settings()), startup_(rail_, frontend), shutdown_(rail_), layout_(frontend),
      controller_(frontend, &layout_.model()), speed_(frontend, controller_),
      simulation_(controller_, speed_, trains_), controlPoints_(controller_, trains_, sounds_),
      portOpener_(rail_.optionIniPath())
{
    makeOptionalComponents();
    makeTurntableSide();
    sdk_ = std::make_unique<SdkLink>(*this, parts_.sdk);
    operation_ = std::make_unique<Operation>(frontend, controller_, speed_, trains_, sounds_,
                                             &layout_.model());
    usb_ = std::make_unique<devices::UsbController>(frontend, portOpener_, rail_.optionIniPath(),
                                                    rail_.programFolder());
    usbDevices_ = std::make_unique<UsbDevices>(*usb_);
    CommandEditor& commandEditor =
        parts_.dialogs.commandEditor ? *parts_.dialogs.commandEditor : noDialogs;
    ProgramFileChooser& fileChooser =
        parts_.dialogs.fileChooser ? *parts_.dialogs.fileChooser : noDialogs;
    editor_ = std::make_unique<ProgramEditor>(program_, frontend, commandEditor, fileChooser,
                                              rail_.optionIniPath(), rail_.programFolder());
    folderRun_ = std::make_unique<FolderRun>(*editor_, frontend, rail_.optionIniPath());
    calibration_ = std::make_unique<vision::Calibration>(frontend, settings_, layout_.model());

    DetectionHostHooks hostHooks;
    hostHooks.simulationMode = [this] { return simulation_.running(); };
    hostHooks.speedControlEnabled = [this] { return usb_->settings().pwmControl; };
    hostHooks.displayMode = [this] { return displayMode(); };
    hostHooks.displaySubMode = [this] {
        return parts_.hooks.displaySubMode ? parts_.hooks.displaySubMode()
                                           : vision::DisplaySubMode::Centroid;
    };
    hostHooks.extendedPointMode1 = [this] {
        return extendedInterface_ && extendedDrivesPoints(*extendedInterface_);
    };
    host_ = std::make_unique<ControlDetectionHost>(controller_, *operation_, speed_, hostHooks);
    makePanel();
    vision::DetectionHost roles = host_->roles();
    roles.turntable = turntableSide_.get();
    roles.positions = sdk_.get();
    roles.passPoints = passPoints_.get();
    detector_ = std::make_unique<vision::Detector>(roles, frontend, *calibration_, layout_.model(),
                                                   trains_, rail_.programFolder());
    if (parts_.dialogs.calibrationProgress)
        calibrationRun_ = std::make_unique<vision::CalibrationRun>(
            *calibration_, *host_, frontend, *detector_, trains_,
            *parts_.dialogs.calibrationProgress, rail_.programFolder(),
            settings_.getInt(SettingId::DebugLogPosition) != 0);
    makeVideoSource();
    wire();
    installSteps();
    installShutdownSteps();
    installDeviceSteps();
}

VardoAssembly::~VardoAssembly()
{
    // The frontend may be gone once shutdown has run.
    if (!shutdown_.done())
        shutdown();
}

void VardoAssembly::makeOptionalComponents()
{
    ComponentContext context{frontend_,       rail_,
                             parts_.observer, [this] { operation_->onTurntableArrived(); },
                             &portOpener_,    &settings_};
    const AssemblyFactories& f = parts_.factories;
    if (f.sound) {
        auto made = f.sound(context);
        sound_ = std::move(made.port);
        soundEngine_ = made.real;
    }
    if (f.extended) {
        auto made = f.extended(context);
        extended_ = std::move(made.port);
        extendedInterface_ = made.real;
    }
    if (f.speech) {
        auto made = f.speech(context);
        speech_ = std::move(made.port);
        speechComponent_ = made.real;
    }
}

void VardoAssembly::makeVideoSource()
{
    if (!parts_.videoBackend)
        return;
    backend_ = std::move(parts_.videoBackend);
    vision::VideoSourceHooks hooks;
    hooks.analyzeFrame = [this](std::span<const uint8_t> f, int w, int h) { onFrame(f, w, h); };
    hooks.resetDetector = [this] { detector_->ResetDetector(false); };
    hooks.inSimulation = [this] { return simulation_.running(); };
    hooks.endProgram = [this] { operation_->stopOperation(); };
    hooks.leaveSimulation = [this] { stopSimulation(); };
    hooks.showLive = [this](bool centroid) {
        host_->setVideoRunning(true);
        if (parts_.hooks.showLive)
            parts_.hooks.showLive(centroid);
    };
    hooks.showEmpty = [this] {
        if (parts_.hooks.showEmpty)
            parts_.hooks.showEmpty();
    };
    video_ = std::make_unique<vision::VideoSource>(*backend_, frontend_, settings_, hooks);
}

void VardoAssembly::wire()
{
    OperationObserver* observer = parts_.observer;
    controller_.setDevices(usbDevices_.get());
    controller_.setPublisher(sdk_.get());
    controller_.setObserver(observer);
    controller_.setPointSetter([this](int k, bool branch) { layout_.setPoint(k, branch, true); });
    controller_.setRelayHook([this](int relay, bool on) { layout_.crossingDrive(relay, on); });
    controller_.setTrainStartHook([this](bool backward) {
        if (controlPoints_.watching() && settings_.getInt(SettingId::AutoCheckControl) == 1)
            controlPoints_.prePass(backward);
    });
    sounds_.setPort(sound_.get());
    sounds_.setObserver(observer);
    sounds_.setStopAllHook([this] { controlPoints_.clearSoundHolds(); });
    speed_.setExtended(extended_.get());
    speed_.setObserver(observer);
    operation_->setExtended(extended_.get());
    operation_->setObserver(observer);
    operation_->setFolderRunQuery([this] { return folderRunActive(); });
    operation_->setTurntableHook(
        [this](int track, bool reversed) { turntableTurned(track, reversed); });
    simulation_.setObserver(observer);
    simulation_.setPublisher(sdk_.get());
    simulation_.setTurntableQuery([this] { return operation_->turntableTrack.load(); });
    controlPoints_.setDevices(usbDevices_.get());
    controlPoints_.setCalibrated([this] { return calibration_->calibrated(); });
    usb_->setSpeedSource([this] { return speed_.present(); });
    usb_->setFadeStep([this] { speed_.fadeStep(); });
    frontend_.setTimerHandler([this](int id) { onTimer(id); });
    frontend_.setCommandHandler([this](int id) { handleCommand(id); });
    wireDevices();
    wireSpeech();
}

void VardoAssembly::installSteps()
{
    if (video_) {
        vision::installVideoSource(startup_, shutdown_, *video_);
        startup_.hooks.openVideoSource = [this](RailSystem& rail) {
            const std::string& path =
                parts_.videoPath.empty() ? rail.videoPath() : parts_.videoPath;
            const VideoOpenResult result = vision::openVideoAtStartup(*video_, path);
            host_->setVideoRunning(result == VideoOpenResult::Opened);
            return result;
        };
    } else {
        // No picture source: simulation mode.
        startup_.hooks.openVideoSource = [](RailSystem&) { return VideoOpenResult::NoCamera; };
    }
    startup_.hooks.controllerConnected = [this](RailSystem&) {
        return usb_->connected() || (extended_ && extended_->isOpen());
    };
    if (speech_)
        startup_.hooks.startSpeech = [this](RailSystem&) { speech_->start(); };
    startup_.addStep({StartupStage::Display, "display settings",
                      [this](RailSystem&) { return bringUpDisplaySettings(); }});
    startup_.addStep({StartupStage::LayoutModel, "layout model",
                      [this](RailSystem&) { return bringUpLayout(); }});
    // The program comes before the calibration that detection works with.
    startup_.addStep(
        {StartupStage::DeviceAndProgram, "program", [this](RailSystem&) { return loadProgram(); }});
    startup_.addStep({StartupStage::DeviceAndProgram, "calibration",
                      [this](RailSystem&) { return loadCalibration(); }});
    startup_.addStep({StartupStage::DeviceAndProgram, "devices",
                      [this](RailSystem&) { return bringUpDevices(); }});
    startup_.addStep({StartupStage::Sdk, "outside-program interface", [this](RailSystem& rail) {
                          // sdkStart shows its own message before start-up's.
                          return !rail.sdkRequested() || sdk_->sdk().sdkStart();
                      }});
    startup_.addStep(
        {StartupStage::Control, "control", [this](RailSystem&) { return bringUpControl(); }});
}

void VardoAssembly::installShutdownSteps()
{
    shutdown_.addStep({ShutdownStage::StopControlPointWatcher, "control points",
                       [this](RailSystem&) { controlPoints_.stopWatcher(); }});
    shutdown_.addStep({ShutdownStage::StopSoundPlayback, "sound playback", [this](RailSystem&) {
                           if (speech_)
                               speech_->stop();
                           sounds_.stopAll();
                       }});
    shutdown_.addStep({ShutdownStage::StopCapture, "video flag",
                       [this](RailSystem&) { host_->setVideoRunning(false); }});
    shutdown_.addStep({ShutdownStage::EndOperation, "operation", [this](RailSystem&) {
                           joinCalibration();
                           operation_->shutdown();
                           simulation_.stop();
                       }});
    shutdown_.addStep({ShutdownStage::EndSdk, "outside-program interface",
                       [this](RailSystem&) { sdk_->sdk().sdkStop(); }});
    shutdown_.addStep({ShutdownStage::ReleaseDetection, "detection",
                       [this](RailSystem&) { detector_->ResetDetector(true); }});
    shutdown_.addStep(
        {ShutdownStage::CloseUsbController, "USB I/O controller", [this](RailSystem&) {
             // It may write on the controller's port: it goes first.
             if (extendedInterface_)
                 extendedInterface_->closeExtendedInterface();
             usb_->shutdownController();
         }});
    shutdown_.addStep(
        {ShutdownStage::FreeLayoutAndProgram, "layout", [this](RailSystem&) { layout_.stop(); }});
}

bool VardoAssembly::bringUpDisplaySettings()
{
    emergencyStop_ = settings_.getInt(SettingId::AutoEmergencyStop) != 0;
    controlPointsOn_ = settings_.getInt(SettingId::AutoControlRegion) != 0;
    skin_ = settings_.getInt(SettingId::ControlSkin);
    return true;
}

bool VardoAssembly::bringUpLayout()
{
    layout::LayoutPaths paths;
    paths.programFolder = rail_.programFolder();
    paths.vardoIni = rail_.vardoIniPath();
    paths.optionIni = rail_.optionIniPath();
    if (!layout_.load(paths))
        return false;
    layout_.computeHomePositions();
    layoutLoaded_ = true;
    // A car of the simulation spans 7/10 of the figure's width.
    simulation_.setCarLength(layout_.figures().figureWidth() * 7 / 10);
    const layout::TurntableData& table = layout_.model().turntable;
    controller_.turntableLayout.store(table.present);
    // The bridge shows from the start, towards the track it stands at.
    if (table.present)
        layout_.drawTurntable(std::max(table.trackIndex, 0), false, table.lastReversal, {});
    return true;
}

void VardoAssembly::turntableTurned(int track, bool reversed)
{
    // In simulation the car standing on the bridge turns with it.
    layout::Point cars[Simulation::kMaxCars];
    const int count = std::clamp(layout_.model().trainCount, 1, int(Simulation::kMaxCars));
    int placed = 0;
    for (int car = 0; car < count; ++car) {
        const int b = simulation_.carPosition(car);
        if (b >= 0 && b < layout_.model().track().positionCount())
            cars[placed++] = layout_.model().track().position(b);
    }
    layout_.drawTurntable(track, simulation_.running(), reversed,
                          std::span<const layout::Point>(cars, size_t(placed)));
    if (parts_.hooks.turntableTurned)
        parts_.hooks.turntableTurned(track, reversed);
}

namespace {

// SOUND_FILE1, SOUND_FILE2, ... up to the first empty key: the sound numbers
// a sound command may name.
int configuredSoundCount(const Settings& settings)
{
    constexpr int kMaxSoundFiles = 1024;
    int count = 0;
    while (count < kMaxSoundFiles && !settings.getString(SettingId::SoundFile, count + 1).empty())
        ++count;
    return count;
}

} // namespace

bool VardoAssembly::loadProgram()
{
    const layout::LayoutModel& model = layout_.model();
    ProgramLayoutFacts facts;
    facts.hasSidings = model.track().polylineCount() > 1;
    facts.pointCount = model.pointCount();
    // ---- program editor: the turntable and sound facts of the dialogs
    facts.turntable = model.turntable.present;
    facts.soundCount = configuredSoundCount(settings_);
    // ---- end program editor
    editor_->setLayoutFacts(facts);
    editor_->initialise();
    if (!parts_.programPath.empty())
        programLoaded_ = editor_->load(parts_.programPath);
    return programLoaded_;
}

bool VardoAssembly::loadCalibration()
{
    calibration_->InitCalibration();
    vision::DetectorSettings detection = vision::DetectorSettings::read(settings_);
    detection.emergencyStop = emergencyStop_;
    detector_->setSettings(detection);
    // A replacement that does not load leaves no other calibration in force
    // for the automatic-operation button.
    if (!parts_.calibrationPath.empty())
        calibrationLoaded_ = calibration_->LoadCalibration(parts_.calibrationPath);
    return calibrationLoaded_;
}

bool VardoAssembly::bringUpDevices()
{
    const OperationSettings opSettings = OperationSettings::read(settings_);
    operation_->setSettings(opSettings);
    simulation_.setStepTime(opSettings.simulationSpeed);
    simulation_.setCarCount(layout_.model().trainCount);
    usb_->setLayout(usbLayoutOf(layout_.model()));
    usb_->setSkin(skin_);
    const bool usbUp = usb_->initController();
    bringUpExtended();
    return usbUp;
}

bool VardoAssembly::bringUpControl()
{
    const OperationSettings opSettings = OperationSettings::read(settings_);
    controlPoints_.setPositionRange(opSettings.positionRange);
    controlPoints_.setRecords(layout_.model().controlPoints.records);
    if (controlPointsOn_ && controlPoints_.count() > 0)
        controlPoints_.startWatcher();
    return true;
}

// ---------------------------------------------------------- controller panel

void VardoAssembly::makePanel()
{
    passPoints_ = std::make_unique<PassPointsToCounter>(passCounter_);
    panel::PanelServices services;
    services.speed = &speed_;
    services.operation = operation_.get();
    services.program = &program_;
    services.folderRun = folderRun_.get();
    services.extended = extended_.get();
    services.controllerConnected = [this] {
        return usb_->connected() || (extended_ && extended_->isOpen());
    };
    services.calibrated = [this] {
        return video_ && calibrationLoaded_ && calibration_->calibrated();
    };
    services.cameraPicture = [this] { return host_->videoRunning(); };
    services.turntableChanged = [this](int track, bool reversed) {
        panelTurntable(track, reversed);
    };
    controllerPanel_ = std::make_unique<panel::ControllerPanel>(controller_, frontend_, services);
    // Speed commands, fades, the start of operation, calibration and outside
    // programs all move the dial, from whichever thread changes the speed.
    speed_.setShownHook([this](double s) { controllerPanel_->showSpeed(s); });
}

bool VardoAssembly::loadPanel()
{
    return controllerPanel_->load(rail_.programFolder(), skin_,
                                  settings_.getInt(SettingId::ServoSpeedServo));
}

void VardoAssembly::applyParameters(const panel::ParameterValues& values)
{
    vision::DetectorSettings detection = detector_->settings();
    detection.diffLevel = values.diffLevel;
    detection.compareFrame = values.compareFrame;
    detection.enableExcept = values.enableExcept;
    detection.positionRange = values.positionRange;
    detector_->setSettings(detection);
    layout_.model().crossTime = values.crossTime;
    usb_->setCrossTime(values.crossTime);
    controlPoints_.setPositionRange(values.positionRange);
    OperationSettings op = operation_->settings();
    op.positionRange = values.positionRange;
    op.homeOffset = values.homeOffset;
    op.checkControl = values.checkControl;
    operation_->setSettings(op);
}

void VardoAssembly::commitParameters(const panel::ParameterValues& values)
{
    applyParameters(values);
    // Only once OK has asked about it: the relays take the pulses from now.
    usb_->setPwmControl(values.pwmControl);
}

panel::LayoutFeatures VardoAssembly::layoutFeatures() const
{
    panel::LayoutFeatures features;
    features.crossings = layout_.model().crossingCount() > 0;
    features.controlPoints = !layout_.model().controlPoints.records.empty();
    return features;
}

void VardoAssembly::panelTurntable(int track, bool reversed)
{
    // The panel counts tracks from 1; operation and the drawing from 0.
    operation_->turntableTrack = track - 1;
    operation_->turntableReversed = reversed;
    turntableTurned(track - 1, reversed);
}

StartupOutcome VardoAssembly::start(std::string_view commandLine)
{
    const StartupOutcome outcome = startup_.onPaint(commandLine);
    if (outcome == StartupOutcome::Started)
        changed();
    return outcome;
}

void VardoAssembly::shutdown()
{
    {
        std::lock_guard lock(commandMutex_);
        closing_ = true;
    }
    operation_->stopOperation(EndReason::Stopped);
    operation_->shutdown();
    // Also when start-up failed after the interface came up: its polling
    // thread ends here, a wait it ran having ended with operation.
    sdk_->sdk().sdkStop();
    host_->setVideoRunning(false);
    shutdown_.run();
}

bool VardoAssembly::handleCommand(int id)
{
    // Held for the whole command: closing waits for one that runs, and no
    // command starts anything once closing has begun.
    std::lock_guard lock(commandMutex_);
    if (closing_)
        return false;
    if (handleSpeechCommand(id))
        return true;
    switch (id) {
    case cmd::SdkCalls:
        sdk_->runFrontendCalls();
        return true;
    case cmd::Simulation:
        simulationCommand();
        return true;
    case cmd::FolderRun:
        runNextProgramOfFolder();
        return true;
    case cmd::EmergencyStopToggle:
        toggleEmergencyStop();
        return true;
    case cmd::ControlPointsToggle:
        toggleControlPoints();
        return true;
    case cmd::Skin1:
        selectSkin(1);
        return true;
    case cmd::Skin2:
        selectSkin(2);
        return true;
    case cmd::Skin3:
        selectSkin(3);
        return true;
    case cmd::Skin4:
        selectSkin(4);
        return true;
    default:
        break;
    }
    if (video_ && id >= cmd::NoCamera && id <= cmd::LastCamera) {
        const bool handled = video_->handleCommand(id);
        // Frames from a camera are analysed whether or not a simulation ended.
        host_->setVideoRunning(video_->running());
        changed();
        return handled;
    }
    return false;
}

void VardoAssembly::simulationCommand()
{
    if (simulation_.running())
        stopSimulation();
    else
        startSimulation();
}

bool VardoAssembly::startSimulation()
{
    std::lock_guard lock(commandMutex_);
    if (simulation_.running())
        return true;
    if (!layoutLoaded_ || closing_)
        return false;
    if (parts_.hooks.simulationStarted)
        parts_.hooks.simulationStarted();
    simulation_.setStepTime(settings_.getInt(SettingId::SimulationSpeed));
    simulation_.setCarCount(layout_.model().trainCount);
    const bool started = simulation_.start();
    changed();
    return started;
}

void VardoAssembly::stopSimulation()
{
    simulation_.stop();
    changed();
}

void VardoAssembly::autoOperationCommand()
{
    if (operation_->operating()) {
        operation_->stopOperation();
    } else {
        if (!calibration_->calibrated() && !simulation_.running()) {
            frontend_.showMessage(common::msg::OperationNotCalibrated);
            return;
        }
        operation_->startOperation(program_);
    }
    changed();
}

bool VardoAssembly::pressAutoButton()
{
    const bool calibrated = video_ && calibrationLoaded_ && calibration_->calibrated();
    AutoButtonContext context{usb_->connected() || (extended_ && extended_->isOpen()), calibrated,
                              folderRun_.get()};
    const bool started = vardo::pressAutoButton(*operation_, controller_, frontend_, program_, true,
                                                context) == AutoButtonResult::Started;
    changed();
    return started;
}

void VardoAssembly::runNextProgramOfFolder()
{
    if (folderRun_->runNextProgramOfFolder() != FolderRunStep::ProgramLoaded)
        return;
    controller_.performAction(ActionLampOn);
    operation_->startOperation(program_);
    changed();
}

bool VardoAssembly::folderRunActive()
{
    std::lock_guard lock(commandMutex_);
    return folderRun_->active();
}

void VardoAssembly::toggleEmergencyStop()
{
    emergencyStop_ = !emergencyStop_;
    settings_.writeBool(SettingId::AutoEmergencyStop, emergencyStop_);
    vision::DetectorSettings detection = detector_->settings();
    detection.emergencyStop = emergencyStop_;
    detector_->setSettings(detection);
    changed();
}

void VardoAssembly::toggleControlPoints()
{
    controlPointsOn_ = !controlPointsOn_;
    if (controlPointsOn_)
        controlPoints_.startWatcher();
    else
        controlPoints_.stopWatcher();
    settings_.writeBool(SettingId::AutoControlRegion, controlPointsOn_);
    changed();
}

void VardoAssembly::selectSkin(int skin)
{
    // The panel writes the choice only when the skin loads; a broken skin
    // leaves the old one in force.
    if (!controllerPanel_->changeSkin(rail_.programFolder(), skin,
                                      settings_.getInt(SettingId::ServoSpeedServo), settings_))
        return;
    skin_ = skin;
    usb_->setSkin(skin);
    changed();
}

bool VardoAssembly::startCalibration()
{
    if (!calibrationRun_)
        return false;
    const bool started = calibrationRun_->StartCalibration();
    changed();
    return started;
}

void VardoAssembly::abortCalibration()
{
    if (calibrationRun_)
        calibrationRun_->AbortCalibration();
}

void VardoAssembly::joinCalibration()
{
    if (!calibrationRun_)
        return;
    calibrationRun_->AbortCalibration();
    calibrationRun_->join();
}

bool VardoAssembly::calibrationRunning() const
{
    return calibrationRun_ && calibrationRun_->running();
}

void VardoAssembly::onTimer(int id)
{
    dispatchTimer(id, rail_.started(), *this);
}

void VardoAssembly::servoMoveEnded(int servo)
{
    const int id = kServoTimerBase + servo;
    // Without the interface the one-shot just ends.
    if (!extendedInterface_ || !extendedInterface_->onTimer(id))
        frontend_.killTimer(id);
}

bool VardoAssembly::videoFinished()
{
    vision::FrameSource* source = video_ ? video_->source() : nullptr;
    return source == nullptr || source->ended() || !source->streamError().empty();
}

void VardoAssembly::onFrame(std::span<const uint8_t> frame, int width, int height)
{
    const uint64_t before = detector_->analysisCount();
    detector_->AnalyzeFrame(frame, width, height);
    if (parts_.hooks.frame)
        parts_.hooks.frame(frame, width, height, detector_->analysisCount() != before);
}

vision::DisplayMode VardoAssembly::displayMode() const
{
    return parts_.hooks.displayMode ? parts_.hooks.displayMode() : vision::DisplayMode::Live;
}

void VardoAssembly::changed()
{
    if (parts_.hooks.stateChanged)
        parts_.hooks.stateChanged();
}

// ---- sound engine and extended interface

void VardoAssembly::makeTurntableSide()
{
    if (extendedInterface_)
        turntableSide_ = std::make_unique<ExtendedTurntable>(*extendedInterface_);
}

void VardoAssembly::wireDevices()
{
    // No pre-pass while a calibration run drives the train.
    controlPoints_.setCalibrationRunning([this] { return calibrationRunning(); });
    if (!extendedInterface_)
        return;
    devices::ExtendedInterface& ext = *extendedInterface_;
    ext.setUsb(usb_.get());
    devices::ExtendedHooks h;
    h.controllerState = [this] { return controller_.state(); };
    h.presentSpeed = [this] { return speed_.present(); };
    h.endSpeedFade = [this] { speed_.cancelFade(); };
    h.operationRunning = [this] { return operation_->operating(); };
    h.turntableArrived = [this] { operation_->onTurntableArrived(); };
    h.performAction = [this](int code) { controller_.performAction(code); };
    h.routeAction = [this](int code) { usb_->sendAction(code); };
    h.sensorRatio = [this](int index) { return sensorRatio(index); };
    h.traffic = parts_.hooks.extendedTraffic;
    ext.setHooks(std::move(h));
}

void VardoAssembly::installDeviceSteps()
{
    if (soundEngine_)
        startup_.addStep(
            {StartupStage::Sound, "sound", [this](RailSystem&) { return initSound(); }});
}

bool VardoAssembly::initSound()
{
    // Without audio Vardo runs on silently: the message, never a quit.
    if (!soundEngine_->InitSound(rail_.sdkRequested()))
        frontend_.showMessage(common::msg::SoundClassInitFailed);
    return true;
}

void VardoAssembly::bringUpExtended()
{
    if (!extendedInterface_)
        return;
    // A failure has shown its message; the rest runs without the board.
    extendedInterface_->initExtendedInterface();
    usb_->setRouter(extendedInterface_);
}

int VardoAssembly::sensorRatio(int index) const
{
    const auto& records = layout_.model().sensors.records;
    if (index < 0 || size_t(index) >= records.size())
        return devices::ExtendedInterface::kDefaultSensorRatio;
    return records[size_t(index)].sensitivity;
}

void VardoAssembly::reverseTurntable()
{
    if (extendedInterface_ && !simulation_.running())
        extendedInterface_->reverseTurntable();
}

void VardoAssembly::selectTurntableTrack(int track)
{
    if (extendedInterface_ && !simulation_.running())
        extendedInterface_->selectTrack(track);
}

int VardoAssembly::selectComPort(int number)
{
    return usb_->selectComPort(number, extendedInterface_ && extendedInterface_->isOpen());
}

// ---- the outside-program interface

bool VardoAssembly::controllerConnected() const
{
    return usb_->connected() || (extended_ && extended_->isOpen());
}

// These run on the interface's polling thread: they reach the window only
// through the frontend, which any thread may call.

void VardoAssembly::runProgramFileForOutside(const std::string& path)
{
    {
        std::lock_guard lock(commandMutex_);
        if (closing_)
            return;
    }
    controller_.performAction(ActionLampOn);
    // A file that does not load is reported by the loader; the program
    // that was loaded before runs. Not under the command lock: the message
    // waits for the window's thread, which may be waiting for the lock.
    editor_->load(path);
    std::lock_guard lock(commandMutex_);
    if (closing_)
        return;
    program_.modified = false;
    frontend_.refreshProgram();
    operation_->startOperation(program_);
}

void VardoAssembly::startProgramForOutside()
{
    std::lock_guard lock(commandMutex_);
    if (closing_)
        return;
    operation_->startOperation(program_);
}

void VardoAssembly::setOutsideControl(bool on)
{
    std::lock_guard lock(commandMutex_);
    // Clearing is always allowed; setting it after closing began would
    // leave a flag nothing clears.
    if (on && closing_)
        return;
    operation_->setOutsideControl(on);
}

// ---- speech recognition

namespace {

// Spoken turntable commands press the panel's buttons; outside simulation
// they turn the bridge through the extended interface.
class AssemblyTurntableButtons : public TurntableButtons {
public:
    explicit AssemblyTurntableButtons(VardoAssembly& assembly) : assembly_(assembly) {}
    void pressTurntableToggle() override { assembly_.reverseTurntable(); }
    void pressTurntableTrack(int track) override { assembly_.selectTurntableTrack(track); }

private:
    VardoAssembly& assembly_;
};

} // namespace

void VardoAssembly::wireSpeech()
{
    if (!speechComponent_)
        return;
    speechTurntable_ = std::make_unique<AssemblyTurntableButtons>(*this);
    SpeechTargets targets;
    targets.controller = &controller_;
    targets.operation = operation_.get();
    targets.frontend = &frontend_;
    targets.turntable = speechTurntable_.get();
    targets.sound = sound_.get();
    targets.program = [this]() -> const Program* { return &program_; };
    targets.autoContext = [this] {
        const bool calibrated = video_ && calibrationLoaded_ && calibration_->calibrated();
        return AutoButtonContext{usb_->connected() || (extended_ && extended_->isOpen()),
                                 calibrated, folderRun_.get()};
    };
    targets.observer = parts_.observer;
    SpeechSession& session = speechComponent_->session();
    session.setTargets(std::move(targets));
    // The input's thread only posts; the phrases run on the frontend's thread.
    session.queue().setNotifier([this] { frontend_.postCommand(cmd::SpeechEvents); });
}

bool VardoAssembly::speechActive() const
{
    return speechComponent_ && speechComponent_->session().active();
}

bool VardoAssembly::handleSpeechCommand(int id)
{
    if (id == cmd::SpeechRecognition) {
        // Failure shows message 220; Vardo goes on without speech.
        if (speechComponent_ && !speechComponent_->session().active())
            speechComponent_->start();
        changed();
        return true;
    }
    if (id == cmd::SpeechEvents) {
        runSpeechEvents();
        return true;
    }
    return false;
}

void VardoAssembly::runSpeechEvents()
{
    if (!speechComponent_)
        return;
    speechComponent_->session().handleEvents();
    changed();
}

} // namespace vardo
