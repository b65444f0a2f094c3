#include "planwerk/layout_editor.h"

#include "common/paths.h"
#include "common/string_table.h"
#include "planwerk/editor_picture.h"
#include "planwerk/editor_texts.h"

#include <algorithm>
#include <filesystem>

namespace planwerk {

namespace fs = std::filesystem;

const char* modeName(EditMode mode)
{
    switch (mode) {
    case EditMode::OuterLoop:
        return "outer";
    case EditMode::Sidings:
        return "sidings";
    case EditMode::Mask:
        return "mask";
    case EditMode::Exception:
        return "exception";
    case EditMode::TrainPicture:
        return "train";
    case EditMode::ControlPoints:
        return "control";
    case EditMode::Crossings:
        return "crossing";
    case EditMode::Sensors:
        return "sensor";
    case EditMode::None:
        break;
    }
    return "none";
}

LayoutEditor::LayoutEditor(EditorFrontend& frontend, std::string programFolder)
    : frontend_(frontend), programFolder_(std::move(programFolder))
{
    masks_.reset();
}

std::string LayoutEditor::iniPath() const
{
    return common::joinPath(programFolder_, "Planwerk.ini");
}
std::string LayoutEditor::workingFolder() const
{
    return common::joinPath(programFolder_, "planwerk");
}
std::string LayoutEditor::layoutFolder() const
{
    return common::joinPath(programFolder_, "layout");
}

void LayoutEditor::message(const std::string& text, common::Icon icon)
{
    frontend_.showMessage(text, icon);
}

bool LayoutEditor::askYesNo(const char* text, Answer defaultAnswer)
{
    return frontend_.ask(text, Buttons::YesNo, common::Icon::Question, defaultAnswer) ==
           Answer::Yes;
}

bool LayoutEditor::initialise()
{
    if (!fs::exists(iniPath())) {
        message(common::formatText(text::kFileNotFound, {iniPath()}), common::Icon::Stop);
        frontend_.closeWindow();
        return false;
    }
    sourceKind_ = 0;
    trimState_ = 0;
    modified_ = ModifiedFlags{};
    settings_ = readEditorSettings(frontend_, iniPath());

    mode_ = EditMode::None;
    resetEditState();
    for (auto& row : rows_)
        row.allocate(settings_.maxPoint);
    currentRow_ = 0;

    masks_.reset();
    lastPopup_ = {320, 240};
    std::string work = workingFolder();
    if (fs::exists(common::joinPath(work, "except.dat"))) {
        exceptions_.reset();
        readMasks(exceptions_, "except.dat");
    }
    if (fs::exists(common::joinPath(work, "cross.dat"))) {
        crossings_.reset();
        readCrossings();
    }
    trainRect_ = {Point{160, 360}, {480, 360}, {320, 120}, {160, 120}, {480, 120}};
    if (fs::exists(common::joinPath(work, "control.dat"))) {
        controls_.reset();
        if (!readControlPoints())
            controls_.drop();
    }
    if (fs::exists(common::joinPath(work, "sensor.dat"))) {
        sensors_.reset();
        if (!readSensors())
            sensors_.drop();
    }
    QImage picture;
    if (loadPicture(common::joinPath(work, "picture.bmp"), picture))
        setLayoutPicture(picture);
    readVertexRows();
    readMasks(masks_, "mask.dat");
    return true;
}

void LayoutEditor::setSettings(const EditorSettings& values)
{
    // The same limits the settings dialog enforces, so a caller without the
    // dialog cannot give a zero-width pen or a train picture of no height.
    settings_.sortPoint = std::clamp(values.sortPoint, 0, 1);
    settings_.pointSize = std::clamp(values.pointSize, 1, 10);
    settings_.lineWidth = std::clamp(values.lineWidth, 1, 10);
    settings_.maskWidth = std::clamp(values.maskWidth, 1, 20);
    settings_.railWidth = std::clamp(values.railWidth, 1, 100);
    settings_.trainSize = std::clamp(values.trainSize, 10, 100);
    frontend_.repaint();
}

void LayoutEditor::setLayoutPicture(const QImage& picture)
{
    layoutPicture_ = picture;
    pictureWidth_ = picture.width();
    pictureHeight_ = picture.height();
}

void LayoutEditor::resetEditState()
{
    selection_ = -1;
    dragCounter_ = -1;
    snapshot_.count = -1;
}

void LayoutEditor::enterMode(EditMode mode)
{
    resetEditState();
    if (mode_ == EditMode::TrainPicture)
        buildTrainPictureNow();
    mode_ = mode;
    switch (mode) {
    case EditMode::OuterLoop:
        currentRow_ = 0;
        break;
    case EditMode::Sidings:
        currentRow_ = 1;
        break;
    case EditMode::Exception:
        exceptions_.create();
        break;
    case EditMode::TrainPicture:
        modified_.trainEdit = true;
        frontend_.repaint();
        break;
    case EditMode::ControlPoints:
        if (!controls_.present()) {
            controls_.reset();
            message(text::kControlHint, common::Icon::Information);
        }
        break;
    case EditMode::Crossings:
        if (!crossings_.present()) {
            crossings_.reset();
            if (fs::exists(common::joinPath(workingFolder(), "cross.dat")))
                readCrossings();
        }
        break;
    case EditMode::Sensors:
        if (!sensors_.present()) {
            sensors_.reset();
            message(text::kSensorHint, common::Icon::Information);
        }
        break;
    case EditMode::Mask:
    case EditMode::None:
        break;
    }
    frontend_.repaint();
}

void LayoutEditor::takeSnapshot()
{
    switch (mode_) {
    case EditMode::OuterLoop:
    case EditMode::Sidings:
        snapshot_.vertices = currentRow().toVector();
        snapshot_.count = currentRow().count();
        modified_.layout = true;
        break;
    case EditMode::Mask:
        snapshot_.regions = masks_.items();
        snapshot_.count = masks_.count();
        modified_.mask = true;
        break;
    case EditMode::Exception:
        snapshot_.regions = exceptions_.items();
        snapshot_.count = exceptions_.count();
        modified_.exception = true;
        break;
    case EditMode::TrainPicture:
        std::copy(trainRect_.begin(), trainRect_.begin() + 3, snapshot_.trainHandles.begin());
        snapshot_.count = 3;
        modified_.trainEdit = true;
        break;
    case EditMode::ControlPoints:
        snapshot_.controlPoints = controls_.items();
        snapshot_.count = controls_.count();
        modified_.control = true;
        break;
    case EditMode::Crossings:
        snapshot_.crossings = crossings_.items();
        snapshot_.count = crossings_.count();
        modified_.crossing = true;
        break;
    case EditMode::Sensors:
        snapshot_.sensors = sensors_.items();
        snapshot_.count = sensors_.count();
        modified_.sensor = true;
        break;
    case EditMode::None:
        break;
    }
}

void LayoutEditor::restoreSnapshot()
{
    if (snapshot_.count < 0)
        return;
    int n = snapshot_.count;
    switch (mode_) {
    case EditMode::OuterLoop:
    case EditMode::Sidings:
        currentRow().assign(snapshot_.vertices);
        break;
    case EditMode::Mask:
        masks_.items() = snapshot_.regions;
        masks_.setCount(n);
        break;
    case EditMode::Exception:
        exceptions_.items() = snapshot_.regions;
        exceptions_.setCount(n);
        break;
    case EditMode::TrainPicture:
        std::copy(snapshot_.trainHandles.begin(), snapshot_.trainHandles.end(), trainRect_.begin());
        break;
    case EditMode::ControlPoints:
        controls_.items() = snapshot_.controlPoints;
        controls_.setCount(n);
        break;
    case EditMode::Crossings:
        crossings_.items() = snapshot_.crossings;
        crossings_.setCount(n);
        break;
    case EditMode::Sensors:
        sensors_.items() = snapshot_.sensors;
        sensors_.setCount(n);
        break;
    case EditMode::None:
        break;
    }
    resetEditState();
    frontend_.repaint();
}

bool LayoutEditor::isEnabled(Command command) const
{
    bool picture = hasLayoutPicture();
    bool selected = selection_ >= 0;
    switch (command) {
    case Command::DeleteVertex:
    case Command::ToggleCurve:
        return mode_ != EditMode::None && selected;
    case Command::Platform:
        return mode_ == EditMode::OuterLoop && selected;
    case Command::CreateTurnout:
        return mode_ == EditMode::Sidings;
    case Command::PointSettings:
        return mode_ == EditMode::Sidings && selected;
    case Command::AppendSwitch:
        return mode_ == EditMode::OuterLoop && settings_.sortPoint == 0;
    case Command::Undo:
        return snapshot_.count != -1;
    case Command::New:
        return mode_ != EditMode::None;
    case Command::Save:
    case Command::Export:
    case Command::OuterLoopMode:
    case Command::SidingsMode:
    case Command::MaskMode:
    case Command::ExceptionMode:
    case Command::ControlPointsMode:
    case Command::CrossingsMode:
    case Command::SensorsMode:
        return picture;
    case Command::TrainPictureMode:
        return !trainEditPicture_.isNull();
    case Command::LoadLayout:
    case Command::Exit:
        return true;
    case Command::AddRect:
        return regionMode() || markerMode();
    case Command::AddBand:
        return mode_ == EditMode::Mask;
    case Command::DeleteRegion:
        return (regionMode() || markerMode()) && selected;
    case Command::AddControl:
        return mode_ == EditMode::ControlPoints;
    case Command::AddCrossing:
        return mode_ == EditMode::Crossings;
    case Command::AddSensor:
        return mode_ == EditMode::Sensors;
    case Command::DeleteMarker:
        return (markerMode() && selected) ||
               (mode_ == EditMode::Crossings && crossings_.count() == 1);
    case Command::ControlSettings:
        return mode_ == EditMode::ControlPoints && controls_.count() > 0;
    case Command::CrossingSettings:
        return mode_ == EditMode::Crossings && crossings_.count() > 0;
    case Command::SensorSettings:
        return mode_ == EditMode::Sensors && sensors_.count() > 0;
    case Command::OpenLayoutPicture:
    case Command::OpenCollagePicture:
    case Command::OpenTrainPicture:
        return true;
    case Command::Resize:
        return waiting_.waiting();
    case Command::Rotate:
        return picture || (mode_ == EditMode::TrainPicture && !trainEditPicture_.isNull());
    case Command::Compose:
        return picture && !collagePicture_.isNull();
    }
    return false;
}

bool LayoutEditor::run(Command command)
{
    if (!isEnabled(command))
        return false;
    switch (command) {
    case Command::DeleteVertex:
        deleteVertex();
        break;
    case Command::ToggleCurve:
        toggleCurve();
        break;
    case Command::Platform:
        setPlatform();
        break;
    case Command::CreateTurnout:
        createTurnout();
        break;
    case Command::PointSettings:
        pointSettings();
        break;
    case Command::AppendSwitch:
        toggleAppend();
        break;
    case Command::Undo:
        restoreSnapshot();
        break;
    case Command::New:
        newData();
        break;
    case Command::Save:
        save();
        break;
    case Command::Export:
        exportLayout();
        break;
    case Command::LoadLayout:
        loadLayoutData();
        break;
    case Command::OuterLoopMode:
        enterMode(EditMode::OuterLoop);
        break;
    case Command::SidingsMode:
        enterMode(EditMode::Sidings);
        break;
    case Command::MaskMode:
        enterMode(EditMode::Mask);
        break;
    case Command::ExceptionMode:
        enterMode(EditMode::Exception);
        break;
    case Command::ControlPointsMode:
        enterMode(EditMode::ControlPoints);
        break;
    case Command::CrossingsMode:
        enterMode(EditMode::Crossings);
        break;
    case Command::SensorsMode:
        enterMode(EditMode::Sensors);
        break;
    case Command::TrainPictureMode:
        enterMode(EditMode::TrainPicture);
        break;
    case Command::Exit:
        exit();
        break;
    case Command::AddRect:
        if (regionMode())
            addRegion(false);
        else
            runAddMarker();
        break;
    case Command::AddBand:
        addRegion(true);
        break;
    case Command::DeleteRegion:
        if (regionMode())
            deleteRegion();
        else
            deleteMarker();
        break;
    case Command::AddControl:
        addControlPoint();
        break;
    case Command::AddCrossing:
        addCrossing();
        break;
    case Command::AddSensor:
        addSensor();
        break;
    case Command::DeleteMarker:
        deleteMarker();
        break;
    case Command::ControlSettings:
        controlSettings();
        break;
    case Command::CrossingSettings:
        crossingSettings();
        break;
    case Command::SensorSettings:
        sensorSettings();
        break;
    case Command::OpenLayoutPicture:
        openPicture(SourceKind::Layout);
        break;
    case Command::OpenCollagePicture:
        openPicture(SourceKind::Collage);
        break;
    case Command::OpenTrainPicture:
        openPicture(SourceKind::TrainEdit);
        break;
    case Command::Resize:
        resize();
        break;
    case Command::Rotate:
        rotate();
        break;
    case Command::Compose:
        compose();
        break;
    }
    return true;
}

// The main menu's add item in a marker mode adds that mode's marker.
void LayoutEditor::runAddMarker()
{
    if (mode_ == EditMode::ControlPoints)
        addControlPoint();
    else if (mode_ == EditMode::Crossings)
        addCrossing();
    else if (mode_ == EditMode::Sensors)
        addSensor();
}

void LayoutEditor::newData()
{
    const char* question = nullptr;
    switch (mode_) {
    case EditMode::OuterLoop:
        question = text::kNewOuterLoop;
        break;
    case EditMode::Sidings:
        question = text::kNewSidings;
        break;
    case EditMode::Mask:
        question = text::kNewMask;
        break;
    case EditMode::Exception:
        question = text::kNewException;
        break;
    case EditMode::ControlPoints:
        question = text::kNewControl;
        break;
    case EditMode::Crossings:
        question = text::kNewCrossing;
        break;
    case EditMode::Sensors:
        question = text::kNewSensor;
        break;
    case EditMode::TrainPicture:
    case EditMode::None:
        return;
    }
    if (!askYesNo(question))
        return;
    switch (mode_) {
    case EditMode::OuterLoop:
    case EditMode::Sidings:
        currentRow().clear();
        modified_.layout = true;
        break;
    case EditMode::Mask:
        masks_.setCount(0);
        modified_.mask = true;
        break;
    case EditMode::Exception:
        exceptions_.setCount(0);
        modified_.exception = true;
        break;
    case EditMode::ControlPoints:
        controls_.setCount(0);
        modified_.control = true;
        break;
    case EditMode::Crossings:
        crossings_.setCount(0);
        modified_.crossing = true;
        break;
    case EditMode::Sensors:
        sensors_.setCount(0);
        modified_.sensor = true;
        break;
    case EditMode::TrainPicture:
    case EditMode::None:
        break;
    }
    resetEditState();
    frontend_.repaint();
}

void LayoutEditor::askToSave()
{
    if (modified_.any() && askYesNo(text::kAskToSave))
        save();
}

void LayoutEditor::exit()
{
    askToSave();
    frontend_.closeWindow();
}

} // namespace planwerk
