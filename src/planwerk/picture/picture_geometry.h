#pragma once
// Small value types shared by the picture operations. Coordinates are
// pixels of a picture, origin top left, y downwards.

namespace planwerk {

struct PicturePoint {
    int x = 0;
    int y = 0;
    bool operator==(const PicturePoint&) const = default;
};

struct PictureRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PictureRect&) const = default;
    bool empty() const { return width <= 0 || height <= 0; }
};

// What a freshly opened picture becomes on Resize.
enum class SourceKind { None = 0, Layout = 1, Collage = 2, TrainEdit = 3 };

// The size every kept picture has.
inline constexpr int kPictureWidth = 640;
inline constexpr int kPictureHeight = 480;

} // namespace planwerk
