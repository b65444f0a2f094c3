#include "vardo/devices/usb_log.h"

#include "common/paths.h"

#include <chrono>
#include <cstdio>

namespace vardo::devices {

namespace {

const auto processStart = std::chrono::steady_clock::now();

} // namespace

long UsbLog::processMs()
{
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - processStart)
                                 .count());
}

void UsbLog::start(const std::string& folder, bool enabled)
{
    std::lock_guard lock(mutex_);
    path_ = common::joinPath(folder, kFileName);
    enabled_ = enabled;
    if (enabled)
        std::remove(path_.c_str());
}

void UsbLog::write(const std::string& command)
{
    std::lock_guard lock(mutex_);
    if (!enabled_)
        return;
    // Opened per line so that the file is complete whenever the program stops.
    FILE* f = std::fopen(path_.c_str(), "a");
    if (!f)
        return;
    std::fprintf(f, "%ld:%s\n", processMs(), command.c_str());
    std::fclose(f);
}

} // namespace vardo::devices
