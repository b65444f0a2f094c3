#pragma once
// The video source of the main program: which camera or file the frames
// come from, the camera menu, opening a file, the camera's size, and the
// stop that lets the detector start afresh. All calls come from the
// user-interface thread; only the frame callback runs on the source's.
#include "vardo/base/frontend.h"
#include "vardo/base/settings.h"
#include "vardo/vision/video_backend.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vardo::vision {

// What the video source asks of the rest of the program.
struct VideoSourceHooks {
    FrameCallback analyzeFrame;              // every frame, on the source's thread
    std::function<void()> resetDetector;     // after a stop, once no frame is in flight
    std::function<bool()> inSimulation;      // simulation mode runs
    std::function<void()> endProgram;        // end a running automatic operation
    std::function<void()> leaveSimulation;   // back from simulation to the real layout
    std::function<void(bool centroid)> showLive; // live display; true: centroid sub-mode too
    std::function<void()> showEmpty;         // repaint the view without a picture
};

struct CameraMenuEntry {
    std::string text;
    int commandId = 0; // 0: listed, but no command behind it
    bool checked = false;
};

// The cameras with a command of their own; later ones are only listed.
inline constexpr int kCameraCommands = 4;

class VideoSource {
public:
    enum class BuildResult { Ok, NoCamera, Failed };

    VideoSource(VideoBackend& backend, Frontend& frontend, Settings settings,
                VideoSourceHooks hooks);
    ~VideoSource();
    VideoSource(const VideoSource&) = delete;
    VideoSource& operator=(const VideoSource&) = delete;

    // Start-up: the framework, the stored camera choice and the camera list.
    // False when the framework cannot start (start-up reports it).
    bool initVideo();
    // Builds a source for the file, or for the chosen camera when the path
    // is empty. Failing steps are reported here; NoCamera is not.
    BuildResult buildGraph(const std::string& filePath);
    bool runGraph();
    // Returns once no frame callback runs; then, unless the detector's
    // buffers are to be kept, resets the detector.
    bool stopGraph(bool keepBuffers = false);
    void tearDownGraph();

    // Camera menu commands: 0 = no camera, n = the n-th camera.
    void selectCamera(int n);
    // The file chosen in the open-file dialog.
    bool openVideoFile(const std::string& path);
    // Camera settings: what the camera offers, and the user's choice.
    std::vector<CameraFormat> cameraFormats();
    bool applyCameraSettings(const CameraFormat& choice);

    std::vector<CameraMenuEntry> cameraMenu() const;
    // The camera menu's commands; false for any other id or a camera that
    // is not there.
    bool handleCommand(int commandId);

    // 0 none, n the n-th camera, -1 a file (or no camera found).
    int deviceNumber() const { return deviceNumber_; }
    bool running() const { return source_ != nullptr && source_->running(); }
    bool built() const { return source_ != nullptr; }
    FrameSize frameSize() const { return source_ ? source_->frameSize() : FrameSize{}; }
    const std::string& videoPath() const { return videoPath_; }
    const std::vector<std::string>& cameraNames() const { return cameras_; }
    FrameSource* source() { return source_.get(); }

private:
    BuildResult buildCamera(const CameraRequest& request, bool reportSize);
    FrameSize requestedSize() const;
    bool cameraIsSource() const;
    void report(const VideoError& error);
    void adopt(OpenedSource opened);

    VideoBackend& backend_;
    Frontend& frontend_;
    Settings settings_;
    VideoSourceHooks hooks_;
    std::unique_ptr<FrameSource> source_;
    std::vector<std::string> cameras_;
    int deviceNumber_ = -1;
    bool fileIsSource_ = false;
    std::string videoPath_;
};

} // namespace vardo::vision
