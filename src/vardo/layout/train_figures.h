#pragma once
// The train display settings and what they load: the photographs of up to
// three cars, the graphic outline from train.wmf (or the TRAIN_SIZE
// rectangle), and each car's fill colour. The dialog itself belongs to the
// window; the operations it performs are here.
#include "layoutdata/train_figure_file.h"
#include "vardo/base/frontend.h"
#include "vardo/base/settings.h"
#include "vardo/layout/layout_model.h"

#include <QColor>
#include <QImage>
#include <array>
#include <string>

namespace vardo::layout {

// Photographs this wide or wider do not fit on a turntable.
constexpr int kMaxPhotoWidthOnTurntable = 85;

struct TrainPaths {
    std::string vardoIni;
    std::string optionIni;
    std::string trainFolder; // <program folder>/sample/train

    Settings settings() const { return Settings(vardoIni, optionIni); }
};

class TrainFigures {
public:
    // TRAIN_TYPE, TRAIN_COUNT, TRAIN_CONNECT into the model.
    static void readKeys(const TrainPaths& paths, LayoutModel& model);

    // TRAIN_FILE1..3: the first one that cannot be read fails the loading
    // with its message (the photographs read before it are kept).
    bool loadPhotographs(const TrainPaths& paths, Frontend& frontend);
    // Whether the last loading of the photographs succeeded.
    bool photosLoaded() const { return photosLoaded_; }
    // train.wmf, or the TRAIN_SIZE rectangle when it cannot be read.
    void loadOutline(const TrainPaths& paths);
    // TRAIN_COLOR1..3 (a bad value is reported and takes the default).
    void loadColours(const TrainPaths& paths, Frontend& frontend);

    // "画像設定": takes the photograph for car n (0-based). On success the
    // path is written, all photographs are reloaded, and the car count is
    // raised to take in car n.
    enum class PhotoChoice { Taken, Unreadable, TooLargeForTurntable };
    PhotoChoice choosePhotograph(int n, const std::string& path, const TrainPaths& paths,
                                 LayoutModel& model, Frontend& frontend);
    // "表示色設定": the colour (0xBBGGRR) for car n, written as "#RRGGBB".
    void chooseColour(int n, int32_t colour, const TrainPaths& paths, LayoutModel& model);
    // The colour the chooser starts from ("#A0A0A0" when the key is absent).
    static int32_t colourForChooser(int n, const TrainPaths& paths);

    const layoutdata::TrainFigureOutline& outline() const { return outline_; }
    bool outlineFromFile() const { return outlineFromFile_; }
    int figureWidth() const { return outline_.width(); }
    int figureHeight() const { return outline_.height(); }
    const QImage& photo(int n) const { return photos_[size_t(n)]; }
    QColor colour(int n) const { return colours_[size_t(n)]; }
    // The square work picture for turning photographs.
    QImage& work() { return work_; }

private:
    std::string photoPath(const std::string& name, const TrainPaths& paths) const;

    layoutdata::TrainFigureOutline outline_ = layoutdata::TrainFigureOutline::rectangle(100, 20);
    bool outlineFromFile_ = false;
    std::array<QImage, kMaxCars> photos_;
    std::array<QColor, kMaxCars> colours_{QColor(128, 128, 128), QColor(128, 128, 128),
                                          QColor(128, 128, 128)};
    QImage work_;
    bool photosLoaded_ = false;
};

} // namespace vardo::layout
