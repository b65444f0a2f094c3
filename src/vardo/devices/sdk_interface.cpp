#include "vardo/devices/sdk_interface.h"

#include "common/string_table.h"

#include <algorithm>

namespace vardo::devices {

SdkInterface::SdkInterface(SdkHost& host, SdkSettings settings)
    : host_(host), settings_(std::move(settings)), records_(std::max(settings_.recordLockMs, 0)),
      commands_(host)
{
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
        host_.pollingEnds();
        thread_.join();
    }
    started_ = false;
    records_.close();
    commands_.releaseWindow();
}

void SdkInterface::poll()
{
    host_.pollingBegins();
    while (!stopping_) {
        pollOnce();
        stopEvent_.wait(interval());
    }
}

int SdkInterface::interval() const
{
    const int ms = settings_.commInterval ? settings_.commInterval() : settings_.commIntervalMs;
    // A zero or negative interval would spin: poll at least every millisecond.
    return std::max(ms, 1);
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
