// calibration: shows the fields of a calibration file (.clb).
#include "common/byte_io.h"
#include "common/json_text.h"
#include "vardo/app/cli/command_options.h"
#include "vardo/app/cli/command_registry.h"
#include "vardo/vision/calibration_file.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace vardo::cli {

namespace {

constexpr const char* kUsage = "FILE [--json]";

const char* statusName(vision::ClbStatus s)
{
    switch (s) {
    case vision::ClbStatus::Ok:
        return "ok";
    case vision::ClbStatus::NotCalibration:
        return "not a calibration file";
    case vision::ClbStatus::Truncated:
        return "too short";
    case vision::ClbStatus::BadValues:
        return "unusable values";
    }
    return "";
}

// The angle is the one non-integer field: it is written with the fewest
// digits that give back the same float. A non-finite angle (a damaged file)
// has no JSON number and is written as null.
common::Json angleJson(float angle)
{
    if (!std::isfinite(angle))
        return nullptr;
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, angle).ptr;
    double value = 0.0; // the same digits as a double, whatever the locale
    std::from_chars(digits, end, value);
    return value;
}

std::string json(const vision::CalibrationRecord& r, int32_t version, vision::ClbStatus status)
{
    const common::Json out = {{"status", statusName(status)},
                              {"version", version},
                              {"frameWidth", r.frameWidth},
                              {"frameHeight", r.frameHeight},
                              {"angle", angleJson(r.angle)},
                              {"left", r.left},
                              {"top", r.top},
                              {"right", r.right},
                              {"bottom", r.bottom},
                              {"markerX", r.markerX},
                              {"markerY", r.markerY}};
    return common::jsonText(out);
}

int calibration(const std::vector<std::string>& args)
{
    CommandOptions options("calibration", kUsage, "Shows the fields of a calibration file.");
    options.argument("FILE", "the calibration file (.clb)");
    options.flag("json", "print the fields as JSON");
    if (auto exit = options.parse(args))
        return *exit;
    const std::string path = options.arguments()[0];
    const bool asJson = options.isSet("json");
    std::vector<uint8_t> bytes;
    if (!common::readWholeFile(path, bytes, 1u << 20)) {
        std::fprintf(stderr, "calibration: cannot read '%s'\n", path.c_str());
        return 1;
    }
    vision::CalibrationRecord r;
    int32_t version = 0;
    const vision::ClbStatus status = vision::parseCalibrationFile(bytes, r, &version);
    if (status == vision::ClbStatus::NotCalibration || status == vision::ClbStatus::Truncated) {
        std::fprintf(stderr, "calibration: %s: %s\n", path.c_str(), statusName(status));
        return 1;
    }
    if (asJson) {
        std::printf("%s\n", json(r, version, status).c_str());
    } else {
        std::printf("status %s\nversion %d\nframe %d x %d\nangle %.9g\n"
                    "rectangle left %d top %d right %d bottom %d\nmarker %d,%d\n",
                    statusName(status), version, r.frameWidth, r.frameHeight, double(r.angle),
                    r.left, r.top, r.right, r.bottom, r.markerX, r.markerY);
    }
    return status == vision::ClbStatus::Ok ? 0 : 1;
}

CommandRegistration reg("calibration", kUsage, &calibration);

} // namespace

} // namespace vardo::cli
