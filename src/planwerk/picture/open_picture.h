#pragma once
// Opening a picture of one of the three kinds: which file to take, reading
// it, and how it is shown until Resize. Questions go through a callback so
// that the editor's core needs no window.
#include "common/bmp.h"
#include "planwerk/picture/display_scale.h"
#include "planwerk/picture/picture_geometry.h"
#include "planwerk/picture/train_rectangle.h"

#include <functional>
#include <string>

namespace planwerk {

enum class ReuseAnswer { Yes, No, Cancel };
// Asks `question` (one of the texts of picture_texts.h) with Yes and No.
using AskQuestion = std::function<ReuseAnswer(const char* question)>;

// Names of the pictures kept in the working folder.
inline constexpr const char* kCollageFile = "collage.bmp";
inline constexpr const char* kTrainEditFile = "train_edit.bmp";
inline constexpr const char* kLayoutPictureFile = "picture.bmp";

struct OpenChoice {
    // The working folder's trimmed picture to take, or empty: then the
    // user picks a file.
    std::string workingFile;
    // Resize runs at once, without a trim rectangle.
    bool alreadyTrimmed = false;
};

// Kind 2 takes `collage.bmp` on Yes; kind 3 takes `train_edit.bmp` unless
// the answer is No, and is always treated as trimmed.
OpenChoice chooseOpenSource(SourceKind kind, const std::string& workingFolder,
                            const AskQuestion& ask);

struct OpenedPicture {
    bool ok = false;
    std::string error; // the message to show when !ok
    common::Bitmap picture;
    DisplayScale display;
};

// Reads `path` and works out its display scale for the screen size. For a
// train edit picture from the working folder the stored train rectangle is
// read back into `rect` (kept when the stored values are not valid).
OpenedPicture openPictureFile(const std::string& path, SourceKind kind, bool fromWorkingFolder,
                              int screenWidth, int screenHeight, TrainRectangle& rect);

} // namespace planwerk
