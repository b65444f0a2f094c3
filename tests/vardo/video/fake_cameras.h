#pragma once
// Cameras for tests: GStreamer's live test source behind a name and the
// caps a real camera would state.
#include "vardo/vision/video_gst_backend.h"

#include <string>
#include <vector>

namespace vardo::testing {

inline constexpr const char* kTestCameraCaps =
    "video/x-raw, format=(string)YUY2, width=(int)640, height=(int)480, framerate=(fraction)30/1; "
    "video/x-raw, format=(string)YUY2, width=(int)320, height=(int)240, framerate=(fraction)30/1";

// `count` cameras named "Camera 1".. ; with `broken` none can be opened.
inline std::vector<vision::CameraDevice> testCameras(int count, bool broken = false)
{
    std::vector<vision::CameraDevice> cameras;
    for (int i = 0; i < count; ++i) {
        vision::CameraDevice camera;
        camera.name = "Camera " + std::to_string(i + 1);
        camera.caps = std::shared_ptr<GstCaps>(gst_caps_from_string(kTestCameraCaps), gst_caps_unref);
        camera.makeElement = [broken]() -> GstElement* {
            if (broken)
                return nullptr;
            GstElement* source = gst_element_factory_make("videotestsrc", nullptr);
            g_object_set(source, "is-live", TRUE, "pattern", 18 /* ball */, nullptr);
            return source;
        };
        cameras.push_back(std::move(camera));
    }
    return cameras;
}

} // namespace vardo::testing
