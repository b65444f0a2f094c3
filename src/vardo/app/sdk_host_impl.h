#pragma once
// The outside-program interface's view of Vardo: every command it takes
// becomes a call on the assembled components. Runs on the polling thread;
// messages, the clipboard and the program are carried over to the
// frontend's thread, where the window and the editor use them.
#include "vardo/app/assembly_parts.h"
#include "vardo/app/sdk_frontend_calls.h"
#include "vardo/devices/sdk_host.h"

namespace vardo {

class VardoAssembly;

class AssemblySdkHost : public devices::SdkHost {
public:
    AssemblySdkHost(VardoAssembly& assembly, const AssemblySdkHooks& hooks, SdkFrontendCalls& calls)
        : assembly_(assembly), hooks_(hooks), calls_(calls)
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

    void pollingBegins() override;
    void pollingEnds() override;

private:
    VardoAssembly& assembly_;
    const AssemblySdkHooks& hooks_;
    SdkFrontendCalls& calls_;
};

} // namespace vardo
