#pragma once
// BMP files of every uncompressed depth Windows writes (1, 4, 8, 16, 24 and
// 32 bits), read into a 24-bit picture. Planwerk itself writes 24-bit files;
// the other depths come from cameras and paint programs and are shown with
// their colour table or bit fields.
#include "common/bmp.h"

#include <cstdint>
#include <string>
#include <vector>

namespace planwerk {

// Every size is checked against the data before it is used; a refused file
// leaves `out` as it was.
bool decodeBmp(const std::vector<uint8_t>& bytes, common::Bitmap& out);
bool readBmpFile(const std::string& path, common::Bitmap& out);

} // namespace planwerk
