#pragma once
// Test rigs: a USB I/O controller wired to the emulated board on a
// pseudo-terminal, or to an in-memory board.
#include "board_emulator.h"
#include "memory_board.h"
#include "recording_frontend.h"
#include "temp_dir.h"
#include "vardo/devices/serial_port.h"
#include "vardo/devices/usb_controller.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace vardo::testing {

// Polls and pauses short enough for tests; the 5 s reply wait has a test
// of its own with the real timing.
inline devices::UsbTiming fastTiming()
{
    devices::UsbTiming t;
    t.pollMs = 10;
    t.polls = 30;
    t.pwmRestartMs = 50;
    return t;
}

// Counts the ports opened through it.
class CountingOpener : public devices::PortOpener {
public:
    explicit CountingOpener(std::string ini) : serial_(std::move(ini)) {}
    std::unique_ptr<devices::ByteStream> openPort(int number, int baudRate) override
    {
        ++opens;
        return serial_.openPort(number, baudRate);
    }
    std::atomic<int> opens{0};

private:
    devices::SerialPortOpener serial_;
};

struct PtyRig {
    explicit PtyRig(boardsim::Options options, const std::string& usbKeys = "",
                    devices::UsbTiming timing = fastTiming(), const std::string& otherSections = "")
        : board(options), opener(dir.file("option.ini"))
    {
        boardReady = board.open() && board.start();
        dir.write("option.ini", "[SERIAL]\nCOM3=" + board.devicePath() + "\n[USB]\nCOM_NO=3\n" +
                                    usbKeys + otherSections);
        usb = std::make_unique<devices::UsbController>(frontend, opener, dir.file("option.ini"),
                                                       dir.path(), timing);
        frontend.setTimerHandler([this](int id) { usb->onTimer(id); });
    }
    // The commands the board received, without their carriage returns.
    std::vector<std::string> received() const
    {
        std::vector<std::string> out;
        for (const auto& r : board.commands())
            out.push_back(r.command);
        return out;
    }

    TempDir dir;
    RecordingFrontend frontend;
    boardsim::BoardEmulator board;
    CountingOpener opener;
    std::unique_ptr<devices::UsbController> usb;
    bool boardReady = false;
};

struct MemoryRig {
    explicit MemoryRig(const std::string& usbKeys = "COM_NO=3\n",
                       devices::UsbTiming timing = fastTiming())
        : board(std::make_shared<MemoryBoard>()), opener(board)
    {
        dir.write("option.ini", "[USB]\n" + usbKeys);
        usb = std::make_unique<devices::UsbController>(frontend, opener, dir.file("option.ini"),
                                                       dir.path(), timing);
        frontend.setTimerHandler([this](int id) { usb->onTimer(id); });
    }

    TempDir dir;
    RecordingFrontend frontend;
    std::shared_ptr<MemoryBoard> board;
    MemoryOpener opener;
    std::unique_ptr<devices::UsbController> usb;
};

} // namespace vardo::testing
