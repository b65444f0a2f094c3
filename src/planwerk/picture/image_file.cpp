#include "planwerk/picture/image_file.h"

#include "planwerk/picture/bmp_reader.h"
#include "planwerk/picture/jpeg_reader.h"
#include "planwerk/picture/picture_texts.h"

namespace planwerk {

bool readImageFile(const std::string& path, common::Bitmap& out)
{
    if (path.empty())
        return false;
    const char last = path.back();
    if (last == 'g' || last == 'G')
        return readJpegFile(path, out);
    return readBmpFile(path, out);
}

bool writeBitmapFile(const std::string& path, const common::Bitmap& picture, std::string& error)
{
    if (!common::writeBitmap(path, picture)) {
        error = texts::kSaveFailed;
        return false;
    }
    error.clear();
    return true;
}

} // namespace planwerk
