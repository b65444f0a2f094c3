#include "vardo/vision/video_source.h"

#include "vardo/base/command_ids.h"

namespace vardo::vision {

namespace msg = common::msg;

VideoSource::VideoSource(VideoBackend& backend, Frontend& frontend, Settings settings,
                         VideoSourceHooks hooks)
    : backend_(backend), frontend_(frontend), settings_(std::move(settings)),
      hooks_(std::move(hooks))
{
}

VideoSource::~VideoSource()
{
    tearDownGraph();
}

bool VideoSource::initVideo()
{
    std::string errorText;
    if (!backend_.initialise(errorText))
        return false;
    deviceNumber_ = settings_.getInt(SettingId::CaptureDevice);
    cameras_ = backend_.cameraNames();
    if (cameras_.empty())
        deviceNumber_ = -1;
    return true;
}

void VideoSource::report(const VideoError& error)
{
    frontend_.showMessage(msg::DirectShowError, Icon::Stop, {error.step, error.text});
}

void VideoSource::adopt(OpenedSource opened)
{
    source_ = std::move(opened.source);
    if (source_)
        source_->setCallback(hooks_.analyzeFrame);
}

FrameSize VideoSource::requestedSize() const
{
    FrameSize size = parseResolution(settings_.getString(SettingId::CaptureResolution));
    // A size that cannot be meant asks for the one analysis is made for.
    if (size.width <= 0 || size.height <= 0)
        return kRecommendedSize;
    return size;
}

VideoSource::BuildResult VideoSource::buildGraph(const std::string& filePath)
{
    tearDownGraph();
    if (filePath.empty()) {
        CameraRequest request;
        request.size = requestedSize();
        return buildCamera(request, true);
    }
    FileOptions options;
    options.loop = settings_.getInt(SettingId::CaptureLoop) == 1;
    VideoError error;
    OpenedSource opened = backend_.openFile(filePath, options, error);
    if (!opened.source) {
        report(error);
        return BuildResult::Failed;
    }
    adopt(std::move(opened));
    deviceNumber_ = -1;
    fileIsSource_ = true;
    return BuildResult::Ok;
}

VideoSource::BuildResult VideoSource::buildCamera(const CameraRequest& request, bool reportSize)
{
    fileIsSource_ = false;
    if (deviceNumber_ == 0 || cameras_.empty())
        return BuildResult::NoCamera;
    // A choice never made (-1) or one of a camera no longer there takes the
    // first camera; the stored choice stays until the user picks another.
    if (deviceNumber_ < 1 || size_t(deviceNumber_) > cameras_.size())
        deviceNumber_ = 1;
    VideoError error;
    OpenedSource opened = backend_.openCamera(deviceNumber_ - 1, request, error);
    if (!opened.source) {
        report(error);
        return BuildResult::Failed;
    }
    if (!opened.sizeApplied && reportSize)
        frontend_.showMessage(msg::CameraResolutionFailed);
    adopt(std::move(opened));
    return BuildResult::Ok;
}

bool VideoSource::runGraph()
{
    if (!source_)
        return false;
    VideoError error;
    if (source_->start(error))
        return true;
    report(error);
    return false;
}

bool VideoSource::stopGraph(bool keepBuffers)
{
    if (source_ && !source_->stop())
        return false;
    if (!keepBuffers && hooks_.resetDetector)
        hooks_.resetDetector();
    return true;
}

void VideoSource::tearDownGraph()
{
    // The source's own stop makes sure no callback outlives it.
    source_.reset();
}

void VideoSource::selectCamera(int n)
{
    settings_.writeInt(SettingId::CaptureDevice, n);
    stopGraph();
    tearDownGraph();
    deviceNumber_ = n;
    if (n == 0) {
        fileIsSource_ = false;
        if (hooks_.showEmpty)
            hooks_.showEmpty();
        return;
    }
    CameraRequest request;
    request.size = requestedSize();
    if (buildCamera(request, true) != BuildResult::Ok || !runGraph())
        return;
    if (hooks_.inSimulation && hooks_.inSimulation()) {
        frontend_.showMessage(msg::CameraSelected);
        if (hooks_.endProgram)
            hooks_.endProgram();
        if (hooks_.leaveSimulation)
            hooks_.leaveSimulation();
        if (hooks_.showLive)
            hooks_.showLive(false);
    }
}

bool VideoSource::openVideoFile(const std::string& path)
{
    stopGraph();
    if (buildGraph(path) != BuildResult::Ok) {
        frontend_.showMessage(msg::DirectXInitFailed, Icon::Stop);
        return false;
    }
    videoPath_ = path;
    if (hooks_.endProgram)
        hooks_.endProgram();
    if (hooks_.leaveSimulation)
        hooks_.leaveSimulation();
    if (hooks_.showLive)
        hooks_.showLive(true);
    return runGraph();
}

bool VideoSource::cameraIsSource() const
{
    return !fileIsSource_ && deviceNumber_ >= 1 && size_t(deviceNumber_) <= cameras_.size();
}

std::vector<CameraFormat> VideoSource::cameraFormats()
{
    if (!cameraIsSource())
        return {};
    return backend_.cameraFormats(deviceNumber_ - 1);
}

bool VideoSource::applyCameraSettings(const CameraFormat& choice)
{
    if (!cameraIsSource() || choice.width <= 0 || choice.height <= 0)
        return false;
    stopGraph();
    CameraRequest request{{choice.width, choice.height}, choice.mediaType, choice.format};
    if (buildCamera(request, true) != BuildResult::Ok)
        return false;
    FrameSize size = request.size;
    if (largerThanRecommended(size) &&
        frontend_.ask(msg::CameraSizeLarge, Buttons::YesNo) != Answer::Yes) {
        request.size = kRecommendedSize;
        if (buildCamera(request, true) != BuildResult::Ok)
            return false;
        size = kRecommendedSize;
    }
    settings_.write(SettingId::CaptureResolution, formatResolution(size));
    return runGraph();
}

std::vector<CameraMenuEntry> VideoSource::cameraMenu() const
{
    std::vector<CameraMenuEntry> entries;
    entries.push_back({common::messageText(msg::CameraNone), cmd::NoCamera, deviceNumber_ == 0});
    for (size_t i = 0; i < cameras_.size(); ++i) {
        int number = int(i) + 1;
        int id = number <= kCameraCommands ? cmd::NoCamera + number : 0;
        entries.push_back({cameras_[i], id, !fileIsSource_ && deviceNumber_ == number});
    }
    return entries;
}

bool VideoSource::handleCommand(int commandId)
{
    if (commandId < cmd::NoCamera || commandId > cmd::LastCamera)
        return false;
    int n = commandId - cmd::NoCamera;
    if (size_t(n) > cameras_.size())
        return false;
    selectCamera(n);
    return true;
}

} // namespace vardo::vision
