#pragma once
// Drawing of the camera displays: the frame or the difference image into
// the view's picture, and the overlays of detection, calibration and
// angle correction on top. Camera coordinates, y downwards.
#include "vardo/vision/calibration_record.h"
#include "vardo/vision/detector.h"
#include "vardo/vision/rotated_outline.h"

#include <QColor>
#include <QImage>
#include <QPolygon>
#include <cstdint>
#include <span>
#include <vector>

class QPainter;

namespace vardo::ui {

using vision::Point;

struct ViewPens {
    QColor vectorColour{255, 0, 0};
    int vectorWidth = 2;
};

constexpr int kCrossArm = 8;

// The frame (bottom-up blue-green-red rows) into the picture, top row first.
void drawFrame(QImage& picture, std::span<const uint8_t> frame, int width, int height);
// The difference image (one byte per pixel, 0 or 1, rows as the frame):
// changed pixels white on black.
void drawDifference(QImage& picture, std::span<const uint8_t> difference, int width, int height);

void drawCross(QPainter& painter, Point p);

// The detection overlay of the live and difference displays.
void drawDetection(QPainter& painter, vision::DisplaySubMode sub,
                   const vision::AnalysisResult& result);

// The rotated track outline placed into the calibration rectangle, one
// polyline per track line.
std::vector<QPolygon> outlineInCamera(const vision::RotatedOutline& outline,
                                      const vision::CalibrationRecord& record, int frameWidth,
                                      int frameHeight);

struct AngleOverlay {
    vision::RotatedOutline outline;
    vision::CalibrationRecord record;
    std::vector<QPolygon> regions; // exception regions, camera coordinates
    Point marker{-1, -1};
};
void drawAngleCorrection(QPainter& painter, const AngleOverlay& overlay, int frameWidth,
                         int frameHeight);

// The rectangle recorded so far, once its bottom edge is set.
void drawCalibrationRectangle(QPainter& painter, const vision::CalibrationRecord& record);

// The pass point of the parameter dialog: a red circle.
void drawPassPoint(QPainter& painter, Point centre, int radius);

} // namespace vardo::ui
