#pragma once
// The two pictures of the layout: the layout picture (the track as
// photographed or drawn, with point symbols, crossings and the turntable on
// it) and the display picture, a copy on which moving things are drawn and
// which masks keep clear. The barrier animation draws from its own thread,
// so every access goes through the mutex.
#include "common/bmp.h"
#include "layoutdata/layout_files.h"
#include "vardo/layout/track.h"

#include <QImage>
#include <QRegion>
#include <mutex>

class QPainter;

namespace vardo::layout {

constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 480;

class LayoutPictures {
public:
    // Held while reading or drawing either picture.
    std::mutex& mutex() const { return mutex_; }

    QImage& layout() { return layout_; }
    QImage& display() { return display_; }
    const QImage& layout() const { return layout_; }
    const QImage& display() const { return display_; }
    const QRegion& clip() const { return clip_; }

    // layout.bmp as the layout picture; false unless it is 640 x 480.
    bool setLayoutPicture(const common::Bitmap& bitmap);
    // The picture drawn from the track: background colour and the polylines
    // as open lines (colours are 0xBBGGRR values).
    void drawLayoutPicture(const Track& track, int32_t background, int32_t pen, int penWidth);
    // The display picture as a copy of the layout picture, without clip.
    void makeDisplayPicture();
    // Clip of the display picture: the whole picture less the mask polygons.
    void setMasks(const layoutdata::PolylineFile& masks);

    // Copies a rectangle of the layout picture onto the display picture
    // (clipped). The caller holds the mutex.
    void copyToDisplay(const QRect& rect);
    // Begins a painter on the display picture with the mask clip set;
    // false before the display picture exists.
    bool beginDisplayPainter(QPainter& painter);

private:
    mutable std::mutex mutex_;
    QImage layout_;
    QImage display_;
    QRegion clip_;
    bool clipped_ = false;
};

// Conversions between the stored bitmap layout and pictures.
QImage imageFromBitmap(const common::Bitmap& bitmap);
common::Bitmap bitmapFromImage(const QImage& image);
QColor colourFromValue(int32_t value); // 0xBBGGRR

} // namespace vardo::layout
