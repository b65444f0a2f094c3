#pragma once
// The video source's part in bringing Vardo up and down.
#include "vardo/app/startup.h"
#include "vardo/vision/video_source.h"

#include <string>

namespace vardo::vision {

// The last step of start-up: the -i file when there is one, else the
// chosen camera; on success the frames start to flow.
VideoOpenResult openVideoAtStartup(VideoSource& video, const std::string& videoPath);

// Plugs the video source into start-up (the framework step and the final
// open) and into shutdown (stop the capture, then release it). The source
// must outlive both.
void installVideoSource(Startup& startup, Shutdown& shutdown, VideoSource& video);

} // namespace vardo::vision
