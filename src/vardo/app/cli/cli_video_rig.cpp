#include "vardo/app/cli/cli_video_rig.h"

#include "vardo/app/video_startup.h"

namespace vardo::cli {

namespace {

vision::VideoSourceHooks videoHooks(VideoRig& rig, Operation& operation,
                                    const std::function<void(std::span<const uint8_t>, int, int)>& frame)
{
    vision::VideoSourceHooks hooks;
    hooks.analyzeFrame = frame;
    hooks.resetDetector = [&rig] { rig.detector().ResetDetector(false); };
    hooks.inSimulation = [] { return false; };
    hooks.endProgram = [&operation] { operation.stopOperation(); };
    hooks.leaveSimulation = [] {};
    hooks.showLive = [](bool) {};
    hooks.showEmpty = [] {};
    return hooks;
}

} // namespace

VideoRig::VideoRig(const VideoRigParts& parts)
    : operation_(parts.operation), settings_(parts.rail.settings()),
      calibration_(parts.frontend, settings_, parts.layout),
      host_(parts.controller, parts.operation, parts.speed),
      detector_(host_, parts.frontend, calibration_, parts.layout, parts.trains,
                parts.rail.programFolder()),
      video_(backend_, parts.frontend, settings_,
             videoHooks(*this, parts.operation, [this](std::span<const uint8_t> f, int w, int h) {
                 onFrame(f, w, h);
             }))
{
}

VideoRig::~VideoRig()
{
    video_.stopGraph(true);
    video_.tearDownGraph();
}

void VideoRig::onFrame(std::span<const uint8_t> frame, int width, int height)
{
    const uint64_t before = detector_.analysisCount();
    detector_.AnalyzeFrame(frame, width, height);
    if (observer_ && detector_.analysisCount() != before)
        observer_();
}

bool VideoRig::loadCalibration(const std::string& path)
{
    calibration_.InitCalibration();
    detector_.setSettings(vision::DetectorSettings::read(settings_));
    return path.empty() || calibration_.LoadCalibration(path);
}

void VideoRig::install(Startup& startup, Shutdown& shutdown, const std::string& videoPath,
                       const std::string& calibrationPath)
{
    vision::installVideoSource(startup, shutdown, video_);
    // After the layout is in: the calibration maps onto it. A calibration
    // that does not load has shown its message; the caller decides.
    startup.addStep({StartupStage::DeviceAndProgram, "calibration",
                     [this, calibrationPath](RailSystem&) {
                         calibrationLoaded_ = loadCalibration(calibrationPath);
                         return calibrationLoaded_;
                     }});
    startup.hooks.openVideoSource = [this, videoPath](RailSystem&) {
        const VideoOpenResult result = vision::openVideoAtStartup(video_, videoPath);
        host_.setVideoRunning(result == VideoOpenResult::Opened);
        return result;
    };
    shutdown.addStep({ShutdownStage::StopCapture, "video flag",
                      [this](RailSystem&) { host_.setVideoRunning(false); }});
}

bool VideoRig::finished()
{
    vision::FrameSource* source = video_.source();
    return source == nullptr || source->ended() || !source->streamError().empty();
}

} // namespace vardo::cli
