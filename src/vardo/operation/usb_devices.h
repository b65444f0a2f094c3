#pragma once
// The relay board as operation sees it.
#include "vardo/devices/usb_controller.h"
#include "vardo/base/operation_seams.h"

namespace vardo {

class UsbDevices : public ControllerDevices {
public:
    explicit UsbDevices(devices::UsbController& usb) : usb_(usb) {}
    bool connected() const override { return usb_.connected(); }
    bool sendAction(int code) override { return usb_.sendAction(code); }
    bool setRelay(int relay, bool on) override { return usb_.setRelay(relay, on); }
    bool pointBusy(int k) const override
    {
        return k >= 0 && k < devices::UsbSettings::kMaxPoints && usb_.pointBusy(k);
    }

private:
    devices::UsbController& usb_;
};

} // namespace vardo
