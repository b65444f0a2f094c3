#pragma once
// Between what a camera says it can do (GStreamer caps) and the formats the
// camera settings list and the capture asks for.
#include "vardo/vision/camera_format.h"
#include "vardo/vision/video_backend.h"

#include <gst/gst.h>

#include <vector>

namespace vardo::vision {

// One entry per media type, pixel format, size and frame rate offered.
// Where a camera offers a range of sizes, the common sizes inside it are
// listed.
std::vector<CameraFormat> formatsFromCaps(const GstCaps* offered);

// The caps to ask the camera for. Uncompressed formats are preferred, then
// the others in the camera's own order. When no offered format has the
// requested size, sizeApplied is false and the caps leave the size to the
// camera. May return null: anything the camera gives. `offered` null means
// the camera did not say.
GstCaps* capsForRequest(const GstCaps* offered, const CameraRequest& request, bool& sizeApplied);

} // namespace vardo::vision
