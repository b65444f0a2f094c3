#pragma once
// The video framework as the video source uses it: cameras by name, a
// camera or a video file opened as a frame source, and the formats a camera
// offers. The GStreamer one is the real thing; tests put their own behind it.
#include "vardo/vision/camera_format.h"
#include "vardo/vision/frame_source.h"

#include <memory>
#include <string>
#include <vector>

namespace vardo::vision {

struct FileOptions {
    bool loop = true;     // play again from the start at the end
    bool realTime = true; // at the file's own frame rate; false: as fast as frames decode
};

struct CameraRequest {
    FrameSize size{320, 240};
    std::string mediaType; // "" = any; else as CameraFormat::mediaType
    std::string format;    // "" = any; else as CameraFormat::format
};

// An opened source, built but not yet running.
struct OpenedSource {
    std::unique_ptr<FrameSource> source;
    // A camera only: false when it cannot give the requested size and keeps
    // a size of its own.
    bool sizeApplied = true;
};

class VideoBackend {
public:
    virtual ~VideoBackend() = default;

    // Once before anything else; false with the framework's text on failure.
    virtual bool initialise(std::string& errorText) = 0;
    // The video input devices' names, in a stable order.
    virtual std::vector<std::string> cameraNames() = 0;
    // The formats camera `index` (0-based) offers; empty when unknown.
    virtual std::vector<CameraFormat> cameraFormats(int index) = 0;
    // On failure the result holds no source and error names the step.
    virtual OpenedSource openCamera(int index, const CameraRequest& request, VideoError& error) = 0;
    virtual OpenedSource openFile(const std::string& path, const FileOptions& options,
                                  VideoError& error) = 0;
};

} // namespace vardo::vision
