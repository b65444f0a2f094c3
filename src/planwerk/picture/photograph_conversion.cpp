#include "planwerk/picture/photograph_conversion.h"

#include "planwerk/picture/image_file.h"
#include "planwerk/picture/picture_texts.h"
#include "planwerk/picture/resize.h"

namespace planwerk {

bool convertPhotograph(const std::string& inPath, const std::string& outPath, std::string& error)
{
    common::Bitmap source;
    if (!readImageFile(inPath, source)) {
        error = texts::kReadFailed;
        return false;
    }
    ResizeResult r = resizePicture(source, SourceKind::Layout, std::nullopt, [] { return true; });
    if (r.status != ResizeStatus::Done) {
        error = texts::kReadFailed;
        return false;
    }
    return writeBitmapFile(outPath, r.picture, error);
}

} // namespace planwerk
