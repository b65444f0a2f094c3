#include "vardo/devices/sdk_interface.h"

#include "common/string_table.h"

#include <algorithm>

namespace vardo::devices {

SdkInterface::SdkInterface(SdkHost& host, SdkSettings settings)
    : host_(host), settings_(settings), records_(std::max(settings.recordLockMs, 0)),
      commands_(host)
{
    // A zero or negative interval would spin: poll at least every millisecond.
    settings_.commIntervalMs = std::max(settings_.commIntervalMs, 1);
}

SdkInterface::~SdkInterface()
{
    sdkStop();
}

bool SdkInterface::sdkStart()
{
    if (started_) {
        return true;
    }
    if (!records_.open()) {
        host_.showMessage(common::msg::SharedMemoryFailed);
        return false;
    }
    stopping_ = false;
    stopEvent_.reset();
    started_ = true;
    thread_ = std::thread([this] { poll(); });
    return true;
}

void SdkInterface::sdkStop()
{
    if (thread_.joinable()) {
        stopping_ = true;
        stopEvent_.set();
        thread_.join();
    }
    started_ = false;
    records_.close();
    commands_.releaseWindow();
}

void SdkInterface::poll()
{
    while (!stopping_) {
        pollOnce();
        stopEvent_.wait(settings_.commIntervalMs);
    }
}

void SdkInterface::pollOnce()
{
    SdkCommand command;
    if (records_.takeCommand(command)) {
        ++taken_;
        // The command runs here, on the polling thread: a sensor wait or a
        // program load holds further commands until it is done.
        if (commands_.process(command.code, command.value)) {
            publishStatus(host_.controllerState());
        }
    }
    ++polls_;
}

void SdkInterface::publishStatus(int controllerState)
{
    if (started_) {
        records_.writeStatus(controllerState);
    }
}

void SdkInterface::publishPosition(int x, int y, int laps, int angle)
{
    if (started_ && !commands_.boundingBoxMode()) {
        records_.writePosition(x, y, laps, angle);
    }
}

void SdkInterface::publishBoundingBox(int minX, int minY, int maxX, int maxY)
{
    if (started_ && commands_.boundingBoxMode() && minX <= maxX && minY <= maxY) {
        records_.writePosition(minX, minY, maxX, maxY);
    }
}

} // namespace vardo::devices
