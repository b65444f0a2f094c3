#pragma once
// Resize: the part of a freshly opened picture that becomes a 640 x 480
// picture, either the user's trim rectangle or the automatic 4:3 cut.
#include "common/bmp.h"
#include "planwerk/picture/picture_geometry.h"

#include <functional>
#include <optional>

namespace planwerk {

// The automatic cut of a W x H picture to 4:3, and whether it removes
// anything (then the user is asked first).
struct AutoCut {
    PictureRect rect;
    bool removesSomething = false;
};
AutoCut automaticCut(int width, int height, SourceKind kind);

// Asked before an automatic cut removes part of the picture: true for OK,
// false for Cancel. Shown with the text texts::kCutQuestion.
using ConfirmCut = std::function<bool()>;

enum class ResizeStatus {
    Done,      // `picture` holds the 640 x 480 result
    Cancelled, // the user refused the cut; nothing changed
    Empty,     // the chosen part holds no pixels; nothing changed
};

struct ResizeResult {
    ResizeStatus status = ResizeStatus::Empty;
    PictureRect used; // the part of the source taken
    common::Bitmap picture;
};

// `trim` is the finished trim rectangle in source pixels, if there is one.
ResizeResult resizePicture(const common::Bitmap& source, SourceKind kind,
                           std::optional<PictureRect> trim, const ConfirmCut& confirm);

} // namespace planwerk
