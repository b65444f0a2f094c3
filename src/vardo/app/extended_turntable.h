#pragma once
// The turntable as detection sees it: the approach stop's settings and
// latch, and the selected track, all kept by the extended interface.
#include "vardo/devices/extended_interface.h"
#include "vardo/vision/detection_host.h"

namespace vardo {

class ExtendedTurntable : public vision::TurntableSide {
public:
    explicit ExtendedTurntable(devices::ExtendedInterface& ext) : ext_(ext) {}

    int autoStopSetting() const override { return ext_.settings().autoStop; }
    int turnServoSetting() const override { return ext_.settings().turnServo; }
    int autoStopLatch() const override { return ext_.autoStopLatch(); }
    void setAutoStopLatch(int latch) override { ext_.setAutoStopLatch(latch); }
    bool turntableTrackSelected(int button) const override
    {
        return button >= 1 && button <= devices::kTurnTracks &&
               (ext_.turntableState() & (1 << button)) != 0;
    }

private:
    devices::ExtendedInterface& ext_;
};

// Whether the interface is in use with one of its four point entries
// driven by it: then a calibration run leaves point 1 to the servos.
inline bool extendedDrivesPoints(const devices::ExtendedInterface& ext)
{
    if (!ext.isOpen())
        return false;
    const devices::ServoSettings s = ext.settings();
    for (int setting : s.pointServo)
        if (devices::servoEnabled(setting))
            return true;
    return devices::servoEnabled(s.tableServo);
}

} // namespace vardo
