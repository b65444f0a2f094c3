// libFuzzer target: the calibration file reader over arbitrary bytes. A
// record it accepts must encode to a file that reads back to the same
// record, and its mapping must not fault on any point.
#include "vardo/vision/calibration_file.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    vardo::vision::CalibrationRecord record;
    int32_t version = 0;
    const auto status =
        vardo::vision::parseCalibrationFile(std::span(data, size), record, &version);
    if (status != vardo::vision::ClbStatus::Ok && status != vardo::vision::ClbStatus::BadValues)
        return 0;
    vardo::vision::CalibrationRecord back;
    const auto again =
        vardo::vision::parseCalibrationFile(vardo::vision::encodeCalibrationFile(record), back);
    // Compare bit for bit: a NaN angle of a BadValues record is kept too.
    if (again != status || std::memcmp(&back, &record, sizeof record) != 0)
        __builtin_trap();
    if (status == vardo::vision::ClbStatus::Ok) {
        const vardo::layout::Extent extent{0, 0, 640, 480};
        if (vardo::vision::calibrationUsable(record, extent)) {
            vardo::vision::CameraToLayout(record, extent, record.left, record.bottom);
            vardo::vision::LayoutToCamera(record, extent, 320, 240);
        }
    }
    return 0;
}
