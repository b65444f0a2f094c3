#pragma once
// Reading and writing the editor's pictures. Kept to these few functions
// so that the full picture code (any depth, JPEG) can take their place.
#include "common/bmp.h"

#include <QImage>

#include <string>

namespace planwerk {

// A 24-bit BMP file as an RGB888 picture; false (picture unchanged) when it
// cannot be read.
bool loadPicture(const std::string& path, QImage& out);

// The picture as a 24-bit BMP file; false when it cannot be written.
bool savePicture(const std::string& path, const QImage& picture);

// Conversions between the picture library's bottom-up BGR bitmaps and the
// editor's RGB888 pictures.
QImage toImage(const common::Bitmap& bitmap);
common::Bitmap toBitmap(const QImage& picture);

} // namespace planwerk
