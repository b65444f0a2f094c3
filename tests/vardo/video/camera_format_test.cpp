// The requested size setting, the formats read from a camera's caps, the
// caps asked of a camera, and the row repacking of every frame.
#include "vardo/vision/camera_format.h"
#include "vardo/vision/camera_gst_caps.h"
#include "vardo/vision/video_frame_copy.h"
#include "vardo/vision/video_gst_backend.h"

#include <gtest/gtest.h>

#include <memory>

namespace vardo::vision {
namespace {

TEST(Resolution, ParsesWidthCommaHeightAndTheSingleNumberForm)
{
    EXPECT_EQ(parseResolution("640,480"), (FrameSize{640, 480}));
    EXPECT_EQ(parseResolution(" 320 , 240"), (FrameSize{320, 240}));
    // Without a comma both come from the whole text.
    EXPECT_EQ(parseResolution("800"), (FrameSize{800, 800}));
    EXPECT_EQ(parseResolution("abc,xyz"), (FrameSize{0, 0}));
    EXPECT_EQ(parseResolution(""), (FrameSize{0, 0}));
    EXPECT_EQ(parseResolution("99999999999,5"), (FrameSize{0, 5}));
    EXPECT_EQ(formatResolution({320, 240}), "320,240");
    EXPECT_TRUE(largerThanRecommended({640, 480}));
    EXPECT_TRUE(largerThanRecommended({321, 200}));
    EXPECT_TRUE(largerThanRecommended({320, 241}));
    EXPECT_FALSE(largerThanRecommended({320, 240}));
}

TEST(CameraFormats, LabelsAndOrder)
{
    EXPECT_EQ((CameraFormat{"video/x-raw", "YUY2", 640, 480, 30, 1}).label(), "640x480 YUY2 30fps");
    EXPECT_EQ((CameraFormat{"image/jpeg", "", 1280, 720, 15, 2}).label(), "1280x720 image/jpeg 7.50fps");
    EXPECT_EQ((CameraFormat{"image/jpeg", "", 320, 240, 0, 1}).label(), "320x240 image/jpeg");

    std::vector<CameraFormat> formats{{"video/x-raw", "YUY2", 320, 240, 30, 1},
                                      {"image/jpeg", "", 640, 480, 30, 1},
                                      {"video/x-raw", "YUY2", 640, 480, 30, 1},
                                      {"video/x-raw", "YUY2", 320, 240, 30, 1}};
    sortFormats(formats);
    ASSERT_EQ(formats.size(), 3u);
    EXPECT_EQ(formats[0].mediaType, "image/jpeg");
    EXPECT_EQ(formats[1].width, 640);
    EXPECT_EQ(formats[2].width, 320);
}

class CapsTest : public ::testing::Test {
protected:
    CapsTest()
    {
        std::string error;
        EXPECT_TRUE(initialiseGStreamer(error)) << error;
    }
    static std::shared_ptr<GstCaps> caps(const char* text)
    {
        return std::shared_ptr<GstCaps>(gst_caps_from_string(text), gst_caps_unref);
    }
    static std::string text(GstCaps* c)
    {
        if (c == nullptr)
            return "(null)";
        gchar* s = gst_caps_to_string(c);
        std::string out = s;
        g_free(s);
        gst_caps_unref(c);
        return out;
    }
};

TEST_F(CapsTest, FormatsListEveryFixedEntryAndCommonSizesOfRanges)
{
    auto offered = caps("video/x-raw, format=(string){ YUY2, NV12 }, width=(int)640, height=(int)480, "
                        "framerate=(fraction){ 30/1, 15/1 }; "
                        "image/jpeg, width=(int)1280, height=(int)720, framerate=(fraction)30/1; "
                        "video/x-raw, format=(string)GRAY8, width=(int)[ 100, 700 ], "
                        "height=(int)[ 100, 500 ]; audio/x-raw, rate=(int)48000");
    std::vector<CameraFormat> formats = formatsFromCaps(offered.get());
    auto has = [&](CameraFormat f) {
        return std::find(formats.begin(), formats.end(), f) != formats.end();
    };
    EXPECT_TRUE(has({"video/x-raw", "YUY2", 640, 480, 30, 1}));
    EXPECT_TRUE(has({"video/x-raw", "YUY2", 640, 480, 15, 1}));
    EXPECT_TRUE(has({"video/x-raw", "NV12", 640, 480, 30, 1}));
    EXPECT_TRUE(has({"image/jpeg", "", 1280, 720, 30, 1}));
    EXPECT_TRUE(has({"video/x-raw", "GRAY8", 320, 240, 0, 1}));
    EXPECT_TRUE(has({"video/x-raw", "GRAY8", 640, 480, 0, 1}));
    EXPECT_FALSE(has({"video/x-raw", "GRAY8", 800, 600, 0, 1}));
    EXPECT_EQ(formats.size(), 9u); // 4 + 1 + 4 sizes inside the range; no sound
    EXPECT_TRUE(formatsFromCaps(nullptr).empty());
}

TEST_F(CapsTest, RequestPrefersUncompressedWithTheSizeAndOtherwiseLeavesTheSize)
{
    auto offered = caps("image/jpeg, width=(int)640, height=(int)480; "
                        "video/x-raw, format=(string)YUY2, width=(int)640, height=(int)480; "
                        "video/x-raw, format=(string)YUY2, width=(int)320, height=(int)240");
    bool applied = false;
    CameraRequest request;
    request.size = {640, 480};
    EXPECT_EQ(text(capsForRequest(offered.get(), request, applied)),
              "video/x-raw, width=(int)640, height=(int)480");
    EXPECT_TRUE(applied);

    request.mediaType = "image/jpeg";
    EXPECT_EQ(text(capsForRequest(offered.get(), request, applied)),
              "image/jpeg, width=(int)640, height=(int)480");
    EXPECT_TRUE(applied);

    // No entry has the size: the camera keeps one of its own.
    request = {};
    request.size = {800, 600};
    EXPECT_EQ(text(capsForRequest(offered.get(), request, applied)), "video/x-raw");
    EXPECT_FALSE(applied);

    request.format = "NV12";
    EXPECT_EQ(text(capsForRequest(offered.get(), request, applied)), "(null)");
    EXPECT_FALSE(applied);

    // A camera that does not say: ask for the size in the usual forms.
    request = {};
    EXPECT_EQ(text(capsForRequest(nullptr, request, applied)),
              "video/x-raw, width=(int)320, height=(int)240; image/jpeg, width=(int)320, height=(int)240");
    EXPECT_TRUE(applied);
}

TEST(FrameCopy, RowsAreReversedAndPaddingDropped)
{
    // 2x3 picture, rows padded to 8 bytes; each byte names its row and column.
    const int width = 2, height = 3;
    const size_t stride = 8;
    std::vector<uint8_t> topDown(stride * height, 0xEE);
    for (int y = 0; y < height; ++y)
        for (int i = 0; i < width * 3; ++i)
            topDown[size_t(y) * stride + size_t(i)] = uint8_t(y * 16 + i);
    std::vector<uint8_t> packed(size_t(width * height * 3));
    ASSERT_TRUE(packBottomUp(topDown.data(), topDown.size(), stride, width, height, packed.data(),
                             packed.size()));
    for (int row = 0; row < height; ++row)
        for (int i = 0; i < width * 3; ++i)
            EXPECT_EQ(packed[size_t(row * width * 3 + i)], uint8_t((height - 1 - row) * 16 + i));
    // The last row may end right after its pixels.
    EXPECT_TRUE(packBottomUp(topDown.data(), stride * 2 + 6, stride, width, height, packed.data(),
                             packed.size()));
}

TEST(FrameCopy, SizesThatDoNotFitAreRefused)
{
    std::vector<uint8_t> topDown(64), packed(18);
    EXPECT_FALSE(packBottomUp(topDown.data(), topDown.size(), 5, 2, 3, packed.data(), packed.size()));
    EXPECT_FALSE(packBottomUp(topDown.data(), 21, 8, 2, 3, packed.data(), packed.size()));
    EXPECT_FALSE(packBottomUp(topDown.data(), topDown.size(), 8, 2, 3, packed.data(), 17));
    EXPECT_FALSE(packBottomUp(topDown.data(), topDown.size(), 8, 0, 3, packed.data(), 0));
    EXPECT_FALSE(packBottomUp(nullptr, 64, 8, 2, 3, packed.data(), packed.size()));
}

} // namespace
} // namespace vardo::vision
