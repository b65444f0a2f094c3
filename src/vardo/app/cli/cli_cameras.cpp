// cameras: the video input devices as the camera menu lists them, with the
// command each one has, and on request the formats each one offers.
#include "common/string_table.h"
#include "vardo/app/cli/command_options.h"
#include "vardo/app/cli/command_registry.h"
#include "vardo/base/command_ids.h"
#include "vardo/vision/video_gst_backend.h"
#include "vardo/vision/video_source.h"

#include <cstdio>
#include <string>
#include <vector>

namespace vardo::cli {

namespace {

constexpr const char* kUsage = "[--formats]";

int cameras(const std::vector<std::string>& args)
{
    CommandOptions options("cameras", kUsage,
                           "Lists the cameras as the camera menu does: number, command id "
                           "(0: none), name.");
    options.flag("formats", "also list the formats each camera offers");
    if (auto exit = options.parse(args))
        return *exit;
    const bool withFormats = options.isSet("formats");
    vision::GstVideoBackend backend;
    std::string errorText;
    if (!backend.initialise(errorText)) {
        std::fprintf(stderr, "%s\n%s\n", common::messageText(common::msg::CaptureInitFailed),
                     errorText.c_str());
        return 1;
    }
    std::vector<std::string> names = backend.cameraNames();
    // No camera is a normal answer: the menu then holds only "なし".
    std::printf("%d\t%d\t%s\n", 0, cmd::NoCamera, common::messageText(common::msg::CameraNone));
    for (size_t i = 0; i < names.size(); ++i) {
        int number = int(i) + 1;
        int id = number <= vision::kCameraCommands ? cmd::NoCamera + number : 0;
        std::printf("%d\t%d\t%s\n", number, id, names[i].c_str());
        if (!withFormats)
            continue;
        for (const vision::CameraFormat& format : backend.cameraFormats(int(i)))
            std::printf("\t\t  %s\n", format.label().c_str());
    }
    return 0;
}

CommandRegistration
    reg("cameras", "[--formats]  list the cameras: number, command id (0: none), name", &cameras);

} // namespace

} // namespace vardo::cli
