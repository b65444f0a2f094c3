#include "vardo/ui/view_renderer.h"

#include "vardo/vision/exception_mask.h"

#include <QPainter>
#include <algorithm>

namespace vardo::ui {

ViewRenderer::ViewRenderer(VardoAssembly& assembly, RendererState state)
    : assembly_(assembly), state_(std::move(state))
{
}

void ViewRenderer::readSettings()
{
    Settings& settings = assembly_.settings();
    pens_.vectorWidth = settings.getInt(SettingId::VectorPenWidth);
    const int32_t colour = settings.getColour(assembly_.frontend(), SettingId::VectorPenColor);
    if (colour != -1)
        pens_.vectorColour = layout::colourFromValue(colour);
    focusRange_ = settings.getInt(SettingId::ViewFocusRange);
    enableExcept_ = settings.getInt(SettingId::ViewEnableExcept) != 0;
}

void ViewRenderer::ready()
{
    if (state_.frameReady)
        state_.frameReady();
}

void ViewRenderer::frame(std::span<const uint8_t> frame, int width, int height)
{
    switch (state_.display.mode()) {
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

void ViewRenderer::drawCameraFrame(std::span<const uint8_t> frame, int width, int height)
{
    const vision::Detector& detector = assembly_.detector();
    vision::Calibration& calibration = assembly_.calibration();
    const DisplayMode mode = state_.display.mode();
    QImage& picture = state_.frames.back(QSize(width, height), QImage::Format_BGR888);
    const bool analysed = detector.frameWidth() == width && detector.frameHeight() == height;
    if (mode == DisplayMode::Live) {
        drawFrame(picture, frame, width, height);
    } else if (analysed && !detector.result().rawDifference.empty()) {
        drawDifference(picture, detector.result().rawDifference, width, height);
    } else {
        picture.fill(Qt::black);
    }
    QPainter painter(&picture);
    if (mode == DisplayMode::Live && state_.focus.frame(frame, width, height, focusRange_))
        FocusMeter::draw(painter, state_.focus.band());
    painter.setPen(QPen(pens_.vectorColour, pens_.vectorWidth));
    if (calibration.calibrating()) {
        drawCalibrationRectangle(painter, calibration.record());
    } else {
        if (state_.angleOpen.load())
            drawCameraOverlays(painter, width, height);
        if (analysed)
            drawDetection(painter, state_.display.subMode(), detector.result());
    }
    painter.end();
    if (state_.frames.publish())
        ready();
}

void ViewRenderer::drawCameraOverlays(QPainter& painter, int width, int height)
{
    vision::Calibration& calibration = assembly_.calibration();
    AngleOverlay overlay;
    overlay.record = calibration.record();
    overlay.outline = calibration.outline();
    overlay.marker = {overlay.record.markerX, overlay.record.markerY};
    const layout::LayoutModel& model = assembly_.layout().model();
    if (enableExcept_ && calibration.hasExceptionRegions()) {
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

void ViewRenderer::drawLayoutFrame()
{
    // Only an analysis that found something moving redraws the layout.
    const vision::Detector& detector = assembly_.detector();
    const uint64_t analyses = detector.analysisCount();
    if (analyses == layoutAnalyses_ || detector.polygonCount() == 0)
        return;
    layoutAnalyses_ = analyses;
    const int position = assembly_.trains().nearest.load();
    drawCars(&position, 1);
    ready();
}

void ViewRenderer::drawCars(const int* positions, int count)
{
    layout::Layout& layout = assembly_.layout();
    layout::LayoutPictures& pictures = layout.pictures();
    {
        std::lock_guard lock(pictures.mutex());
        pictures.copyToDisplay(QRect(0, 0, 640, 480));
    }
    const bool figure = state_.display.subMode() == DisplaySubMode::TrainFigure;
    for (int car = 0; car < count; ++car) {
        if (positions[car] < 0)
            continue;
        if (figure) {
            layout.drawTrainFigure(car, positions[car]);
        } else if (car == 0) {
            const Point p = layout.model().track().position(positions[car]);
            std::lock_guard lock(pictures.mutex());
            QPainter painter;
            if (pictures.beginDisplayPainter(painter)) {
                painter.setPen(QPen(pens_.vectorColour, pens_.vectorWidth));
                drawCross(painter, p);
            }
        }
    }
}

bool ViewRenderer::drawSimulation()
{
    Simulation& simulation = assembly_.simulation();
    if (!simulation.running() || state_.display.mode() != DisplayMode::Layout)
        return false;
    int positions[Simulation::kMaxCars];
    const int cars =
        std::clamp(assembly_.layout().model().trainCount, 1, int(Simulation::kMaxCars));
    for (int car = 0; car < cars; ++car)
        positions[car] = simulation.carPosition(car);
    drawCars(positions, cars);
    return true;
}

} // namespace vardo::ui
