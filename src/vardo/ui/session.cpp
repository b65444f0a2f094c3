#include "vardo/ui/session.h"

#include "vardo/base/command_ids.h"
#include "vardo/ui/exit_sequence.h"
#include "vardo/vision/video_gst_backend.h"

namespace vardo::ui {

Session::Session(Frontend& frontend, std::string programFolder, SessionParts parts,
                 SessionHooks hooks)
    : frontend_(frontend), hooks_(std::move(hooks))
{
    assembly_ = std::make_unique<VardoAssembly>(frontend, std::move(programFolder),
                                                assemblyParts(std::move(parts)));
    angle_ = std::make_unique<vision::AngleCorrection>(assembly_->calibration());
    renderer_ = std::make_unique<ViewRenderer>(
        *assembly_, RendererState{display_, focus_, frames_, angleOpen_, hooks_.frameReady});
}

Session::~Session()
{
    shutdown();
}

AssemblyParts Session::assemblyParts(SessionParts parts)
{
    AssemblyParts a;
    a.videoBackend = parts.videoBackend ? std::move(parts.videoBackend)
                                        : std::make_unique<vision::GstVideoBackend>();
    a.dialogs.commandEditor = parts.commandEditor;
    a.dialogs.fileChooser = parts.fileChooser;
    a.dialogs.calibrationProgress = parts.progress;
    a.factories = std::move(parts.factories);
    a.sdk = std::move(parts.sdk);
    AssemblyHooks& h = a.hooks;
    h.frame = [this](std::span<const uint8_t> f, int w, int height, bool) {
        onFrame(f, w, height);
    };
    h.displayMode = [this] { return display_.mode(); };
    h.displaySubMode = [this] { return display_.subMode(); };
    h.simulationStarted = [this] { showSimulation(); };
    h.showLive = [this](bool centroid) { showLive(centroid); };
    h.showEmpty = [this] {
        frames_.clear();
        if (hooks_.frameReady)
            hooks_.frameReady();
    };
    h.stateChanged = [this] { changed(); };
    h.turntableTurned = [this](int, bool) {
        if (hooks_.frameReady)
            hooks_.frameReady();
    };
    return a;
}

StartupOutcome Session::start(std::string_view commandLine)
{
    readViewSettings();
    const StartupOutcome outcome = assembly_->start(commandLine);
    if (outcome == StartupOutcome::Started) {
        renderer_->readSettings();
        if (hooks_.resizeView)
            hooks_.resizeView(viewSize());
        changed();
    }
    return outcome;
}

void Session::readViewSettings()
{
    debugMenu_ = assembly_->settings().getInt(SettingId::DebugMenu) != 0;
}

void Session::shutdown()
{
    angleOpen_.store(false);
    assembly_->shutdown();
}

void Session::changed()
{
    if (hooks_.stateChanged)
        hooks_.stateChanged();
}

UiState Session::uiState() const
{
    VardoAssembly& a = *assembly_;
    UiState s;
    s.layoutLoaded = a.layoutLoaded();
    s.simulation = a.simulation().running();
    s.calibrated = a.calibration().calibrated();
    s.calibrating = a.calibration().calibrating();
    s.angleCorrecting = angle_->isOpen();
    s.operating = a.operation().operating();
    s.captureRunning = a.captureRunning();
    s.focusOn = focus_.on();
    s.emergencyStopOn = a.emergencyStopOn();
    s.controlPointsOn = a.controlPointsOn();
    s.controlPointCount = int(a.layout().model().controlPoints.records.size());
    s.cameraDevice = a.video()->deviceNumber();
    s.cameraCount = int(a.video()->cameraNames().size());
    s.skin = a.skin();
    s.speechRunning = a.speechActive();
    s.mode = display_.mode();
    s.subMode = display_.subMode();
    const Program& program = a.program();
    s.programCount = program.count;
    s.canUndo = program.canUndo();
    s.selected = program.selected;
    s.canMoveNext = program.canMove(1);
    s.canMovePrevious = program.canMove(-1);
    return s;
}

QSize Session::viewSize() const
{
    vision::FrameSize frame = assembly_->video()->frameSize();
    // A camera settles its size with its first frame.
    if (frameWidth_.load() > 0)
        frame = {frameWidth_.load(), frameHeight_.load()};
    return viewSizeFor(display_.mode(), frame);
}

int Session::highlightedCommand() const
{
    const Operation& operation = assembly_->operation();
    return operation.operating() ? operation.current() : assembly_->program().selected;
}

void Session::setDisplayMode(DisplayMode mode)
{
    display_.setMode(mode);
    layout::Layout& layout = assembly_->layout();
    layout.setLayoutOnScreen(mode == DisplayMode::Layout);
    if (mode == DisplayMode::Layout) {
        // The picture shows at once, before anything moves.
        std::lock_guard lock(layout.pictures().mutex());
        layout.pictures().copyToDisplay(QRect(0, 0, 640, 480));
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
    setDisplayMode(DisplayMode::Live);
}

void Session::showSimulation()
{
    focus_.switchOff();
    display_.setSubMode(DisplaySubMode::TrainFigure);
    setDisplayMode(DisplayMode::Layout);
}

void Session::forgetFrameSize()
{
    frameWidth_.store(0);
    frameHeight_.store(0);
}

bool Session::coreCommand(int id)
{
    const bool camera = id >= cmd::NoCamera && id <= cmd::LastCamera;
    if (camera)
        forgetFrameSize();
    const bool handled = assembly_->handleCommand(id);
    if (handled && camera && hooks_.resizeView)
        hooks_.resizeView(viewSize());
    return handled;
}

bool Session::openVideoFile(const std::string& path)
{
    forgetFrameSize();
    if (!assembly_->video()->openVideoFile(path))
        return false;
    assembly_->rail().setVideoPath(path);
    assembly_->setVideoRunning(assembly_->video()->running());
    return true;
}

bool Session::startCalibration()
{
    if (!commandEnabled(cmd::CalibrationStart, uiState()))
        return false;
    focus_.switchOff();
    return assembly_->startCalibration();
}

bool Session::openAngleCorrection()
{
    if (!angle_->OpenAngleCorrection(assembly_->operation().operating()))
        return false;
    focus_.switchOff();
    angleOpen_.store(true);
    setDisplayMode(DisplayMode::Live);
    return true;
}

void Session::angleMouse(vision::MouseKind kind, QPoint p)
{
    angle_->AngleCorrectionMouse(kind, {p.x(), p.y()});
    assembly_->calibration().setMarker(angle_->marker().x, angle_->marker().y);
}

void Session::closeAngleCorrection(bool ok)
{
    if (ok)
        angle_->AngleCorrectionOk();
    else
        angle_->AngleCorrectionCancel();
    angleOpen_.store(false);
    changed();
}

bool Session::saveCalibration(const std::string& path)
{
    const bool saved = assembly_->calibration().SaveCalibration(path);
    changed();
    return saved;
}

bool Session::confirmExit(const std::function<std::string()>& chooseCalibrationPath)
{
    vision::Calibration& calibration = assembly_->calibration();
    ExitSaves saves;
    saves.calibrationModified = calibration.modified();
    saves.saveCalibration = [&] {
        return calibration.SaveCalibration(chooseCalibrationPath ? chooseCalibrationPath() : "");
    };
    saves.programModified = assembly_->program().modified;
    saves.saveProgram = [this] { return assembly_->editor().save(); };
    if (askBeforeExit(frontend_, saves) == ExitDecision::Cancelled) {
        frontend_.redrawPanel();
        return false;
    }
    assembly_->setVideoRunning(false);
    assembly_->video()->stopGraph(true);
    return true;
}

void Session::switchFocusOffWhenBusy()
{
    if (focus_.on() &&
        (assembly_->operation().operating() || assembly_->calibration().calibrating() ||
         angleOpen_.load() || assembly_->simulation().running()))
        focus_.switchOff();
}

void Session::onFrame(std::span<const uint8_t> frame, int width, int height)
{
    switchFocusOffWhenBusy();
    // The first frame of a source, or one of another size: the window
    // takes the size the camera really delivers.
    const bool sizeChanged = frameWidth_.exchange(width) != width;
    if ((frameHeight_.exchange(height) != height || sizeChanged) && hooks_.frameSizeChanged)
        hooks_.frameSizeChanged();
    renderer_->frame(frame, width, height);
}

} // namespace vardo::ui
