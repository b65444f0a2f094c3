#include "test_video.h"

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <cmath>
#include <cstdlib>
#include <numbers>

namespace vardo::testing {

namespace {

constexpr int kNumberBase = 10; // grey level of frame 0
constexpr int kNumberStep = 10; // grey levels per frame number

void fillRect(std::vector<uint8_t>& frame, int width, int height, int x0, int y0, int x1, int y1,
              Bgr colour)
{
    for (int y = std::max(0, y0); y < std::min(height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(width, x1); ++x) {
            uint8_t* p = &frame[(size_t(y) * size_t(width) + size_t(x)) * 3];
            p[0] = colour.b;
            p[1] = colour.g;
            p[2] = colour.r;
        }
}

void drawOval(std::vector<uint8_t>& frame, int width, int height)
{
    const double cx = width / 2.0, cy = height / 2.0, rx = width * 0.35, ry = height * 0.3;
    for (int step = 0; step < 2000; ++step) {
        double a = 2 * std::numbers::pi * step / 2000;
        int x = int(cx + rx * std::cos(a)), y = int(cy + ry * std::sin(a));
        fillRect(frame, width, height, x - 1, y - 1, x + 2, y + 2, {90, 90, 90});
    }
}

} // namespace

std::vector<uint8_t> drawTestFrame(const TestVideoParams& params, int index)
{
    const int w = params.width, h = params.height;
    std::vector<uint8_t> frame(size_t(w) * size_t(h) * 3);
    fillRect(frame, w, h, 0, 0, w, h, kBoard);
    drawOval(frame, w, h);
    // The car: a dark block on the oval, a step further each frame.
    double a = 2 * std::numbers::pi * index / std::max(1, params.frames);
    int cx = int(w / 2.0 + w * 0.35 * std::cos(a)), cy = int(h / 2.0 + h * 0.3 * std::sin(a));
    fillRect(frame, w, h, cx - 8, cy - 4, cx + 8, cy + 4, {40, 40, 40});
    // Orientation marks and the frame number, each a block of one colour.
    fillRect(frame, w, h, 0, 0, w / 8, h / 8, kTopLeftMark);
    fillRect(frame, w, h, w - w / 8, h - h / 8, w, h, kBottomRightMark);
    uint8_t grey = uint8_t(kNumberBase + kNumberStep * index);
    fillRect(frame, w, h, w - w / 8, 0, w, h / 8, {grey, grey, grey});
    return frame;
}

Bgr pixelAt(const uint8_t* bottomUp, int width, int height, int x, int y)
{
    const uint8_t* p = bottomUp + (size_t(height - 1 - y) * size_t(width) + size_t(x)) * 3;
    return {p[0], p[1], p[2]};
}

bool near(Bgr a, Bgr b, int tolerance)
{
    return std::abs(a.b - b.b) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.r - b.r) <= tolerance;
}

int readFrameNumber(const uint8_t* bottomUp, int width, int height)
{
    Bgr p = pixelAt(bottomUp, width, height, width - width / 16, height / 16);
    int level = (p.b + p.g + p.r) / 3;
    int number = int(std::lround(double(level - kNumberBase) / kNumberStep));
    int expected = kNumberBase + kNumberStep * number;
    return number >= 0 && std::abs(level - expected) <= kNumberStep / 3 ? number : -1;
}

bool writeTestVideo(const std::string& path, const TestVideoParams& params, std::string& error)
{
    gst_init(nullptr, nullptr);
    const char* encoder = params.codec == VideoCodec::MotionJpegAvi
                              ? "jpegenc quality=95 ! avimux"
                              : "vp8enc deadline=1 target-bitrate=4000000 keyframe-max-dist=1 ! webmmux";
    std::string description = "appsrc name=src format=time ! videoconvert ! " + std::string(encoder) +
                              " ! filesink location=\"" + path + "\"";
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
                                        G_TYPE_INT, params.width, "height", G_TYPE_INT, params.height,
                                        "framerate", GST_TYPE_FRACTION, params.fps, 1, nullptr);
    gst_app_src_set_caps(GST_APP_SRC(src), caps);
    gst_caps_unref(caps);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    for (int i = 0; i < params.frames; ++i) {
        std::vector<uint8_t> frame = drawTestFrame(params, i);
        GstBuffer* buffer = gst_buffer_new_memdup(frame.data(), frame.size());
        GST_BUFFER_PTS(buffer) = gst_util_uint64_scale(uint64_t(i), GST_SECOND, uint64_t(params.fps));
        GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale(1, GST_SECOND, uint64_t(params.fps));
        gst_app_src_push_buffer(GST_APP_SRC(src), buffer);
    }
    gst_app_src_end_of_stream(GST_APP_SRC(src));
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* message = gst_bus_timed_pop_filtered(
        bus, 30 * GST_SECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    bool ok = message != nullptr && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
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
