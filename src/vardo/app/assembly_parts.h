#pragma once
// What differs between the programs that bring Vardo up (the window, the
// headless runner, the calibration command, the tests): the frontend, the
// video backend, the files given on the command line, the dialogs, the
// trace and the hooks of the window, and a factory per optional component.
#include "vardo/base/frontend.h"
#include "vardo/base/operation_seams.h"
#include "vardo/operation/program_dialogs.h"
#include "vardo/vision/detection_host.h"
#include "vardo/vision/video_backend.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <type_traits>

namespace vardo {

class RailSystem;
class Settings;
class SpeechComponent;
namespace devices {
class ExtendedInterface;
class PortOpener;
class SoundEngine;
} // namespace devices

// What an optional component is made from.
struct ComponentContext {
    Frontend& frontend;
    const RailSystem& rail;
    OperationObserver* observer = nullptr;
    // The extended interface reports a finished turn here.
    std::function<void()> turntableArrived;
    // The devices' serial ports and the settings the assembly keeps.
    devices::PortOpener* portOpener = nullptr;
    const Settings* settings = nullptr;
};

// A component that only starts and stops with the rest (speech).
class Component {
public:
    virtual ~Component() = default;
    // False when it could not start; it reports its own problem.
    virtual bool start() = 0;
    virtual void stop() = 0;
};

// What a factory made: the port the assembly drives and, when it is the
// real component, the same object by its own type, which the assembly also
// starts, wires and stops. A stand-in (a recorder, a logger) leaves `real`
// null. The type is known where the object is made, so nothing has to find
// it again at run time.
template <typename Port, typename Real = Port> struct Made {
    std::unique_ptr<Port> port;
    Real* real = nullptr;

    Made() = default;
    Made(std::nullptr_t) {}
    template <typename T> Made(std::unique_ptr<T> made)
    {
        if constexpr (std::is_convertible_v<T*, Real*>)
            real = made.get();
        port = std::move(made);
    }
};

template <typename Port, typename Real = Port>
using ComponentFactory = std::function<Made<Port, Real>(const ComponentContext&)>;

using SoundFactory = ComponentFactory<SoundPort, devices::SoundEngine>;
using ExtendedFactory = ComponentFactory<ExtendedPort, devices::ExtendedInterface>;
using SpeechFactory = ComponentFactory<Component, SpeechComponent>;

// A null factory leaves the component out.
struct AssemblyFactories {
    SoundFactory sound;
    ExtendedFactory extended;
    SpeechFactory speech;
};

// Dialogs of the window; null: every edit and file choice is declined and
// no calibration run can be started.
struct AssemblyDialogs {
    CommandEditor* commandEditor = nullptr;
    ProgramFileChooser* fileChooser = nullptr;
    vision::CalibrationProgress* calibrationProgress = nullptr;
};

// Hooks of whoever shows Vardo. Each may be empty. All run on the
// frontend's thread except frame, which runs on the streaming thread.
struct AssemblyHooks {
    // Every frame after detection; analysed: detection ran on it.
    std::function<void(std::span<const uint8_t> frame, int width, int height, bool analysed)> frame;
    // The view's mode as detection needs it; live display when absent.
    std::function<vision::DisplayMode()> displayMode;
    std::function<vision::DisplaySubMode()> displaySubMode;
    // The simulation started: the window shows the layout with the figures.
    std::function<void()> simulationStarted;
    // The video source asks for the live display, or an empty view.
    std::function<void(bool centroid)> showLive;
    std::function<void()> showEmpty;
    // Something a menu depends on changed.
    std::function<void()> stateChanged;
    // A turntable command turned the bridge (the window redraws it).
    std::function<void(int track, bool reversed)> turntableTurned;
    // Each message the extended interface writes (hex packets or text);
    // called on the writing thread.
    std::function<void(const std::string&)> extendedTraffic;
};

// What the outside-program interface needs of whoever shows Vardo. Both
// run on the interface's polling thread; each may be empty.
struct AssemblySdkHooks {
    // The clipboard's text (the window), or the text given on the command
    // line; false when there is none.
    std::function<bool(std::string& text)> clipboardText;
    // Draws the view into an outside program's window (an X11 window id);
    // 0 releases it and shows the main window again.
    std::function<void(std::uint32_t window)> attachWindow;
};

struct AssemblyParts {
    // Null: no picture source at all, Vardo runs in simulation.
    std::unique_ptr<vision::VideoBackend> videoBackend;
    // -i: the video file; empty for the chosen camera.
    std::string videoPath;
    // Replaces the calibration file of the settings when not empty.
    std::string calibrationPath;
    // Loaded instead of the last program when not empty.
    std::string programPath;
    AssemblyDialogs dialogs;
    OperationObserver* observer = nullptr;
    AssemblyHooks hooks;
    AssemblyFactories factories;
    AssemblySdkHooks sdk;
};

} // namespace vardo
