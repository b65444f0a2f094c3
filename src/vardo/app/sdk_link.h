#pragma once
// The outside-program interface as the assembly holds it: the interface
// with its host, seen by operation as the status publisher and by
// detection as the position output.
#include "vardo/app/sdk_frontend_calls.h"
#include "vardo/app/sdk_host_impl.h"
#include "vardo/base/operation_seams.h"
#include "vardo/devices/sdk_interface.h"
#include "vardo/vision/detection_host.h"

namespace vardo {

class SdkLink : public StatusPublisher, public vision::PositionOutput {
public:
    // The polling interval is read from the settings after every poll.
    SdkLink(VardoAssembly& assembly, const AssemblySdkHooks& hooks);

    devices::SdkInterface& sdk() { return sdk_; }
    AssemblySdkHost& host() { return host_; }
    // The frontend's thread: runs what the polling thread waits for there
    // (the command posted for it is cmd::SdkCalls).
    void runFrontendCalls() { calls_.runPending(); }

    // StatusPublisher
    bool isOpen() const override { return sdk_.isOpen(); }
    void publishStatus(int controllerState) override { sdk_.publishStatus(controllerState); }
    void publishPosition(int x, int y, int laps, int angle) override
    {
        sdk_.publishPosition(x, y, laps, angle);
    }

    // PositionOutput. Detection asks whether an outside program owns the
    // display to suspend its automatic stops; that holds from the first
    // attach request on, also once the window was released again.
    bool windowAttached() const override { return sdk_.outsideDisplayMode(); }
    bool boundingBoxMode() const override { return sdk_.boundingBoxMode(); }
    void publishBoundingBox(int minX, int minY, int maxX, int maxY) override
    {
        sdk_.publishBoundingBox(minX, minY, maxX, maxY);
    }

private:
    SdkFrontendCalls calls_;
    AssemblySdkHost host_;
    devices::SdkInterface sdk_;
};

} // namespace vardo
