#pragma once
// A USB I/O controller on the emulated board over a pseudo-terminal, in a
// program folder of its own that goes away with the rig.
#include "board_emulator.h"
#include "common/profile.h"
#include "quiet_frontend.h"
#include "vardo/devices/serial_port.h"
#include "vardo/devices/usb_controller.h"

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace vardo::bench {

class UsbBenchRig {
    // Declared first: the controller uses them until it is destroyed.
    std::string folder_;
    QuietFrontend frontend_;
    std::unique_ptr<devices::SerialPortOpener> opener_;

public:
    // usbKeys: more [USB] keys, as "KEY=VALUE" lines.
    explicit UsbBenchRig(const std::string& name, const std::string& usbKeys = "")
        : folder_((std::filesystem::temp_directory_path() / (name + "-" + std::to_string(getpid())))
                      .string())
    {
        if (!board.open() || !board.start()) {
            error = "no pseudo-terminal";
            return;
        }
        std::filesystem::create_directories(folder_);
        const std::string ini = folder_ + "/option.ini";
        common::Profile::writeString(ini, "SERIAL", "COM3", board.devicePath());
        common::Profile::writeInt(ini, "USB", "COM_NO", 3);
        for (size_t at = 0; at < usbKeys.size();) {
            const size_t end = std::min(usbKeys.find('\n', at), usbKeys.size());
            const std::string line = usbKeys.substr(at, end - at);
            const size_t eq = line.find('=');
            if (eq != std::string::npos)
                common::Profile::writeString(ini, "USB", line.substr(0, eq), line.substr(eq + 1));
            at = end + 1;
        }
        opener_ = std::make_unique<devices::SerialPortOpener>(ini);
        usb = std::make_unique<devices::UsbController>(frontend_, *opener_, ini, folder_);
        if (!usb->initController())
            error = "controller did not start";
    }
    ~UsbBenchRig()
    {
        if (usb)
            usb->shutdownController();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    boardsim::BoardEmulator board{{}};
    std::unique_ptr<devices::UsbController> usb;
    const char* error = nullptr; // why the rig is not ready
};

} // namespace vardo::bench
