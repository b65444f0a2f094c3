#include "vardo/app/video_startup.h"

namespace vardo::vision {

VideoOpenResult openVideoAtStartup(VideoSource& video, const std::string& videoPath)
{
    switch (video.buildGraph(videoPath)) {
    case VideoSource::BuildResult::Ok:
        return video.runGraph() ? VideoOpenResult::Opened : VideoOpenResult::Failed;
    case VideoSource::BuildResult::NoCamera:
        return VideoOpenResult::NoCamera;
    case VideoSource::BuildResult::Failed:
        break;
    }
    return VideoOpenResult::Failed;
}

void installVideoSource(Startup& startup, Shutdown& shutdown, VideoSource& video)
{
    startup.addStep({StartupStage::VideoFramework, "video framework",
                     [&video](RailSystem&) { return video.initVideo(); }});
    startup.hooks.openVideoSource = [&video](RailSystem& rail) {
        return openVideoAtStartup(video, rail.videoPath());
    };
    shutdown.addStep({ShutdownStage::StopCapture, "stop capture",
                      [&video](RailSystem&) { video.stopGraph(); }});
    shutdown.addStep({ShutdownStage::ReleaseDetection, "release capture",
                      [&video](RailSystem&) { video.tearDownGraph(); }});
}

} // namespace vardo::vision
