#pragma once
// What automatic operation asks of the parts around it: the relay board,
// sound, the extended interface and the outside-program interface. Each is
// an abstract class that its own component implements; the headless runner
// uses versions that only report what was asked.
#include <string>

namespace vardo {

// The USB I/O controller as the controller actions reach it.
class ControllerDevices {
public:
    virtual ~ControllerDevices() = default;
    virtual bool connected() const = 0;
    // Hands a controller action (0..12) to the board; false on lost contact.
    virtual bool sendAction(int code) = 0;
    // Option relay 7..10 on or off.
    virtual bool setRelay(int relay, bool on) = 0;
    // Whether point output k still pulses from its last switch.
    virtual bool pointBusy(int k) const = 0;
};

// Numbered sounds (playback of the files listed in option.ini).
class SoundPort {
public:
    virtual ~SoundPort() = default;
    // 0, or a negative error when the sound cannot be made ready.
    virtual int prepareSound(int number) = 0;
    virtual int playSound(int number, bool loop) = 0;
    virtual void stopSound(int number) = 0;
    virtual void stopAllSounds() = 0;
};

// The extended interface board: sensor waits, the speed output and the
// turntable.
class ExtendedPort {
public:
    virtual ~ExtendedPort() = default;
    virtual bool isOpen() const = 0;
    // The board's speed output or a speed servo drives the train speed.
    virtual bool drivesSpeed() const = 0;
    // Sends the present speed; direction +1 forward, -1 backward, 0 stopped.
    virtual void setSpeed(double fraction, int direction) = 0;
    // Asks the board to watch a sensor; false when it cannot be asked.
    virtual bool beginSensorWait(int sensor, int timeoutSeconds) = 0;
    // Polled every 100 ms after beginSensorWait: whether "OK" came.
    virtual bool sensorAnswered() = 0;
    // Turns the bridge to track 1..5, reversed or not. Arrival is reported
    // back through Operation::onTurntableArrived.
    virtual void turnTable(int track, bool reversed) = 0;
};

// The outside-program interface's status and position records.
class StatusPublisher {
public:
    virtual ~StatusPublisher() = default;
    virtual bool isOpen() const = 0;
    virtual void publishStatus(int controllerState) = 0;
    virtual void publishPosition(int x, int y, int laps, int angle) = 0;
};

// Everything operation does, for a trace (the runner prints it, tests
// assert on it). Called on whichever thread did the thing.
class OperationObserver {
public:
    virtual ~OperationObserver() = default;
    virtual void commandExecuted(int /*index*/, int /*kind*/, int /*option*/, int /*value1*/,
                                 int /*value2*/)
    {
    }
    virtual void actionPerformed(int /*code*/, bool /*sent*/) {}
    virtual void relaySet(int /*relay*/, bool /*on*/, bool /*sent*/) {}
    virtual void soundCalled(const char* /*call*/, int /*number*/, bool /*loop*/) {}
    virtual void positionChanged(int /*x*/, int /*y*/, int /*nearest*/, int /*laps*/) {}
    virtual void speedChanged(double /*fraction*/) {}
    virtual void controlPointFired(int /*index*/) {}
};

} // namespace vardo
