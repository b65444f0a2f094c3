#include "vardo/layout/layout.h"

#include "common/paths.h"
#include "vardo/layout/figure_placement.h"
#include "vardo/layout/point_symbol.h"
#include "vardo/layout/train_figure_drawing.h"
#include "vardo/layout/turntable_picture.h"

#include <QPainter>

namespace vardo::layout {

std::string LayoutPaths::layoutFolder() const
{
    return layout.empty() ? common::joinPath(programFolder, "layout") : layout;
}

std::string LayoutPaths::trainFolder() const
{
    return common::joinPath(common::joinPath(programFolder, "sample"), "train");
}

TrainPaths LayoutPaths::trainPaths() const { return {vardoIni, optionIni, trainFolder()}; }

Layout::Layout(Frontend& frontend)
    : frontend_(frontend), crossings_(model_, pictures_)
{
}

Layout::~Layout() { crossings_.stop(); }

bool Layout::setPoint(int k, bool branch, bool draw)
{
    if (!model_.setPointLinks(k, branch))
        return false;
    if (!draw || !layoutOnScreen_)
        return true;
    if (model_.crossingDrivenBy(k + 1)) {
        crossings_.drive(k + 1, branch, &frontend_);
    } else if (k < model_.pointRecordCount() && !symbols_[size_t(k)].isNull()) {
        const auto& r = model_.point(k).record;
        drawPointSymbol(pictures_, symbols_[size_t(k)], {r.x, r.y}, branch);
    }
    return true;
}

void Layout::crossingDrive(int number, bool closed) { crossings_.drive(number, closed, &frontend_); }

bool Layout::paintFigure(QPainter& painter, int car, int b)
{
    if (car < 0 || car >= kMaxCars || b < 0 || b >= model_.track().positionCount())
        return false;
    bool photo = model_.figureType.load() == 0;
    int width = photo ? figures_.photo(car).width() : figures_.figureWidth();
    FigurePlacement placement =
        placeFigure(model_.track(), model_.links(), b, width, model_.turned[size_t(car)]);
    if (!photo)
        drawGraphicFigure(painter, figures_.outline(), placement, figures_.colour(car));
    else
        drawPhotoFigure(painter, figures_.photo(car), placement, figures_.work());
    return placement.bothLinked;
}

bool Layout::drawTrainFigure(QImage& picture, int car, int b)
{
    QPainter painter(&picture);
    painter.setClipRegion(pictures_.clip());
    return paintFigure(painter, car, b);
}

bool Layout::drawTrainFigure(int car, int b)
{
    std::lock_guard lock(pictures_.mutex());
    QPainter painter;
    if (!pictures_.beginDisplayPainter(painter))
        return false;
    return paintFigure(painter, car, b);
}

bool Layout::drawTurntable(int i, bool simulation, bool reversal, std::span<const Point> cars)
{
    TurntableData& t = model_.turntable;
    if (!t.present || turntablePicture_.isNull() || i < 0 || size_t(i) >= t.lineAngles.size())
        return false;
    const int r = t.radius;
    drawTurntableBridge(turntablePicture_, r, t.lineAngles[size_t(i)]);
    // The control loop turns the bridge while the view draws the figures:
    // the turned flags change under the pictures' lock too.
    std::lock_guard lock(pictures_.mutex());
    {
        QRect square(t.centre.x - r, t.centre.y - r, 2 * r, 2 * r);
        QPainter painter(&pictures_.layout());
        painter.drawImage(square.topLeft(), turntablePicture_, QRect(2 * r, 0, 2 * r, 2 * r));
        painter.end();
        pictures_.copyToDisplay(square);
    }
    t.trackIndex = i;
    if (simulation && reversal != t.lastReversal) {
        for (size_t car = 0; car < cars.size() && car < size_t(kMaxCars); ++car) {
            long long dx = cars[car].x - t.centre.x, dy = cars[car].y - t.centre.y;
            if (dx * dx + dy * dy < t.range) {
                model_.turned[car] = !model_.turned[car];
                break;
            }
        }
    }
    t.lastReversal = reversal;
    return true;
}

void Layout::computeHomePositions()
{
    model_.computeHomePositions(paths_.vardoIni, paths_.optionIni);
}

} // namespace vardo::layout
