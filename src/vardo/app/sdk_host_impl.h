#pragma once
// The outside-program interface's view of Vardo: every command it takes
// becomes a call on the assembled components. Runs on the polling thread.
#include "vardo/app/assembly_parts.h"
#include "vardo/devices/sdk_host.h"

namespace vardo {

class VardoAssembly;

class AssemblySdkHost : public devices::SdkHost {
public:
    AssemblySdkHost(VardoAssembly& assembly, const AssemblySdkHooks& hooks)
        : assembly_(assembly), hooks_(hooks)
    {
    }

    void showMessage(int messageId) override;
    void setCaption(const std::string& text) override;

    bool isCalibrated() const override;
    bool isSimulation() const override;
    bool controllerConnected() const override;
    int programCommandCount() const override;
    int controllerState() const override;
    bool pointCoupledWithNext(int point) const override;

    void performAction(int code, bool send) override;
    void playSound(int number, bool repeat) override;
    void prepareSound(int number) override;
    void stopSound(int number) override;
    void stopAllSounds() override;
    void setRelay(int relay, bool on) override;
    void changeSpeed(int percent, int fadeSeconds) override;
    void turnTurntable(int track, bool reversed) override;
    void waitForSensor(int sensor, int timeoutSeconds) override;

    bool clipboardText(std::string& text) override;
    void runProgramFile(const std::string& path) override;
    void setOperating(bool on) override;
    void startOperation() override;
    void stopOperation() override;

    void attachWindow(std::uint32_t window) override;

private:
    VardoAssembly& assembly_;
    const AssemblySdkHooks& hooks_;
};

} // namespace vardo
