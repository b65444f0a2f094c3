#pragma once
// The object that holds everything Vardo runs on: where its files are, the
// video path of the command line, and whether start-up has completed. The
// run-time components join it as members as they are built.
#include "vardo/base/settings.h"

#include <atomic>
#include <string>

namespace vardo {

class RailSystem {
public:
    // The program folder holds VARDO.ini and option.ini.
    explicit RailSystem(std::string programFolder);
    RailSystem(const RailSystem&) = delete;
    RailSystem& operator=(const RailSystem&) = delete;

    const std::string& programFolder() const { return programFolder_; }
    const std::string& vardoIniPath() const { return vardoIniPath_; }
    const std::string& optionIniPath() const { return optionIniPath_; }
    // The -i video file; empty when a camera is the source.
    const std::string& videoPath() const { return videoPath_; }
    void setVideoPath(std::string path) { videoPath_ = std::move(path); }

    // A file or folder of the program folder ("layout/layout.dat").
    std::string programPath(const std::string& relative) const;

    Settings settings() const { return Settings(vardoIniPath_, optionIniPath_); }

    // -s: the outside-program interface was asked for.
    bool sdkRequested() const { return sdkRequested_; }
    void setSdkRequested(bool on) { sdkRequested_ = on; }

    bool started() const { return started_; }
    void markStarted() { started_ = true; }

    // Shutdown lets go of the paths last.
    void releasePaths();

private:
    std::string programFolder_;
    std::string vardoIniPath_;
    std::string optionIniPath_;
    std::string videoPath_;
    bool sdkRequested_ = false;
    // Set by start-up on the window's thread, read by timers on the
    // frontend's thread.
    std::atomic<bool> started_{false};
};

} // namespace vardo
