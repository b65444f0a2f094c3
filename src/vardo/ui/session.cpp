#include "vardo/ui/session.h"

#include "vardo/base/command_ids.h"
#include "vardo/ui/exit_sequence.h"
#include "vardo/vision/exception_mask.h"
#include "vardo/vision/video_gst_backend.h"
#include "vardo/app/video_startup.h"

#include <QPainter>
#include <algorithm>

namespace vardo::ui {

namespace {

// The window has no program editor dialogs yet: every edit is declined.
class NoCommandEditor : public CommandEditor {
public:
    bool editCommand(ProgramCommand&, const ProgramLayoutFacts&) override { return false; }
};

class NoFileChooser : public ProgramFileChooser {
public:
    bool chooseSavePath(const std::string&, std::string&) override { return false; }
    bool chooseOpenPath(const std::string&, std::string&) override { return false; }
};

NoCommandEditor noCommandEditor;
NoFileChooser noFileChooser;

} // namespace

Session::Session(Frontend& frontend, std::string programFolder, SessionParts parts,
                 SessionHooks hooks)
    : frontend_(frontend), rail_(std::move(programFolder)), settings_(rail_.settings()),
      hooks_(std::move(hooks)), progress_(parts.progress), startup_(rail_, frontend),
      shutdown_(rail_), layout_(frontend), controller_(frontend, &layout_.model()),
      speed_(frontend, controller_), simulation_(controller_, speed_, trains_),
      controlPoints_(controller_, trains_, sounds_), portOpener_(rail_.optionIniPath()),
      angle_(*(calibration_ = std::make_unique<vision::Calibration>(frontend, settings_,
                                                                    layout_.model()))),
      backend_(std::move(parts.videoBackend))
{
    operation_ = std::make_unique<Operation>(frontend, controller_, speed_, trains_, sounds_,
                                             &layout_.model());
    usb_ = std::make_unique<devices::UsbController>(frontend, portOpener_, rail_.optionIniPath(),
                                                    rail_.programFolder());
    usbDevices_ = std::make_unique<UsbDevices>(*usb_);
    controller_.setDevices(usbDevices_.get());
    controlPoints_.setDevices(usbDevices_.get());
    controlPoints_.setCalibrated([this] { return calibration_->calibrated(); });
    usb_->setSpeedSource([this] { return speed_.present(); });
    usb_->setFadeStep([this] { speed_.fadeStep(); });
    controller_.setPointSetter([this](int k, bool branch) { layout_.setPoint(k, branch, true); });
    controller_.setRelayHook([this](int relay, bool on) { layout_.crossingDrive(relay, on); });
    controller_.setTrainStartHook([this](bool backward) {
        if (controlPoints_.watching() && settings_.getInt(SettingId::AutoCheckControl) == 1)
            controlPoints_.prePass(backward);
    });

    editor_ = std::make_unique<ProgramEditor>(
        program_, frontend, parts.commandEditor ? *parts.commandEditor : noCommandEditor,
        parts.fileChooser ? *parts.fileChooser : noFileChooser, rail_.optionIniPath(),
        rail_.programFolder());
    DetectionHostHooks hostHooks;
    hostHooks.simulationMode = [this] { return simulation_.running(); };
    hostHooks.speedControlEnabled = [this] { return usb_->settings().pwmControl; };
    hostHooks.displayMode = [this] { return display_.mode(); };
    hostHooks.displaySubMode = [this] { return display_.subMode(); };
    host_ = std::make_unique<ControlDetectionHost>(controller_, *operation_, speed_, hostHooks);
    detector_ = std::make_unique<vision::Detector>(*host_, frontend, *calibration_, layout_.model(),
                                                   trains_, rail_.programFolder());
    if (progress_)
        calibrationRun_ = std::make_unique<vision::CalibrationRun>(
            *calibration_, *host_, frontend, *detector_, trains_, *progress_, rail_.programFolder(),
            settings_.getInt(SettingId::DebugLogPosition) != 0);

    if (!backend_)
        backend_ = std::make_unique<vision::GstVideoBackend>();
    vision::VideoSourceHooks videoHooks;
    videoHooks.analyzeFrame = [this](std::span<const uint8_t> f, int w, int h) { onFrame(f, w, h); };
    videoHooks.resetDetector = [this] { detector_->ResetDetector(false); };
    videoHooks.inSimulation = [this] { return simulation_.running(); };
    videoHooks.endProgram = [this] { operation_->stopOperation(); };
    videoHooks.leaveSimulation = [this] { stopSimulation(); };
    videoHooks.showLive = [this](bool centroid) { showLive(centroid); };
    videoHooks.showEmpty = [this] {
        frames_.clear();
        if (hooks_.frameReady)
            hooks_.frameReady();
    };
    video_ = std::make_unique<vision::VideoSource>(*backend_, frontend, settings_, videoHooks);
    frontend.setTimerHandler([this](int id) { onTimer(id); });
    installSteps();
}

Session::~Session() { shutdown(); }

void Session::installSteps()
{
    vision::installVideoSource(startup_, shutdown_, *video_);
    startup_.addStep({StartupStage::Display, "display", [this](RailSystem&) {
                          return bringUpDisplay();
                      }});
    startup_.addStep({StartupStage::LayoutModel, "layout model", [this](RailSystem&) {
                          return bringUpLayout();
                      }});
    startup_.addStep({StartupStage::DeviceAndProgram, "devices and program", [this](RailSystem&) {
                          return bringUpDevicesAndProgram();
                      }});
    startup_.hooks.controllerConnected = [this](RailSystem&) { return usb_->connected(); };

    shutdown_.addStep({ShutdownStage::StopControlPointWatcher, "control points",
                       [this](RailSystem&) { controlPoints_.stopWatcher(); }});
    shutdown_.addStep({ShutdownStage::StopSoundPlayback, "sound playback",
                       [this](RailSystem&) { sounds_.stopAll(); }});
    shutdown_.addStep({ShutdownStage::EndOperation, "operation", [this](RailSystem&) {
                           if (calibrationRun_) {
                               calibrationRun_->AbortCalibration();
                               calibrationRun_->join();
                           }
                           operation_->shutdown();
                           simulation_.stop();
                       }});
    shutdown_.addStep({ShutdownStage::ReleaseDetection, "detection", [this](RailSystem&) {
                           detector_->ResetDetector(true);
                       }});
    shutdown_.addStep({ShutdownStage::CloseUsbController, "USB I/O controller",
                       [this](RailSystem&) { usb_->shutdownController(); }});
    shutdown_.addStep({ShutdownStage::FreeLayoutAndProgram, "layout", [this](RailSystem&) {
                           layout_.stop();
                       }});
}

bool Session::bringUpDisplay()
{
    pens_.vectorWidth = settings_.getInt(SettingId::VectorPenWidth);
    const int32_t colour = settings_.getColour(frontend_, SettingId::VectorPenColor);
    if (colour != -1)
        pens_.vectorColour = layout::colourFromValue(colour);
    focusRange_ = settings_.getInt(SettingId::ViewFocusRange);
    enableExcept_ = settings_.getInt(SettingId::ViewEnableExcept) != 0;
    debugMenu_ = settings_.getInt(SettingId::DebugMenu) != 0;
    emergencyStop_ = settings_.getInt(SettingId::AutoEmergencyStop) != 0;
    controlPointsOn_ = settings_.getInt(SettingId::AutoControlRegion) != 0;
    skin_ = settings_.getInt(SettingId::ControlSkin);
    return true;
}

bool Session::bringUpLayout()
{
    layout::LayoutPaths paths;
    paths.programFolder = rail_.programFolder();
    paths.vardoIni = rail_.vardoIniPath();
    paths.optionIni = rail_.optionIniPath();
    if (!layout_.load(paths))
        return false;
    layout_.computeHomePositions();
    layoutLoaded_ = true;
    controller_.turntableLayout.store(layout_.model().turntable.present);
    return true;
}

bool Session::bringUpDevicesAndProgram()
{
    const OperationSettings opSettings = OperationSettings::read(settings_);
    operation_->setSettings(opSettings);
    simulation_.setStepTime(opSettings.simulationSpeed);
    simulation_.setCarCount(layout_.model().trainCount);

    calibration_->InitCalibration();
    vision::DetectorSettings detection = vision::DetectorSettings::read(settings_);
    detection.emergencyStop = emergencyStop_;
    detector_->setSettings(detection);

    layout::LayoutModel& model = layout_.model();
    ProgramLayoutFacts facts;
    facts.hasSidings = model.track().polylineCount() > 1;
    facts.pointCount = model.pointCount();
    editor_->setLayoutFacts(facts);
    editor_->initialise();

    devices::UsbLayoutInfo info;
    info.pointCount = std::min(model.pointCount(), devices::UsbLayoutInfo::kMaxPoints);
    for (int k = 0; k < info.pointCount; ++k) {
        info.coupledWithNext[size_t(k)] =
            k < model.pointRecordCount() && model.point(k).record.linked;
        info.drivesBarrier[size_t(k)] = model.crossingDrivenBy(k + 1);
    }
    usb_->setLayout(info);
    usb_->setSkin(skin_);
    usb_->initController();

    controlPoints_.setPositionRange(opSettings.positionRange);
    controlPoints_.setRecords(model.controlPoints.records);
    if (controlPointsOn_ && controlPoints_.count() > 0)
        controlPoints_.startWatcher();
    return true;
}

StartupOutcome Session::start(std::string_view commandLine)
{
    const StartupOutcome outcome = startup_.onPaint(commandLine);
    if (outcome == StartupOutcome::Started) {
        host_->setVideoRunning(video_->running());
        if (hooks_.resizeView)
            hooks_.resizeView(viewSize());
        changed();
    }
    return outcome;
}

void Session::shutdown()
{
    host_->setVideoRunning(false);
    angleOpen_.store(false);
    shutdown_.run();
}

void Session::changed()
{
    if (hooks_.stateChanged)
        hooks_.stateChanged();
}

UiState Session::uiState() const
{
    UiState s;
    s.layoutLoaded = layoutLoaded_;
    s.simulation = simulation_.running();
    s.calibrated = calibration_->calibrated();
    s.calibrating = calibration_->calibrating();
    s.angleCorrecting = angle_.isOpen();
    s.operating = operation_->operating();
    s.captureRunning = video_->running();
    s.focusOn = focus_.on();
    s.emergencyStopOn = emergencyStop_;
    s.controlPointsOn = controlPointsOn_;
    s.controlPointCount = int(layout_.model().controlPoints.records.size());
    s.cameraDevice = video_->deviceNumber();
    s.cameraCount = int(video_->cameraNames().size());
    s.skin = skin_;
    s.mode = display_.mode();
    s.subMode = display_.subMode();
    s.programCount = program_.count;
    s.canUndo = program_.canUndo();
    s.selected = program_.selected;
    s.canMoveNext = program_.canMove(1);
    s.canMovePrevious = program_.canMove(-1);
    return s;
}

QSize Session::viewSize() const
{
    return viewSizeFor(display_.mode(), video_->frameSize());
}

bool Session::debugMenu() const { return debugMenu_; }

void Session::setDisplayMode(DisplayMode mode)
{
    display_.setMode(mode);
    layout_.setLayoutOnScreen(mode == DisplayMode::Layout);
    if (mode == DisplayMode::Layout) {
        // The picture shows at once, before anything moves.
        std::lock_guard lock(layout_.pictures().mutex());
        layout_.pictures().copyToDisplay(QRect(0, 0, 640, 480));
    }
    if (hooks_.resizeView)
        hooks_.resizeView(viewSize());
    if (hooks_.frameReady)
        hooks_.frameReady();
    changed();
}

void Session::displayCommand(int id)
{
    DisplayMode mode;
    DisplaySubMode sub;
    if (id == cmd::FocusAdjustment) {
        focus_.toggle();
    } else if (modeForCommand(id, mode)) {
        setDisplayMode(mode);
        return;
    } else if (subModeForCommand(id, sub)) {
        display_.setSubMode(sub);
    }
    changed();
}

void Session::showLive(bool centroid)
{
    if (centroid)
        display_.setSubMode(DisplaySubMode::Centroid);
    host_->setVideoRunning(true);
    setDisplayMode(DisplayMode::Live);
}

void Session::simulationCommand()
{
    if (simulation_.running()) {
        stopSimulation();
        return;
    }
    if (!layoutLoaded_)
        return;
    focus_.switchOff();
    display_.setSubMode(DisplaySubMode::TrainFigure);
    setDisplayMode(DisplayMode::Layout);
    simulation_.setCarCount(layout_.model().trainCount);
    simulation_.start();
    changed();
}

void Session::stopSimulation()
{
    simulation_.stop();
    changed();
}

void Session::autoOperationCommand()
{
    if (operation_->operating()) {
        operation_->stopOperation();
    } else {
        if (!calibration_->calibrated() && !simulation_.running()) {
            frontend_.showMessage(common::msg::OperationNotCalibrated);
            return;
        }
        focus_.switchOff();
        operation_->startOperation(program_);
    }
    changed();
}

void Session::toggleEmergencyStop()
{
    emergencyStop_ = !emergencyStop_;
    settings_.writeBool(SettingId::AutoEmergencyStop, emergencyStop_);
    vision::DetectorSettings detection = detector_->settings();
    detection.emergencyStop = emergencyStop_;
    detector_->setSettings(detection);
    changed();
}

void Session::toggleControlPoints()
{
    controlPointsOn_ = !controlPointsOn_;
    if (controlPointsOn_)
        controlPoints_.startWatcher();
    else
        controlPoints_.stopWatcher();
    settings_.writeBool(SettingId::AutoControlRegion, controlPointsOn_);
    changed();
}

void Session::selectSkin(int skin)
{
    skin_ = skin;
    settings_.writeInt(SettingId::ControlSkin, skin);
    usb_->setSkin(skin);
    changed();
}

bool Session::startCalibration()
{
    if (!calibrationRun_ || !commandEnabled(cmd::CalibrationStart, uiState()))
        return false;
    focus_.switchOff();
    const bool started = calibrationRun_->StartCalibration();
    changed();
    return started;
}

void Session::abortCalibration()
{
    if (calibrationRun_)
        calibrationRun_->AbortCalibration();
}

bool Session::openAngleCorrection()
{
    if (!angle_.OpenAngleCorrection(operation_->operating()))
        return false;
    focus_.switchOff();
    angleOpen_.store(true);
    setDisplayMode(DisplayMode::Live);
    return true;
}

void Session::angleMouse(vision::MouseKind kind, QPoint p)
{
    angle_.AngleCorrectionMouse(kind, {p.x(), p.y()});
    calibration_->setMarker(angle_.marker().x, angle_.marker().y);
}

void Session::closeAngleCorrection(bool ok)
{
    if (ok)
        angle_.AngleCorrectionOk();
    else
        angle_.AngleCorrectionCancel();
    angleOpen_.store(false);
    changed();
}

bool Session::saveCalibration(const std::string& path)
{
    const bool saved = calibration_->SaveCalibration(path);
    changed();
    return saved;
}

bool Session::confirmExit(const std::function<std::string()>& chooseCalibrationPath)
{
    ExitSaves saves;
    saves.calibrationModified = calibration_->modified();
    saves.saveCalibration = [&] {
        return calibration_->SaveCalibration(chooseCalibrationPath ? chooseCalibrationPath() : "");
    };
    saves.programModified = program_.modified;
    saves.saveProgram = [this] { return editor_->save(); };
    if (askBeforeExit(frontend_, saves) == ExitDecision::Cancelled) {
        frontend_.redrawPanel();
        return false;
    }
    host_->setVideoRunning(false);
    video_->stopGraph(true);
    return true;
}

void Session::onTimer(int id) { dispatchTimer(id, rail_.started(), *this); }

void Session::servoMoveEnded(int)
{
    // No extended interface in this build drives servos: the one-shot ends.
}

void Session::switchFocusOffWhenBusy()
{
    if (focus_.on() && (operation_->operating() || calibration_->calibrating() ||
                        angleOpen_.load() || simulation_.running()))
        focus_.switchOff();
}

void Session::onFrame(std::span<const uint8_t> frame, int width, int height)
{
    detector_->AnalyzeFrame(frame, width, height);
    switchFocusOffWhenBusy();
    switch (display_.mode()) {
    case DisplayMode::ProgramEditor:
        return;
    case DisplayMode::Layout:
        drawLayoutFrame();
        return;
    case DisplayMode::Live:
    case DisplayMode::Difference:
        drawCameraFrame(frame, width, height);
        return;
    }
}

void Session::drawCameraFrame(std::span<const uint8_t> frame, int width, int height)
{
    QImage& picture = frames_.back(QSize(width, height), QImage::Format_BGR888);
    const bool analysed = detector_->frameWidth() == width && detector_->frameHeight() == height;
    if (display_.mode() == DisplayMode::Live) {
        drawFrame(picture, frame, width, height);
    } else if (analysed && !detector_->result().rawDifference.empty()) {
        drawDifference(picture, detector_->result().rawDifference, width, height);
    } else {
        picture.fill(Qt::black);
    }
    QPainter painter(&picture);
    if (display_.mode() == DisplayMode::Live && focus_.frame(frame, width, height, focusRange_))
        FocusMeter::draw(painter, focus_.band());
    painter.setPen(QPen(pens_.vectorColour, pens_.vectorWidth));
    if (calibration_->calibrating()) {
        drawCalibrationRectangle(painter, calibration_->record());
    } else {
        if (angleOpen_.load())
            drawCameraOverlays(painter, width, height);
        if (analysed)
            drawDetection(painter, display_.subMode(), detector_->result());
    }
    painter.end();
    if (frames_.publish() && hooks_.frameReady)
        hooks_.frameReady();
}

void Session::drawCameraOverlays(QPainter& painter, int width, int height)
{
    AngleOverlay overlay;
    overlay.record = calibration_->record();
    overlay.outline = calibration_->outline();
    overlay.marker = {overlay.record.markerX, overlay.record.markerY};
    const layout::LayoutModel& model = layout_.model();
    if (enableExcept_ && calibration_->hasExceptionRegions()) {
        vision::MaskGeometry g;
        g.trackExtent = model.track().extent();
        g.rotatedExtent = overlay.outline.rotatedExtent;
        g.left = overlay.record.left;
        g.top = overlay.record.top;
        g.right = overlay.record.right;
        g.bottom = overlay.record.bottom;
        g.frameWidth = width;
        g.frameHeight = height;
        g.angle = vision::markerAngle(overlay.marker.x, overlay.marker.y, width, height);
        std::vector<Point> points;
        if (vision::projectRegions(model.exceptions, g, points)) {
            size_t at = 0;
            for (int32_t count : model.exceptions.vertexCounts) {
                QPolygon region;
                for (int32_t i = 0; i < count && at < points.size(); ++i, ++at)
                    region << QPoint(points[at].x, points[at].y);
                overlay.regions.push_back(region);
            }
        }
    }
    drawAngleCorrection(painter, overlay, width, height);
}

void Session::drawLayoutFrame()
{
    // Only an analysis that found something moving redraws the layout.
    const uint64_t analyses = detector_->analysisCount();
    if (analyses == layoutAnalyses_ || detector_->polygonCount() == 0)
        return;
    layoutAnalyses_ = analyses;
    const int position = trains_.nearest.load();
    drawCars(&position, 1);
    if (hooks_.frameReady)
        hooks_.frameReady();
}

void Session::drawCars(const int* positions, int count)
{
    layout::LayoutPictures& pictures = layout_.pictures();
    {
        std::lock_guard lock(pictures.mutex());
        pictures.copyToDisplay(QRect(0, 0, 640, 480));
    }
    const bool figure = display_.subMode() == DisplaySubMode::TrainFigure;
    for (int car = 0; car < count; ++car) {
        if (positions[car] < 0)
            continue;
        if (figure) {
            layout_.drawTrainFigure(car, positions[car]);
        } else if (car == 0) {
            const Point p = layout_.model().track().position(positions[car]);
            std::lock_guard lock(pictures.mutex());
            QPainter painter;
            if (pictures.beginDisplayPainter(painter)) {
                painter.setPen(QPen(pens_.vectorColour, pens_.vectorWidth));
                drawCross(painter, p);
            }
        }
    }
}

bool Session::drawSimulation()
{
    if (!simulation_.running() || display_.mode() != DisplayMode::Layout)
        return false;
    int positions[Simulation::kMaxCars];
    const int cars = std::clamp(layout_.model().trainCount, 1, int(Simulation::kMaxCars));
    for (int car = 0; car < cars; ++car)
        positions[car] = simulation_.carPosition(car);
    drawCars(positions, cars);
    return true;
}

} // namespace vardo::ui
