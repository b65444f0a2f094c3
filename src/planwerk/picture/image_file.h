#pragma once
// Reading and writing the editor's picture files.
#include "common/bmp.h"

#include <string>

namespace planwerk {

// The reader is chosen by the path's last character: "g" or "G" (.jpg,
// .jpeg, and also .png) selects JPEG, anything else BMP. False, without a
// message, when the file cannot be opened or decoded; the caller reports.
bool readImageFile(const std::string& path, common::Bitmap& out);

// A 24-bit BMP. On failure false and `error` holds the message to show.
bool writeBitmapFile(const std::string& path, const common::Bitmap& picture, std::string& error);

} // namespace planwerk
