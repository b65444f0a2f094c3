// The editor's files: reading the working folder, Save, the export into the
// layout data folder, and loading a saved working folder.
#include "common/atomic_file.h"
#include "common/paths.h"
#include "planwerk/editor_picture.h"
#include "planwerk/editor_texts.h"
#include "planwerk/layout_editor.h"
#include "planwerk/track_export.h"

#include <filesystem>
#include <system_error>

namespace planwerk {

namespace fs = std::filesystem;
using layoutdata::ReadStatus;

namespace {

// Whether a read went wrong in a way the user must hear of; a missing file
// just means an empty data set.
bool failed(ReadStatus status)
{
    return status != ReadStatus::Ok && status != ReadStatus::CannotOpen;
}

bool removeFile(const std::string& path)
{
    std::error_code error;
    return fs::remove(path, error);
}

// Copies a file of the source folder over the working folder's one. A
// source that is the working folder itself needs no copy.
bool copyInto(const std::string& source, const std::string& target)
{
    std::error_code error;
    if (!fs::is_regular_file(source, error))
        return false;
    if (fs::exists(target, error) && fs::equivalent(source, target, error))
        return true;
    fs::create_directories(fs::path(target).parent_path(), error);
    return common::copyFileAtomic(source, target);
}

void ensureFolder(const std::string& folder)
{
    std::error_code error;
    fs::create_directories(folder, error);
}

} // namespace

void LayoutEditor::readVertexRows()
{
    for (auto& row : rows_)
        row.clear();
    layoutdata::VertexFile file;
    ReadStatus status =
        layoutdata::readVertexFile(common::joinPath(workingFolder(), "layout.dat"), file);
    if (status == ReadStatus::CannotOpen)
        return;
    // Rows longer than the configured capacity are refused whole.
    if (failed(status) || !rows_[0].assign(file.outer) || !rows_[1].assign(file.siding)) {
        for (auto& row : rows_)
            row.clear();
        message(text::kNotVertexFile);
    }
}

void LayoutEditor::readMasks(RegionSet& set, const std::string& name)
{
    set.setCount(0);
    layoutdata::MaskFile file;
    ReadStatus status = layoutdata::readMaskFile(common::joinPath(workingFolder(), name), file);
    if (status == ReadStatus::Ok && set.assign(file.records))
        return;
    if (status != ReadStatus::CannotOpen)
        message(text::kNotMaskFile);
}

bool LayoutEditor::readControlPoints()
{
    layoutdata::ControlPointFile file;
    ReadStatus status =
        layoutdata::readControlPointFile(common::joinPath(workingFolder(), "control.dat"), file);
    if (status == ReadStatus::Ok && controls_.assign(file.records)) {
        modified_.control = false;
        return true;
    }
    if (status == ReadStatus::WrongVersion)
        message(text::kControlVersion);
    else if (status != ReadStatus::CannotOpen)
        message(text::kNotControlFile);
    return false;
}

bool LayoutEditor::readCrossings()
{
    layoutdata::CrossingFile file;
    ReadStatus status =
        layoutdata::readCrossingFile(common::joinPath(workingFolder(), "cross.dat"), file);
    modified_.crossing = false;
    if (status == ReadStatus::Ok && crossings_.assign(file.records))
        return true;
    if (status != ReadStatus::CannotOpen)
        message(text::kNotCrossingFile);
    return false;
}

bool LayoutEditor::readSensors()
{
    layoutdata::SensorFile file;
    ReadStatus status =
        layoutdata::readSensorFile(common::joinPath(workingFolder(), "sensor.dat"), file);
    modified_.sensor = false;
    if (status == ReadStatus::Ok && sensors_.assign(file.records))
        return true;
    if (status != ReadStatus::CannotOpen)
        message(text::kNotSensorFile);
    return false;
}

void LayoutEditor::save()
{
    std::string work = workingFolder();
    ensureFolder(work);
    auto path = [&](const char* name) { return common::joinPath(work, name); };
    auto check = [&](bool ok, const char* failure) {
        if (!ok)
            message(failure);
    };
    if (modified_.picture)
        check(savePicture(path("picture.bmp"), layoutPicture_), text::kPictureSaveFailed);
    if (modified_.layout) {
        layoutdata::VertexFile file{rows_[0].toVector(), rows_[1].toVector()};
        check(layoutdata::writeVertexFile(path("layout.dat"), file), text::kVertexSaveFailed);
    }
    if (modified_.mask) {
        check(layoutdata::writeMaskFile(path("mask.dat"), {masks_.toVector()}),
              text::kMaskSaveFailed);
    }
    if (modified_.exception) {
        check(layoutdata::writeMaskFile(path("except.dat"), {exceptions_.toVector()}),
              text::kMaskSaveFailed);
    }
    if (modified_.control) {
        check(layoutdata::writeControlPointFile(path("control.dat"), {controls_.toVector()}),
              text::kControlSaveFailed);
    }
    if (modified_.crossing) {
        check(layoutdata::writeCrossingFile(path("cross.dat"), {crossings_.toVector()}),
              text::kCrossingSaveFailed);
    }
    if (modified_.sensor) {
        check(layoutdata::writeSensorFile(path("sensor.dat"), {sensors_.toVector()}),
              text::kSensorSaveFailed);
    }
    if (modified_.collage)
        check(savePicture(path("collage.bmp"), collagePicture_), text::kPictureSaveFailed);
    if (modified_.trainEdit && !trainEditPicture_.isNull()) {
        buildTrainPictureNow();
        storeTrainRectInPicture();
        check(savePicture(path("train_edit.bmp"), trainEditPicture_), text::kPictureSaveFailed);
        if (askYesNo(text::kWriteTrainPicture)) {
            if (auto file = frontend_.chooseSaveFile(".bmp", text::kBitmapFilter))
                check(savePicture(*file, trainPicture_), text::kPictureSaveFailed);
        }
    }
    // Crossings and sensors keep their flags until they are read again.
    bool crossing = modified_.crossing, sensor = modified_.sensor;
    modified_ = ModifiedFlags{};
    modified_.crossing = crossing;
    modified_.sensor = sensor;
}

void LayoutEditor::exportStale(const char* name, const char* question)
{
    std::string path = common::joinPath(layoutFolder(), name);
    std::error_code error;
    if (!fs::exists(path, error))
        return;
    if (frontend_.ask(question, Buttons::YesNo, common::Icon::Question, Answer::No) == Answer::Yes)
        removeFile(path);
}

void LayoutEditor::exportLayout()
{
    if (!askYesNo(text::kConfirmExport))
        return;
    std::string folder = layoutFolder();
    ensureFolder(folder);
    auto path = [&](const char* name) { return common::joinPath(folder, name); };

    if (hasLayoutPicture()) {
        // A photograph still waiting for Resize is no composite: it has any
        // size, and the layout picture must be 640 x 480.
        bool composite =
            !collagePicture_.isNull() && !sourcePicture_.isNull() && !waiting_.waiting();
        bool ok = savePicture(path("layout.bmp"), composite ? sourcePicture_ : layoutPicture_);
        if (!ok)
            message(text::kPictureSaveFailed);
        else if (composite)
            modified_.collage = false;
        else
            modified_.picture = false;
    }
    if (rows_[0].count() > 0) {
        auto track = expandTrack(rows_[0], rows_[1], settings_.pointPitch, settings_.maxPoly);
        // A track without points (MAX_POLY of 0) would not load in Vardo:
        // the old file is kept and the failure shown.
        if (track.vertices.empty() || !layoutdata::writePolylineFile(path("layout.dat"), track))
            message(text::kTrackExportFailed);
    }
    if (masks_.count() > 0) {
        if (!layoutdata::writePolylineFile(path("mask.dat"),
                                           layoutdata::maskToPolylines({masks_.toVector()})))
            message(text::kMaskSaveFailed);
    } else {
        exportStale("mask.dat", text::kStaleMask);
    }
    if (exceptions_.count() > 0) {
        if (!layoutdata::writePolylineFile(path("except.dat"),
                                           layoutdata::maskToPolylines({exceptions_.toVector()})))
            message(text::kMaskSaveFailed);
    } else {
        exportStale("except.dat", text::kStaleException);
    }
    if (controls_.present()) {
        if (!layoutdata::writeControlPointFile(path("control.dat"), {controls_.toVector()}))
            message(text::kControlSaveFailed);
    } else {
        exportStale("control.dat", text::kStaleControl);
    }
    if (sensors_.present()) {
        if (!layoutdata::writeSensorFile(path("sensor.dat"), {sensors_.toVector()}))
            message(text::kSensorSaveFailed);
    } else {
        exportStale("sensor.dat", text::kStaleCrossing);
    }
    if (crossings_.present()) {
        if (!layoutdata::writeCrossingFile(path("cross.dat"), {crossings_.toVector()}))
            message(text::kCrossingSaveFailed);
        // The closed-crossing pictures belong to the old crossings.
        removeFile(path("cross1.bmp"));
        removeFile(path("cross2.bmp"));
    } else {
        exportStale("cross.dat", text::kStaleCrossing);
    }
    if (!layoutdata::writePointFile(path("point.dat"), buildPointFile(rows_[1])))
        message(text::kPointSaveFailed);
}

void LayoutEditor::loadLayoutData()
{
    if (!askYesNo(text::kConfirmLoadLayout))
        return;
    auto source = frontend_.chooseFolder(text::kChooseLayoutFolder,
                                         common::joinPath(programFolder_, "planwerk_zozazi"));
    if (!source)
        return;
    std::string work = workingFolder();
    auto copy = [&](const char* name) {
        return copyInto(common::joinPath(*source, name), common::joinPath(work, name));
    };
    auto dropWorking = [&](const char* name) { removeFile(common::joinPath(work, name)); };
    if (!copy("picture.bmp") || !copy("layout.dat")) {
        message(text::kLoadLayoutMissing);
        return;
    }
    // Indices into the old rows mean nothing in the new ones.
    resetEditState();
    QImage picture;
    if (loadPicture(common::joinPath(work, "picture.bmp"), picture))
        setLayoutPicture(picture);
    readVertexRows();

    masks_.setCount(0);
    if (copy("mask.dat"))
        readMasks(masks_, "mask.dat");
    else
        dropWorking("mask.dat");

    exceptions_.create();
    exceptions_.setCount(0);
    if (copy("except.dat"))
        readMasks(exceptions_, "except.dat");
    else
        dropWorking("except.dat");

    controls_.setCount(0);
    if (copy("control.dat")) {
        controls_.reset();
        if (!readControlPoints())
            controls_.drop();
    } else {
        dropWorking("control.dat");
    }

    crossings_.setCount(0);
    if (copy("cross.dat")) {
        crossings_.reset();
        readCrossings();
    } else {
        dropWorking("cross.dat");
    }
    frontend_.repaint();
}

} // namespace planwerk
