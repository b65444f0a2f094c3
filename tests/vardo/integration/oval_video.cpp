#include "oval_video.h"

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vardo::testing {

namespace {

void fillRect(std::vector<uint8_t>& frame, int width, int height, int x0, int y0, int x1, int y1,
              uint8_t grey)
{
    for (int y = std::max(0, y0); y < std::min(height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(width, x1); ++x) {
            uint8_t* p = &frame[(size_t(y) * size_t(width) + size_t(x)) * 3];
            p[0] = p[1] = p[2] = grey;
        }
}

} // namespace

std::vector<uint8_t> drawOvalFrame(const OvalVideo& v, int index)
{
    const int w = v.width, h = v.height;
    std::vector<uint8_t> frame(size_t(w) * size_t(h) * 3);
    fillRect(frame, w, h, 0, 0, w, h, 200);
    for (int step = 0; step < 2000; ++step) {
        const double a = 2 * std::numbers::pi * step / 2000;
        const int x = int(v.centreX() + v.radiusX() * std::cos(a));
        const int y = int(v.centreY() + v.radiusY() * std::sin(a));
        fillRect(frame, w, h, x - 1, y - 1, x + 2, y + 2, 120);
    }
    const double a = 2 * std::numbers::pi * (index % v.lapFrames) / v.lapFrames;
    const int cx = int(std::lround(v.centreX() + v.radiusX() * std::cos(a)));
    const int cy = int(std::lround(v.centreY() + v.radiusY() * std::sin(a)));
    fillRect(frame, w, h, cx - 6, cy - 6, cx + 6, cy + 6, 30);
    return frame;
}

bool writeOvalVideo(const std::string& path, const OvalVideo& v, std::string& error)
{
    gst_init(nullptr, nullptr);
    const std::string description = "appsrc name=src format=time ! videoconvert ! "
                                    "jpegenc quality=95 ! avimux ! filesink location=\"" +
                                    path + "\"";
    GError* gerror = nullptr;
    GstElement* pipeline = gst_parse_launch(description.c_str(), &gerror);
    if (pipeline == nullptr || gerror != nullptr) {
        error = gerror ? gerror->message : "pipeline";
        if (gerror)
            g_error_free(gerror);
        if (pipeline)
            gst_object_unref(pipeline);
        return false;
    }
    GstElement* src = gst_bin_get_by_name(GST_BIN(pipeline), "src");
    GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGR", "width",
                                        G_TYPE_INT, v.width, "height", G_TYPE_INT, v.height,
                                        "framerate", GST_TYPE_FRACTION, v.fps, 1, nullptr);
    gst_app_src_set_caps(GST_APP_SRC(src), caps);
    gst_caps_unref(caps);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    for (int i = 0; i < v.frames; ++i) {
        const std::vector<uint8_t> frame = drawOvalFrame(v, i);
        GstBuffer* buffer = gst_buffer_new_memdup(frame.data(), frame.size());
        GST_BUFFER_PTS(buffer) = gst_util_uint64_scale(uint64_t(i), GST_SECOND, uint64_t(v.fps));
        GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale(1, GST_SECOND, uint64_t(v.fps));
        gst_app_src_push_buffer(GST_APP_SRC(src), buffer);
    }
    gst_app_src_end_of_stream(GST_APP_SRC(src));
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* message = gst_bus_timed_pop_filtered(
        bus, 60 * GST_SECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool ok = message != nullptr && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    if (!ok)
        error = message ? "encoding failed" : "encoding timed out";
    if (message)
        gst_message_unref(message);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(src);
    gst_object_unref(pipeline);
    return ok;
}

} // namespace vardo::testing
