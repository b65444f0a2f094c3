#include "planwerk/picture/jpeg_writer.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace planwerk {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

extern "C" void onEncodeError(j_common_ptr cinfo)
{
    longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

extern "C" void onEncodeMessage(j_common_ptr) {}

// Compresses into a memory stream; `row` is a scratch line in red, green,
// blue (or grey) order, allocated by the caller so that no C++ object with
// a destructor lives here.
bool encodeStream(const common::Bitmap* picture, const JpegOptions* options, FILE* file,
                  uint8_t* row)
{
    jpeg_compress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onEncodeError;
    err.pub.output_message = onEncodeMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = JDIMENSION(picture->width);
    cinfo.image_height = JDIMENSION(picture->height);
    cinfo.input_components = options->grey ? 1 : 3;
    cinfo.in_color_space = options->grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, options->quality, TRUE);
    if (options->progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        const uint8_t* bgr = picture->pixel(0, int(cinfo.next_scanline));
        for (int x = 0; x < picture->width; ++x) {
            if (options->grey) {
                row[x] = uint8_t((bgr[3 * x] + bgr[3 * x + 1] + bgr[3 * x + 2]) / 3);
                continue;
            }
            row[3 * x] = bgr[3 * x + 2];
            row[3 * x + 1] = bgr[3 * x + 1];
            row[3 * x + 2] = bgr[3 * x];
        }
        JSAMPROW line = row;
        jpeg_write_scanlines(&cinfo, &line, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

} // namespace

std::vector<uint8_t> encodeJpeg(const common::Bitmap& picture, const JpegOptions& options)
{
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.bgr.size() != size_t(picture.stride()) * size_t(picture.height))
        return {};
    char* buffer = nullptr;
    size_t size = 0;
    FILE* file = open_memstream(&buffer, &size);
    if (file == nullptr)
        return {};
    std::vector<uint8_t> row(size_t(picture.width) * 3);
    bool ok = encodeStream(&picture, &options, file, row.data());
    std::fclose(file);
    std::vector<uint8_t> out;
    if (ok)
        out.assign(buffer, buffer + size);
    std::free(buffer);
    return out;
}

} // namespace planwerk
