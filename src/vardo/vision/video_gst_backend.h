#pragma once
// The video framework on GStreamer: cameras from the device monitor,
// files through whatever decoders are installed.
#include "vardo/vision/video_backend.h"

#include <gst/gst.h>

#include <functional>
#include <memory>

namespace vardo::vision {

// One video input device: its name, what it offers, and how to make its
// source element.
struct CameraDevice {
    std::string name;
    std::shared_ptr<GstCaps> caps; // may be null: the device did not say
    std::function<GstElement*()> makeElement;
};

using CameraLister = std::function<std::vector<CameraDevice>()>;

// The video input devices GstDeviceMonitor finds, in a stable order.
std::vector<CameraDevice> monitoredCameras();

class GstVideoBackend : public VideoBackend {
public:
    // By default the cameras are those of the device monitor.
    explicit GstVideoBackend(CameraLister lister = &monitoredCameras);

    bool initialise(std::string& errorText) override;
    std::vector<std::string> cameraNames() override;
    std::vector<CameraFormat> cameraFormats(int index) override;
    OpenedSource openCamera(int index, const CameraRequest& request, VideoError& error) override;
    OpenedSource openFile(const std::string& path, const FileOptions& options,
                          VideoError& error) override;

private:
    CameraLister lister_;
};

// gst_init once for the process; false with GStreamer's text on failure.
bool initialiseGStreamer(std::string& errorText);

} // namespace vardo::vision
