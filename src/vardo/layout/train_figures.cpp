#include "vardo/layout/train_figures.h"

#include "common/bmp.h"
#include "common/colour.h"
#include "common/paths.h"
#include "vardo/layout/layout_pictures.h"
#include "vardo/layout/photo_rotation.h"

#include <cstdio>

namespace vardo::layout {

void TrainFigures::readKeys(const TrainPaths& paths, LayoutModel& model)
{
    const Settings settings = paths.settings();
    model.setTrainDisplay(settings.getInt(SettingId::LayoutTrainType),
                          settings.getInt(SettingId::LayoutTrainCount),
                          settings.getInt(SettingId::LayoutTrainConnect), true);
}

std::string TrainFigures::photoPath(const std::string& name, const TrainPaths& paths) const
{
    if (common::hasFolderPart(name))
        return common::toNativePath(name);
    return common::joinPath(paths.trainFolder, name);
}

bool TrainFigures::loadPhotographs(const TrainPaths& paths, Frontend& frontend)
{
    work_ = QImage();
    photosLoaded_ = false;
    int side = 0;
    for (int n = 0; n < kMaxCars; ++n) {
        photos_[size_t(n)] = QImage();
        std::string name = paths.settings().getString(SettingId::LayoutTrainFile, n + 1);
        if (name.empty())
            continue;
        common::Bitmap bitmap;
        if (!common::readBitmap(photoPath(name, paths), bitmap)) {
            frontend.showMessage(common::msg::TrainPictureMissing);
            return false;
        }
        photos_[size_t(n)] = imageFromBitmap(bitmap);
        side = std::max(side, workPictureSide(bitmap.width, bitmap.height));
    }
    if (side > 0) {
        work_ = QImage(side, side, QImage::Format_RGB888);
        work_.fill(Qt::black);
    }
    photosLoaded_ = true;
    return true;
}

void TrainFigures::loadOutline(const TrainPaths& paths)
{
    layoutdata::TrainFigureOutline read;
    auto status =
        layoutdata::readTrainFigure(common::joinPath(paths.trainFolder, "train.wmf"), read);
    if (status == layoutdata::ReadStatus::Ok && read.pointTotal > 0) {
        outline_ = read;
        outlineFromFile_ = true;
        return;
    }
    int w = 100, h = 20;
    std::string size = paths.settings().getString(SettingId::LayoutTrainSize);
    if (std::sscanf(size.c_str(), "%d , %d", &w, &h) != 2 || w <= 0 || h <= 0) {
        w = 100;
        h = 20;
    }
    outline_ = layoutdata::TrainFigureOutline::rectangle(w, h);
    outlineFromFile_ = false;
}

void TrainFigures::loadColours(const TrainPaths& paths, Frontend& frontend)
{
    for (int n = 0; n < kMaxCars; ++n) {
        int32_t c = paths.settings().getColour(frontend, SettingId::LayoutTrainColor, n + 1);
        colours_[size_t(n)] = c < 0 ? QColor(128, 128, 128) : colourFromValue(c);
    }
}

TrainFigures::PhotoChoice TrainFigures::choosePhotograph(int n, const std::string& path,
                                                         const TrainPaths& paths,
                                                         LayoutModel& model, Frontend& frontend)
{
    if (n < 0 || n >= kMaxCars)
        return PhotoChoice::Unreadable;
    common::Bitmap bitmap;
    if (!common::readBitmap(photoPath(path, paths), bitmap)) {
        frontend.showMessage(common::msg::TrainPictureMissing);
        return PhotoChoice::Unreadable;
    }
    if (model.turntable.present && bitmap.width >= kMaxPhotoWidthOnTurntable) {
        frontend.showMessage(common::msg::TrainTooLargeForTurntable);
        return PhotoChoice::TooLargeForTurntable;
    }
    paths.settings().write(SettingId::LayoutTrainFile, path, n + 1);
    loadPhotographs(paths, frontend);
    if (n >= model.trainCount)
        model.trainCount = n + 1;
    return PhotoChoice::Taken;
}

void TrainFigures::chooseColour(int n, int32_t colour, const TrainPaths& paths, LayoutModel& model)
{
    if (n < 0 || n >= kMaxCars)
        return;
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", common::colourRed(colour),
                  common::colourGreen(colour), common::colourBlue(colour));
    paths.settings().write(SettingId::LayoutTrainColor, text, n + 1);
    colours_[size_t(n)] = colourFromValue(colour);
    if (n >= model.trainCount)
        model.trainCount = n + 1;
}

int32_t TrainFigures::colourForChooser(int n, const TrainPaths& paths)
{
    const SettingId id = SettingId::LayoutTrainColor;
    int32_t c = common::parseColour(paths.settings().getDialogString(id, n + 1));
    return c < 0 ? common::parseColour(settingKey(id).dialogDefault) : c;
}

} // namespace vardo::layout
