#pragma once
// The 64-byte calibration file (".clb"), little-endian.
#include "vardo/vision/calibration_record.h"

#include <cstdint>
#include <span>
#include <vector>

namespace vardo::vision {

constexpr size_t kCalibrationFileSize = 64;
// Bytes up to the last field (marker y); the rest is reserved.
constexpr size_t kCalibrationFieldBytes = 44;
constexpr int32_t kCalibrationVersion = 1;

enum class ClbStatus {
    Ok,
    NotCalibration, // another magic
    Truncated,      // too short to hold every field
    BadValues,      // a non-finite angle or a rectangle without size
};

std::vector<uint8_t> encodeCalibrationFile(const CalibrationRecord& record);

// The version is not checked and the reserved bytes are ignored. A file
// that ends after the last field is taken; a shorter one is refused
// rather than mixing its fields with the ones in memory. `out` and
// `version` are filled for Ok and BadValues (so the fields can be shown),
// left alone otherwise.
ClbStatus parseCalibrationFile(std::span<const uint8_t> bytes, CalibrationRecord& out,
                               int32_t* version = nullptr);

} // namespace vardo::vision
