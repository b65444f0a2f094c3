#pragma once
// Detection on a video file for the headless commands: the calibration in
// force, the detector, the control side it reports to and the video source
// whose streaming thread feeds it. Plugged into start-up and shutdown like
// the window's video source.
#include "vardo/base/frontend.h"
#include "vardo/app/rail_system.h"
#include "vardo/base/settings.h"
#include "vardo/app/startup.h"
#include "vardo/layout/layout_model.h"
#include "vardo/app/detection_host_impl.h"
#include "vardo/base/train_state.h"
#include "vardo/vision/calibration.h"
#include "vardo/vision/detector.h"
#include "vardo/vision/video_gst_backend.h"
#include "vardo/vision/video_source.h"

#include <functional>
#include <string>

namespace vardo::cli {

struct VideoRigParts {
    Frontend& frontend;
    RailSystem& rail;
    const layout::LayoutModel& layout;
    TrainState& trains;
    Controller& controller;
    Operation& operation;
    SpeedControl& speed;
};

class VideoRig {
public:
    explicit VideoRig(const VideoRigParts& parts);
    ~VideoRig();
    VideoRig(const VideoRig&) = delete;
    VideoRig& operator=(const VideoRig&) = delete;

    // Called on the streaming thread after every frame that was analysed.
    void setAnalysisObserver(std::function<void()> observer) { observer_ = std::move(observer); }

    // Adds the video framework and calibration steps and makes the file the
    // source opened at the end of start-up. calibrationPath overrides the
    // file of the settings when not empty.
    void install(Startup& startup, Shutdown& shutdown, const std::string& videoPath,
                 const std::string& calibrationPath);

    // The file has ended and does not loop, or it failed while playing.
    bool finished();
    bool opened() const { return host_.videoRunning(); }
    bool calibrationLoaded() const { return calibrationLoaded_; }

    vision::Calibration& calibration() { return calibration_; }
    vision::Detector& detector() { return detector_; }
    ControlDetectionHost& host() { return host_; }
    vision::VideoSource& video() { return video_; }
    const Settings& settings() const { return settings_; }

private:
    void onFrame(std::span<const uint8_t> frame, int width, int height);
    bool loadCalibration(const std::string& path);

    Operation& operation_;
    Settings settings_;
    vision::Calibration calibration_;
    ControlDetectionHost host_;
    vision::Detector detector_;
    vision::GstVideoBackend backend_;
    vision::VideoSource video_;
    std::function<void()> observer_;
    bool calibrationLoaded_ = false;
};

} // namespace vardo::cli
