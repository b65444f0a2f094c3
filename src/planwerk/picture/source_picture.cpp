#include "planwerk/picture/source_picture.h"

#include "planwerk/picture/open_picture.h"

namespace planwerk {

bool SourcePicture::open(const std::string& path, SourceKind kind, bool fromWorkingFolder,
                         int screenWidth, int screenHeight, TrainRectangle& trainRect,
                         std::string& error)
{
    drop();
    OpenedPicture opened =
        openPictureFile(path, kind, fromWorkingFolder, screenWidth, screenHeight, trainRect);
    if (!opened.ok || kind == SourceKind::None) {
        error = opened.ok ? std::string() : opened.error;
        return false;
    }
    picture_ = std::move(opened.picture);
    display_ = opened.display;
    kind_ = kind;
    error.clear();
    return true;
}

ResizeResult SourcePicture::resize(const ConfirmCut& confirm)
{
    if (!waiting())
        return {};
    std::optional<PictureRect> trimmed;
    if (trim_.finished())
        trimmed = trimToSource(trim_, display_.scale);
    ResizeResult r = resizePicture(picture_, kind_, trimmed, confirm);
    if (r.status == ResizeStatus::Done)
        drop();
    return r;
}

void SourcePicture::drop()
{
    picture_ = {};
    kind_ = SourceKind::None;
    display_ = {};
    trim_.reset();
}

} // namespace planwerk
