#pragma once
// The sizes and formats a camera offers, as the camera settings dialog
// lists them, and the requested size setting.
#include "vardo/vision/frame_source.h"

#include <string>
#include <vector>

namespace vardo::vision {

struct CameraFormat {
    std::string mediaType; // "video/x-raw", "image/jpeg", ...
    std::string format;    // pixel format of raw video ("YUY2"); empty otherwise
    int width = 0;
    int height = 0;
    int fpsNumerator = 0; // 0 when the camera does not say
    int fpsDenominator = 1;

    bool operator==(const CameraFormat&) const = default;
    // "640x480 YUY2 30fps": one line of the dialog.
    std::string label() const;
};

// Sorted by media type, format, then size from large to small; no twins.
void sortFormats(std::vector<CameraFormat>& formats);

// [CAPTURE] RESOLUTION: the integer before the first comma is the width,
// the one after it the height; without a comma both come from the whole
// text. Text that is no number reads as 0.
FrameSize parseResolution(const std::string& text);
std::string formatResolution(FrameSize size);

// The size analysis is tuned for; larger ones need the user's consent.
inline constexpr FrameSize kRecommendedSize{320, 240};
inline bool largerThanRecommended(FrameSize size)
{
    return size.width > kRecommendedSize.width || size.height > kRecommendedSize.height;
}

} // namespace vardo::vision
