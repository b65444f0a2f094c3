// Loading the layout: the files of the layout data folder, in this order,
// each with its fallback.
#include "common/bmp.h"
#include "common/colour.h"
#include "common/paths.h"
#include "vardo/layout/layout.h"
#include "vardo/layout/layout_folder.h"
#include "vardo/layout/point_symbol.h"
#include "vardo/layout/turntable_picture.h"

#include <cstdio>

namespace vardo::layout {

namespace {

constexpr int kSetStraightAtLoad = 4;

bool readPointPosition(const Settings& settings, int j, int& x, int& y)
{
    std::string value = settings.getString(SettingId::LayoutPointPosition, j);
    // A value that is not two numbers ends the list like a missing key.
    return std::sscanf(value.c_str(), "%d , %d", &x, &y) == 2;
}

} // namespace

bool Layout::load(const LayoutPaths& paths)
{
    crossings_.stop();
    paths_ = paths;
    const std::string folder = paths.layoutFolder();
    const TrainPaths train = paths.trainPaths();

    TrainFigures::readKeys(train, model_);
    layoutdata::PolylineFile track;
    if (!readLayoutTrack(folder, frontend_, track))
        return false;
    model_.setTrack(track);
    loadLayoutPicture();
    // Without the photographs the graphic figure is drawn; the stored
    // choice stays as it is.
    const bool photos = figures_.loadPhotographs(train, frontend_);
    model_.setTrainDisplay(model_.trainType, model_.trainCount, model_.trainConnect, photos);
    figures_.loadOutline(train);
    figures_.loadColours(train, frontend_);
    loadTurntable();
    loadPoints(track);
    model_.findJunctions();
    buildPointSymbols();
    model_.buildLinks();
    model_.takeApproachPositions();
    for (int k = 0; k < kSetStraightAtLoad; ++k)
        setPoint(k, false, true);
    pictures_.makeDisplayPicture();
    loadRecords();
    loadCrossings();
    return true;
}

void Layout::loadLayoutPicture()
{
    common::Bitmap bitmap;
    if (common::readBitmap(common::joinPath(paths_.layoutFolder(), "layout.bmp"), bitmap) &&
        pictures_.setLayoutPicture(bitmap))
        return;
    const Settings settings = paths_.settings();
    int32_t background = settings.getColour(frontend_, SettingId::LayoutBgColor);
    int32_t pen = settings.getColour(frontend_, SettingId::LayoutPenColor);
    if (background < 0)
        background = common::parseColour(settingKey(SettingId::LayoutBgColor).defaultValue);
    if (pen < 0)
        pen = common::parseColour(settingKey(SettingId::LayoutPenColor).defaultValue);
    int width = settings.getInt(SettingId::LayoutPenWidth);
    pictures_.drawLayoutPicture(model_.track(), background, pen, width);
}

void Layout::loadTurntable()
{
    model_.setTurntable(
        layoutdata::readTurntableSettings(common::joinPath(paths_.layoutFolder(), "turntable.ini")));
    turntablePicture_ = QImage();
    const TurntableData& t = model_.turntable;
    if (!t.present)
        return;
    std::lock_guard lock(pictures_.mutex());
    turntablePicture_ = makeTurntablePicture(pictures_.layout(), t.centre, t.radius);
}

void Layout::loadPoints(const layoutdata::PolylineFile& track)
{
    layoutdata::PointFile points;
    readPointsOrDefault(paths_.layoutFolder(), frontend_, track, points);
    model_.setPoints(points);
    const Settings settings = paths_.settings();
    for (int j = model_.pointRecordCount() + 1; j <= kMaxPoints; ++j) {
        int x = 0, y = 0;
        if (!readPointPosition(settings, j, x, y) || !model_.addPoint(x, y))
            break;
    }
}

void Layout::buildPointSymbols()
{
    const QImage symbol = makePointSymbolBitmap();
    std::lock_guard lock(pictures_.mutex());
    for (int k = 0; k < kMaxPoints; ++k) {
        symbols_[size_t(k)] = QImage();
        if (k >= model_.pointRecordCount())
            continue;
        const auto& r = model_.point(k).record;
        symbols_[size_t(k)] = composePointSymbol(symbol, pictures_.layout(), {r.x, r.y});
    }
}

void Layout::loadRecords()
{
    const std::string folder = paths_.layoutFolder();
    readRegions(common::joinPath(folder, "mask.dat"), frontend_, model_.masks);
    if (model_.masks.polylineCount() > 0)
        pictures_.setMasks(model_.masks);
    readRegions(common::joinPath(folder, "except.dat"), frontend_, model_.exceptions);
    readControlPoints(folder, frontend_, model_.controlPoints);
    if (!model_.controlPoints.records.empty())
        model_.controlRegion = paths_.settings().getInt(SettingId::AutoControlRegion) != 0;
    readSensors(folder, frontend_, model_.sensors);
}

void Layout::loadCrossings()
{
    layoutdata::CrossingFile crossings;
    readCrossings(paths_.layoutFolder(), frontend_, crossings);
    model_.setCrossings(crossings);
    if (model_.crossingCount() == 0)
        return;
    model_.crossTime = paths_.settings().getInt(SettingId::UsbCrossTime);
    crossings_.buildPictures(paths_.layoutFolder());
    model_.raisePointCountForCrossings();
}

} // namespace vardo::layout
