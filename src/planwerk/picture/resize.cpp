#include "planwerk/picture/resize.h"

#include "planwerk/picture/stretch.h"

#include <algorithm>
#include <cstdint>

namespace planwerk {

AutoCut automaticCut(int width, int height, SourceKind kind)
{
    AutoCut cut;
    if (width <= 0 || height <= 0)
        return cut;
    const int64_t w = width, h = height;
    // Height of a 4:3 picture of the full width.
    const int64_t fullWidthHeight = w * 480 / 640;
    auto fullWidth = [&] {
        return PictureRect{0, int((h - fullWidthHeight) / 2), width, int(fullWidthHeight)};
    };
    // A train photograph takes the middle band of its full width; one wider
    // than 4:3 has no such band and is cut in width like the others.
    if (kind == SourceKind::TrainEdit && fullWidthHeight <= h)
        cut.rect = fullWidth();
    else if (w * 100 / h >= 134) {
        const int64_t cutWidth = std::min(h * 640 / 480, w);
        cut.rect = {int((w - cutWidth) / 2), 0, int(cutWidth), height};
    } else if (w * 100 / h > 132)
        cut.rect = {0, 0, width, height};
    else
        cut.rect = fullWidth();
    cut.removesSomething = cut.rect.x > 0 || cut.rect.y > 0;
    return cut;
}

ResizeResult resizePicture(const common::Bitmap& source, SourceKind kind,
                           std::optional<PictureRect> trim, const ConfirmCut& confirm)
{
    ResizeResult result;
    PictureRect area;
    if (trim) {
        area = *trim;
    } else {
        AutoCut cut = automaticCut(source.width, source.height, kind);
        if (cut.removesSomething && !(confirm && confirm())) {
            result.status = ResizeStatus::Cancelled;
            return result;
        }
        area = cut.rect;
    }
    area = clipToPicture(area, source.width, source.height);
    if (area.empty())
        return result;
    result.picture = stretchArea(source, area, kPictureWidth, kPictureHeight);
    result.used = area;
    result.status = ResizeStatus::Done;
    return result;
}

} // namespace planwerk
