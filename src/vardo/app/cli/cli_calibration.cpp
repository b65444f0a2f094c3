// calibration: shows the fields of a calibration file (.clb).
#include "common/byte_io.h"
#include "common/json_writer.h"
#include "vardo/app/cli/command_registry.h"
#include "vardo/vision/calibration_file.h"

#include <cstdio>
#include <string>
#include <vector>

namespace vardo::cli {

namespace {

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

// The angle is the one non-integer field; it is written as a JSON number
// with enough digits to give back the same float.
std::string json(const vision::CalibrationRecord& r, int32_t version, vision::ClbStatus status)
{
    common::JsonWriter w;
    w.beginObject();
    w.member("status", statusName(status));
    w.member("version", version);
    w.member("frameWidth", r.frameWidth);
    w.member("frameHeight", r.frameHeight);
    w.member("angle", "@ANGLE@");
    w.member("left", r.left);
    w.member("top", r.top);
    w.member("right", r.right);
    w.member("bottom", r.bottom);
    w.member("markerX", r.markerX);
    w.member("markerY", r.markerY);
    w.endObject();
    std::string text = w.str();
    char angle[32];
    std::snprintf(angle, sizeof angle, "%.9g", double(r.angle));
    const std::string placeholder = "\"@ANGLE@\"";
    text.replace(text.find(placeholder), placeholder.size(), angle);
    return text;
}

int calibration(const std::vector<std::string>& args)
{
    std::string path;
    bool asJson = false;
    for (const auto& a : args) {
        if (a == "--json") {
            asJson = true;
        } else if (path.empty() && !a.starts_with("--")) {
            path = a;
        } else {
            std::fprintf(stderr, "calibration: bad argument '%s'\n", a.c_str());
            return 2;
        }
    }
    std::vector<uint8_t> bytes;
    if (path.empty() || !common::readWholeFile(path, bytes, 1u << 20)) {
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

CommandRegistration reg("calibration", "FILE [--json]", &calibration);

} // namespace

} // namespace vardo::cli
