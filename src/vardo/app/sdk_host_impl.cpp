#include "vardo/app/sdk_host_impl.h"

#include "common/string_table.h"
#include "vardo/app/assembly.h"

#include <algorithm>
#include <atomic>
#include <memory>

namespace vardo {

void AssemblySdkHost::showMessage(int messageId)
{
    // A message box is modal on the window's thread: the poller waits for
    // it to be closed, unless the interface stops first.
    Frontend& frontend = assembly_.frontend();
    calls_.run([&frontend, messageId] {
        frontend.showMessage(messageId, common::messageIcon(messageId));
    });
}

void AssemblySdkHost::setCaption(const std::string& text)
{
    assembly_.frontend().setCaption(text);
}

bool AssemblySdkHost::isCalibrated() const
{
    return assembly_.calibration().calibrated();
}

bool AssemblySdkHost::isSimulation() const
{
    return assembly_.simulation().running();
}

bool AssemblySdkHost::controllerConnected() const
{
    return assembly_.controllerConnected();
}

int AssemblySdkHost::programCommandCount() const
{
    // The editor changes the program on the frontend's thread: read it there.
    auto count = std::make_shared<std::atomic<int>>(0);
    VardoAssembly& assembly = assembly_;
    calls_.run([&assembly, count] { count->store(assembly.program().count); });
    return count->load();
}

int AssemblySdkHost::controllerState() const
{
    return assembly_.controller().state();
}

bool AssemblySdkHost::pointCoupledWithNext(int point) const
{
    const layout::LayoutModel& model = assembly_.layout().model();
    const int k = point - 1;
    return k >= 0 && k + 1 < model.pointCount() && k < model.pointRecordCount() &&
           model.point(k).record.linked;
}

void AssemblySdkHost::performAction(int code, bool send)
{
    assembly_.controller().performAction(code, send);
}

// A sound that is not defined or whose file is missing is reported in a
// message box: the sound calls go to the window's thread like messages.
void AssemblySdkHost::playSound(int number, bool repeat)
{
    VardoAssembly& assembly = assembly_;
    calls_.run([&assembly, number, repeat] { assembly.sounds().play(number, repeat); });
}

void AssemblySdkHost::prepareSound(int number)
{
    VardoAssembly& assembly = assembly_;
    calls_.run([&assembly, number] { assembly.sounds().prepare(number); });
}

void AssemblySdkHost::stopSound(int number)
{
    VardoAssembly& assembly = assembly_;
    calls_.run([&assembly, number] { assembly.sounds().stop(number); });
}

void AssemblySdkHost::stopAllSounds()
{
    assembly_.sounds().stopAll();
}

void AssemblySdkHost::setRelay(int relay, bool on)
{
    assembly_.controller().setRelay(relay, on);
}

void AssemblySdkHost::changeSpeed(int percent, int fadeSeconds)
{
    assembly_.speed().change(std::clamp(percent, 0, 100) / 100.0, fadeSeconds);
}

void AssemblySdkHost::turnTurntable(int track, bool reversed)
{
    assembly_.operation().outsideTurntable(track, reversed);
}

void AssemblySdkHost::waitForSensor(int sensor, int timeoutSeconds)
{
    assembly_.operation().outsideSensorWait(sensor, timeoutSeconds);
}

bool AssemblySdkHost::clipboardText(std::string& text)
{
    if (!hooks_.clipboardText)
        return false;
    struct Answer {
        std::mutex mutex;
        std::string text;
        bool read = false;
    };
    auto answer = std::make_shared<Answer>();
    const std::function<bool(std::string&)> read = hooks_.clipboardText;
    if (!calls_.run([answer, read] {
            std::string found;
            const bool ok = read(found);
            std::lock_guard lock(answer->mutex);
            answer->text = std::move(found);
            answer->read = ok;
        }))
        return false;
    std::lock_guard lock(answer->mutex);
    text = answer->text;
    return answer->read;
}

void AssemblySdkHost::runProgramFile(const std::string& path)
{
    // Loading replaces the program the editor shows: on the editor's thread.
    VardoAssembly& assembly = assembly_;
    calls_.run([&assembly, path] { assembly.runProgramFileForOutside(path); });
}

void AssemblySdkHost::setOperating(bool on)
{
    assembly_.setOutsideControl(on);
}

void AssemblySdkHost::startOperation()
{
    // Starting reads the program the editor changes.
    VardoAssembly& assembly = assembly_;
    calls_.run([&assembly] { assembly.startProgramForOutside(); });
}

void AssemblySdkHost::stopOperation()
{
    assembly_.operation().stopOperation();
}

void AssemblySdkHost::attachWindow(std::uint32_t window)
{
    if (hooks_.attachWindow)
        hooks_.attachWindow(window);
}

void AssemblySdkHost::pollingBegins()
{
    calls_.servePollingThread(std::this_thread::get_id());
}

void AssemblySdkHost::pollingEnds()
{
    calls_.stop();
}

} // namespace vardo
