#pragma once
// The rectangle that frames the train on the train edit picture: P0 and P1
// the corners of the base line, P2 the height handle, P3 and P4 the corners
// opposite P0 and P1.
#include "common/bmp.h"
#include "planwerk/picture/picture_geometry.h"

#include <array>

namespace planwerk {

struct TrainRectangle {
    std::array<PicturePoint, 5> p{PicturePoint{160, 360}, PicturePoint{480, 360},
                                  PicturePoint{320, 120}, PicturePoint{160, 120},
                                  PicturePoint{480, 120}};
    bool operator==(const TrainRectangle&) const = default;
};

// Derives P3 and P4 from the base line and the height handle, and snaps P2:
// to P3 or P4 when it lies beyond an end of the base line, onto the base
// line when it lies on the side away from the rectangle.
void deriveTrainRectangle(TrainRectangle& r);

// The handle (0..2) within `pointSize` of (x, y), or -1.
int hitTrainHandle(const TrainRectangle& r, int x, int y, int pointSize);

// The ten coordinates kept in the bottom row of a train edit picture: pixel
// x = 0..9 of the last row holds P0.x, P0.y, ..., P4.y as colour 0x00BBGGRR.
// False when the picture is too small to hold them.
bool storeTrainRectangle(const TrainRectangle& r, common::Bitmap& picture);
// Reads them back into `r` only when every x lies inside the picture's
// width and every y inside its height; otherwise `r` keeps its values.
bool loadTrainRectangle(const common::Bitmap& picture, TrainRectangle& r);

// Mouse handling of the rectangle's handles. Positions are clamped to the
// picture; a release moves the dragged handle and derives the rest.
class TrainRectangleEditor {
public:
    TrainRectangleEditor(TrainRectangle& rect, int pictureWidth, int pictureHeight, int pointSize)
        : rect_(rect), width_(pictureWidth), height_(pictureHeight), pointSize_(pointSize)
    {
    }

    // Selects the handle under the mouse and starts dragging it; a miss
    // clears the selection. Returns the selected handle or -1.
    int press(int x, int y);
    // While dragging: where the marker circle is drawn now.
    bool move(int x, int y, PicturePoint& marker);
    // Ends the drag; true when the rectangle changed.
    bool release(int x, int y);

    int selection() const { return selection_; }
    bool dragging() const { return dragging_; }

private:
    PicturePoint clamped(int x, int y) const;

    TrainRectangle& rect_;
    int width_;
    int height_;
    int pointSize_;
    int selection_ = -1;
    bool dragging_ = false;
    PicturePoint grab_; // mouse minus handle at the press
};

} // namespace planwerk
