#pragma once
// An extended interface wired to the emulated board (servo mode) on a
// pseudo-terminal, with option.ini and VARDO.ini in a fresh folder.
#include "board_emulator.h"
#include "recording_frontend.h"
#include "temp_dir.h"
#include "vardo/devices/extended_interface.h"
#include "vardo/devices/serial_port.h"

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace vardo::testing {

inline devices::ExtendedTiming fastExtendedTiming()
{
    devices::ExtendedTiming t;
    t.sensorPollMs = 10;
    t.speedOutputOpenMs = 10;
    return t;
}

struct ExtendedRig {
    explicit ExtendedRig(const std::string& servoKeys, boardsim::Options options = servoBoard(),
                         devices::ExtendedTiming timing = fastExtendedTiming(),
                         const std::string& vardoKeys = "")
        : board(options), opener(dir.file("option.ini"))
    {
        boardReady = board.open() && board.start();
        dir.write("option.ini",
                  "[SERIAL]\nCOM4=" + board.devicePath() + "\n[SERVO]\nCOM_NO=4\n" + servoKeys);
        dir.write("VARDO.ini", "[SERVO]\n" + vardoKeys);
        ext = std::make_unique<devices::ExtendedInterface>(
            frontend, opener, Settings(dir.file("VARDO.ini"), dir.file("option.ini")), timing);
    }
    static boardsim::Options servoBoard()
    {
        boardsim::Options o;
        o.servo = true;
        return o;
    }
    // Waits until the board has received at least n servo messages.
    std::vector<boardsim::ServoRecord> received(size_t n, int timeoutMs = 3000) const
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        auto records = board.servoRecords();
        while (records.size() < n && std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            records = board.servoRecords();
        }
        return records;
    }
    // Sends a packet to an ID no servo has and waits for it: everything
    // written before has arrived. The number of records up to the mark.
    size_t mark()
    {
        const size_t before = board.servoRecords().size();
        ext->sendPacket(devices::torquePacket(kMarkId, false));
        auto records = received(before + 1);
        for (int i = 0; i < 300 && (records.empty() || records.back().servo != kMarkId); ++i)
            records = received(records.size() + 1, 10);
        return records.size();
    }
    // The records after a mark, waiting for n of them.
    std::vector<boardsim::ServoRecord> since(size_t marked, size_t n) const
    {
        auto records = received(marked + n);
        return std::vector<boardsim::ServoRecord>(
            records.begin() + long(std::min(marked, records.size())), records.end());
    }
    static constexpr int kMarkId = 0x7E;

    std::vector<std::string> hexes(size_t n) const
    {
        std::vector<std::string> out;
        for (const auto& r : received(n))
            out.push_back(r.packet ? r.hex : r.text);
        return out;
    }

    TempDir dir;
    RecordingFrontend frontend;
    boardsim::BoardEmulator board;
    devices::SerialPortOpener opener;
    std::unique_ptr<devices::ExtendedInterface> ext;
    bool boardReady = false;
};

} // namespace vardo::testing
