#pragma once
// The traffic log of the USB I/O controller, "debug_usb.log" in the program
// folder: one line "<ms>:<command as sent>\n" per command, the time taken
// from the process clock.
#include <mutex>
#include <string>

namespace vardo::devices {

class UsbLog {
public:
    static constexpr const char* kFileName = "debug_usb.log";

    // Turns the log on or off; turning it on deletes the old file.
    void start(const std::string& folder, bool enabled);
    bool enabled() const { return enabled_; }
    const std::string& path() const { return path_; }
    void write(const std::string& command);

    // Milliseconds since the process started.
    static long processMs();

private:
    std::mutex mutex_;
    std::string path_;
    bool enabled_ = false;
};

} // namespace vardo::devices
