#include "vardo/vision/calibration_file.h"

#include "common/byte_io.h"

#include <cmath>
#include <cstring>

namespace vardo::vision {

namespace {

constexpr char kMagic[4] = {'.', 'c', 'l', 'b'};

uint32_t floatBits(float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

float bitsFloat(uint32_t bits)
{
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

} // namespace

std::vector<uint8_t> encodeCalibrationFile(const CalibrationRecord& r)
{
    common::ByteWriter w;
    w.putTag(kMagic);
    w.putI32(kCalibrationVersion);
    w.putI32(r.frameWidth);
    w.putI32(r.frameHeight);
    w.putU32(floatBits(r.angle));
    w.putI32(r.left);
    w.putI32(r.top);
    w.putI32(r.right);
    w.putI32(r.bottom);
    w.putI32(r.markerX);
    w.putI32(r.markerY);
    w.putZeros(kCalibrationFileSize - w.bytes().size());
    return w.bytes();
}

ClbStatus parseCalibrationFile(std::span<const uint8_t> bytes, CalibrationRecord& out,
                               int32_t* version)
{
    if (bytes.size() < sizeof kMagic)
        return ClbStatus::Truncated;
    if (std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        return ClbStatus::NotCalibration;
    if (bytes.size() < kCalibrationFieldBytes)
        return ClbStatus::Truncated;

    common::ByteReader reader(bytes);
    CalibrationRecord r;
    int32_t fileVersion = 0;
    uint32_t angleBits = 0;
    bool ok = reader.skip(4) && reader.readI32(fileVersion) && reader.readI32(r.frameWidth) &&
              reader.readI32(r.frameHeight) && reader.readU32(angleBits) &&
              reader.readI32(r.left) && reader.readI32(r.top) && reader.readI32(r.right) &&
              reader.readI32(r.bottom) && reader.readI32(r.markerX) && reader.readI32(r.markerY);
    if (!ok)
        return ClbStatus::Truncated;
    r.angle = bitsFloat(angleBits);
    out = r;
    if (version)
        *version = fileVersion;
    if (!std::isfinite(r.angle) || r.right <= r.left || r.bottom <= r.top)
        return ClbStatus::BadValues;
    return ClbStatus::Ok;
}

} // namespace vardo::vision
