// libFuzzer target: command records as an outside program leaves them in
// the shared "Command" record. The input is a run of 12-byte records; what
// is left over is the clipboard text for the run-program command. Every
// record with the new flag is run against a host that checks that only
// values of the controller vocabulary and of the devices' ranges reach it.
#include "vardo/devices/sdk_commands.h"
#include "vardo_sdk.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

using vardo::devices::SdkHost;

void require(bool ok)
{
    if (!ok)
        __builtin_trap();
}

class CheckingHost : public SdkHost {
public:
    std::string clipboard;
    bool calibrated = true;

    void showMessage(int) override {}
    void setCaption(const std::string&) override {}
    bool isCalibrated() const override { return calibrated; }
    bool isSimulation() const override { return false; }
    bool controllerConnected() const override { return true; }
    int programCommandCount() const override { return 2; }
    int controllerState() const override { return 0; }
    bool pointCoupledWithNext(int point) const override
    {
        require(point >= 1 && point <= 4);
        return point % 2 == 1;
    }
    void performAction(int code, bool) override { require(code >= 0 && code <= 12); }
    void playSound(int number, bool) override { require(number > 0); }
    void prepareSound(int number) override { require(number > 0); }
    void stopSound(int number) override { require(number > 0); }
    void stopAllSounds() override {}
    void setRelay(int relay, bool) override { require(relay > 0); }
    void changeSpeed(int percent, int fadeSeconds) override
    {
        require(percent >= 0 && percent <= 100 && fadeSeconds >= 0);
    }
    void turnTurntable(int track, bool) override { require(track >= 1 && track <= 5); }
    void waitForSensor(int sensor, int timeoutSeconds) override
    {
        require(sensor >= 0 && sensor <= 99 && timeoutSeconds >= 0);
    }
    bool clipboardText(std::string& text) override
    {
        text = clipboard;
        return true;
    }
    void runProgramFile(const std::string& path) override
    {
        const std::string blanks = " \t\r\n";
        require(!path.empty() && blanks.find(path.front()) == std::string::npos &&
                blanks.find(path.back()) == std::string::npos);
    }
    void setOperating(bool) override {}
    void startOperation() override {}
    void stopOperation() override {}
    void attachWindow(std::uint32_t) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static_assert(sizeof(vardo_command_record) == 12);
    const size_t records = size / sizeof(vardo_command_record);
    CheckingHost host;
    const size_t rest = records * sizeof(vardo_command_record);
    host.clipboard.assign(reinterpret_cast<const char*>(data) + rest, size - rest);
    vardo::devices::SdkCommands commands(host);
    for (size_t i = 0; i < records; ++i) {
        vardo_command_record record;
        std::memcpy(&record, data + i * sizeof record, sizeof record);
        // The uncalibrated refusal of the opening command is exercised too.
        host.calibrated = record.unused[0] != 0xff;
        if (record.flag != VARDO_SDK_FLAG_NEW)
            continue;
        // Processed exactly when the connection is open (or was just opened).
        const bool processed = commands.process(record.code, record.value);
        require(processed == commands.connectionOpen());
    }
    commands.releaseWindow();
    return 0;
}
