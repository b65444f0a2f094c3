#pragma once
// What the outside-program interface needs of the rest of Vardo. The
// application's assembly implements it; the interface calls it on its
// polling thread.
#include <cstdint>
#include <string>

namespace vardo::devices {

class SdkHost {
public:
    virtual ~SdkHost() = default;

    // A message of the string table (the interface uses 188, 190 and 216).
    virtual void showMessage(int messageId) = 0;
    virtual void setCaption(const std::string& text) = 0;

    // ---- state
    virtual bool isCalibrated() const = 0;
    virtual bool isSimulation() const = 0;
    // The USB I/O controller is connected.
    virtual bool controllerConnected() const = 0;
    // Commands of the loaded program, the start command included.
    virtual int programCommandCount() const = 0;
    // ControllerState bits: running 2, backward 4, point1..4 8..64, lamp 128.
    virtual int controllerState() const = 0;
    // Point `point` (1-based) is coupled with the next one.
    virtual bool pointCoupledWithNext(int point) const = 0;

    // ---- acting on the layout
    // performAction of the control loop: send = false changes the panel and
    // the layout model only.
    virtual void performAction(int code, bool send) = 0;
    virtual void playSound(int number, bool repeat) = 0;
    virtual void prepareSound(int number) = 0;
    virtual void stopSound(int number) = 0;
    virtual void stopAllSounds() = 0;
    // Option relay on or off (the relay operation of the USB I/O controller).
    virtual void setRelay(int relay, bool on) = 0;
    // Speed change to percent / 100 over fadeSeconds (0: at once).
    virtual void changeSpeed(int percent, int fadeSeconds) = 0;
    // Turns to track 1..5 with the bridge reversed or not (turning it
    // through 180 degrees first when its present orientation differs);
    // returns when the turn was started or done, as the host does it.
    virtual void turnTurntable(int track, bool reversed) = 0;
    // The sensor wait of the control loop; blocks until it ends.
    virtual void waitForSensor(int sensor, int timeoutSeconds) = 0;

    // ---- operation
    // The window's clipboard text, or vardo-run's --clipboard text; false
    // when there is none to read.
    virtual bool clipboardText(std::string& text) = 0;
    // Sets the automatic-operation lamp, loads the program file, clears the
    // modified flag, redraws and starts automatic operation. A file that
    // cannot be loaded is reported by the loader's own message.
    virtual void runProgramFile(const std::string& path) = 0;
    // The operating flag without a program (position waits and events run).
    virtual void setOperating(bool on) = 0;
    virtual void startOperation() = 0;
    virtual void stopOperation() = 0;

    // ---- display
    // Draws the view into the outside program's window (an X11 window id);
    // 0 releases an attached window and shows the main window again.
    virtual void attachWindow(std::uint32_t window) = 0;

    // ---- the polling thread
    // On the polling thread, before its first poll.
    virtual void pollingBegins() {}
    // On the stopping thread, before the poller is joined: whatever the
    // poller waits for on other threads must end now, or the stop would
    // wait for a window that is itself waiting for the stop.
    virtual void pollingEnds() {}
};

} // namespace vardo::devices
