#pragma once
// The pipelines behind the frame sources: a source, a decoder that picks
// whatever the installed plugins decode, a converter to blue-green-red, a
// scaler that keeps the size fixed, and the appsink the frames come out of.
#include "vardo/vision/frame_source.h"

#include <gst/gst.h>

#include <string>

namespace vardo::vision {

struct BuiltPipeline {
    GstElement* pipeline = nullptr; // floating until a source takes it
    GstElement* sink = nullptr;     // inside pipeline
};

// filesrc ! decodebin ! videoconvert ! videoscale ! appsink
bool buildFilePipeline(const std::string& path, BuiltPipeline& out, VideoError& error);

// source ! capsfilter ! decodebin ! videoconvert ! videoscale ! appsink.
// Takes `source` (floating) in all cases; `filter` may be null (any format).
bool buildCameraPipeline(GstElement* source, const GstCaps* filter, BuiltPipeline& out,
                         VideoError& error);

} // namespace vardo::vision
