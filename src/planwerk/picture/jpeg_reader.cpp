#include "planwerk/picture/jpeg_reader.h"

#include <csetjmp>
#include <cstdio>
#include <new>

#include <jpeglib.h>

namespace planwerk {

namespace {

// libjpeg reports a fatal error through error_exit, which must not return:
// it jumps back into decodeStream. decodeStream therefore holds no C++
// object with a destructor; the picture is allocated by a callback that has
// returned before any jump can happen.
struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

extern "C" void onFatalError(j_common_ptr cinfo)
{
    longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings are counted by libjpeg and judged by the reader; nothing is
// printed.
extern "C" void onMessage(j_common_ptr) {}

// Sizes the picture and hands back its pixel rows (bottom-up, 3 bytes per
// pixel, no padding); null when the picture may not be made.
struct Target {
    common::Bitmap* picture;
    size_t maxPixels;
};

uint8_t* allocatePicture(Target* target, JDIMENSION width, JDIMENSION height)
{
    if (width == 0 || height == 0 || width > JDIMENSION(common::kMaxBitmapSide) ||
        height > JDIMENSION(common::kMaxBitmapSide) ||
        size_t(width) * size_t(height) > target->maxPixels)
        return nullptr;
    try {
        target->picture->width = int(width);
        target->picture->height = int(height);
        target->picture->bgr.assign(size_t(width) * 3 * size_t(height), 0);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return target->picture->bgr.data();
}

// Scanline j (top-down) goes to row height - 1 - j; red and blue are
// exchanged so that the rows hold blue, green, red.
void storeScanline(uint8_t* rows, JDIMENSION width, JDIMENSION height, JDIMENSION line)
{
    uint8_t* p = rows + size_t(height - 1 - line) * size_t(width) * 3;
    for (JDIMENSION x = 0; x < width; ++x, p += 3) {
        uint8_t red = p[0];
        p[0] = p[2];
        p[2] = red;
    }
}

bool decodeStream(FILE* file, Target* target)
{
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onFatalError;
    err.pub.output_message = onMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK)
        longjmp(err.jump, 1);
    cinfo.out_color_space = JCS_RGB;
    if (cinfo.image_width == 0 || cinfo.image_height == 0 ||
        size_t(cinfo.image_width) * size_t(cinfo.image_height) > target->maxPixels)
        longjmp(err.jump, 1);
    jpeg_start_decompress(&cinfo);
    uint8_t* rows = allocatePicture(target, cinfo.output_width, cinfo.output_height);
    if (rows == nullptr || cinfo.output_components != 3)
        longjmp(err.jump, 1);
    while (cinfo.output_scanline < cinfo.output_height) {
        JDIMENSION line = cinfo.output_scanline;
        JSAMPROW row = rows + size_t(cinfo.output_height - 1 - line) * cinfo.output_width * 3;
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1 || err.pub.num_warnings != 0)
            longjmp(err.jump, 1);
        storeScanline(rows, cinfo.output_width, cinfo.output_height, line);
    }
    jpeg_finish_decompress(&cinfo);
    bool clean = err.pub.num_warnings == 0;
    jpeg_destroy_decompress(&cinfo);
    return clean;
}

bool decodeFile(FILE* file, common::Bitmap& out, size_t maxPixels)
{
    common::Bitmap picture;
    Target target{&picture, maxPixels};
    bool ok = decodeStream(file, &target);
    std::fclose(file);
    if (ok)
        out = std::move(picture);
    return ok;
}

} // namespace

bool readJpegFile(const std::string& path, common::Bitmap& out, size_t maxPixels)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    return decodeFile(file, out, maxPixels);
}

bool decodeJpeg(const uint8_t* data, size_t size, common::Bitmap& out, size_t maxPixels)
{
    if (size == 0)
        return false;
    FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (file == nullptr)
        return false;
    return decodeFile(file, out, maxPixels);
}

} // namespace planwerk
