#pragma once
// A freshly opened picture waiting for Resize: what it will become, how it
// is shown, and the trim rectangle drawn over it. Resize turns it into the
// 640 x 480 picture of its kind and lets it go.
#include "common/bmp.h"
#include "planwerk/picture/display_scale.h"
#include "planwerk/picture/resize.h"
#include "planwerk/picture/train_rectangle.h"
#include "planwerk/picture/trim_rectangle.h"

#include <string>

namespace planwerk {

class SourcePicture {
public:
    // Drops any waiting picture, then reads `path`. On failure `error` holds
    // the message to show and nothing waits.
    bool open(const std::string& path, SourceKind kind, bool fromWorkingFolder, int screenWidth,
              int screenHeight, TrainRectangle& trainRect, std::string& error);

    // The trim rectangle if finished, else the automatic cut (asking through
    // `confirm` when it removes something). On Done the picture is let go;
    // on Cancelled or Empty it keeps waiting and can be trimmed by hand.
    ResizeResult resize(const ConfirmCut& confirm);

    void drop();

    bool waiting() const { return kind_ != SourceKind::None; }
    SourceKind kind() const { return kind_; }
    const common::Bitmap& picture() const { return picture_; }
    const DisplayScale& display() const { return display_; }
    TrimRectangle& trim() { return trim_; }
    const TrimRectangle& trim() const { return trim_; }

private:
    common::Bitmap picture_;
    SourceKind kind_ = SourceKind::None;
    DisplayScale display_;
    TrimRectangle trim_;
};

} // namespace planwerk
