#pragma once
// The extended interface: a board on a serial port with serial-bus servos
// on the same line. Servos take over the train direction or speed lever,
// points 1..3, the turntable rotation and the turntable power; the board
// itself drives a speed output ("PCP") and waits for sensors ("PCS").
//
// Threads: the window thread (dialog, panel, timers), the control loop and
// the control-point watcher all call in. Each message goes out whole under
// the line's lock; the busy bits keep a torque-off timer from cutting a
// newer move of the same servo.
#include "vardo/base/frontend.h"
#include "vardo/base/operation_seams.h"
#include "vardo/base/settings.h"
#include "vardo/devices/extended_line.h"
#include "vardo/devices/extended_settings.h"
#include "vardo/devices/link_reconnector.h"
#include "vardo/devices/servo_packet.h"
#include "vardo/devices/usb_controller.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace vardo::devices {

// Pauses of the protocol; tests shorten them.
struct ExtendedTiming {
    int torqueSettleMs = 100;    // torque on -> goal position
    int torqueOffMs = 1000;      // a servo move's torque-off timer
    int sensorPollMs = 100;      // one look for the sensor's "OK"
    int speedOutputOpenMs = 200; // the board settles before its first speed command
    ReconnectDelays reconnect;   // background reconnection ([USB] AUTO_RECONNECT)
};

// What the interface needs from the rest of the program. Every member may
// stay empty.
struct ExtendedHooks {
    std::function<int()> controllerState;   // ControllerState bits
    std::function<double()> presentSpeed;   // 0..1
    std::function<void()> endSpeedFade;     // action 0 ends a running fade
    std::function<bool()> operationRunning; // automatic operation runs
    std::function<void()> turntableArrived; // wakes the control loop
    std::function<void(int)> performAction; // restart after a turn
    std::function<void(int)> routeAction;   // an action through the relay board's routing
    std::function<int(int)> sensorRatio;    // of sensor index; 75 when none
    // Each message written: packets as hex bytes, texts without their end.
    std::function<void(const std::string&)> traffic;
};

class ExtendedInterface : public ExtendedPort, public ActionRouter {
public:
    static constexpr int kFirstTimer = 102; // + servo ID
    static constexpr int kDefaultSensorRatio = 75;
    static constexpr int kStartPosition = 1500;

    ExtendedInterface(Frontend& frontend, PortOpener& opener, Settings settings,
                      ExtendedTiming timing = {});
    ~ExtendedInterface() override;
    ExtendedInterface(const ExtendedInterface&) = delete;
    ExtendedInterface& operator=(const ExtendedInterface&) = delete;

    void setHooks(ExtendedHooks hooks);
    // The relay board whose port is shared when both use one COM number.
    void setUsb(UsbController* usb) { usb_ = usb; }

    // Reads the settings and opens the line; message 221 and false when the
    // port cannot be opened. True without a line when COM_NO is 0.
    bool initExtendedInterface();
    void closeExtendedInterface();

    // ExtendedPort and ActionRouter
    bool isOpen() const override;
    bool drivesSpeed() const override;
    void setSpeed(double fraction, int direction) override;
    bool beginSensorWait(int sensor, int timeoutSeconds) override;
    bool sensorAnswered() override;
    void turnTable(int track, bool reversed) override;
    bool takeAction(int code, const std::string& command) override;
    // Its own line failed and the reconnection after it too, or with
    // AUTO_RECONNECT its port would not open at start-up; cleared when a
    // later reconnection works.
    bool linkLost() const override { return lost_; }

    // A controller action on its servo (codes 0..10).
    void servoAction(int code);
    // Blocking sensor wait: true when "OK" came in time.
    bool waitSensor(int index, int timeoutSeconds);
    // Window timers 102 + ID; false for other ids.
    bool onTimer(int timerId);

    // The turntable actions of the controller: flip the orientation, or
    // select track 1..5 in the present orientation.
    void reverseTurntable();
    void selectTrack(int track);
    // Turns to an angle in 0.1 degree with the given settings' speed.
    void turnTo(int position);
    int turntablePosition() const { return position_; }
    // Bit 0 reversed, bit n track n.
    int turntableState() const { return tableState_; }
    // 0 none, 1 turning, 2 / 3 restart forward / backward after the turn.
    int autoStopLatch() const { return latch_; }
    void setAutoStopLatch(int latch) { latch_ = latch; }

    // Live tuning and maintenance of the settings dialog.
    void moveServo(int id, int angle);
    void sendPacket(const ServoPacket& packet);
    void changeServoId(int newId);
    void factoryReset();

    ServoSettings settings() const;
    // The dialog's values take effect at once (live tuning).
    void useSettings(const ServoSettings& s);
    const Settings& iniSettings() const { return ini_; }

private:
    std::shared_ptr<ExtendedLine> line() const;
    bool writeText(const std::string& text);
    // Writes one message; a failed write on its own line reopens the port
    // once and writes again.
    bool deliver(const std::string& bytes);
    bool reopenLine(const std::shared_ptr<ExtendedLine>& failed);
    // The board's own port; null when it cannot be opened.
    std::shared_ptr<ExtendedLine> openOwnLine(const ServoSettings& s);
    // The first line of a board that was missing at start-up.
    bool openAbsentLine();
    bool backgroundAttempt();
    void speedOutput(double fraction, int direction);
    int actionAngle(int code, const ServoSettings& s, int& setting) const;
    void setBusy(int id, bool busy);
    bool busy(int id) const;
    void sendStartActions(const ServoSettings& s);
    void onTurnWithoutServo(const ServoSettings& s);
    void wait(int ms) const;

    Frontend& frontend_;
    PortOpener& opener_;
    const Settings ini_;
    const ExtendedTiming timing_;
    std::atomic<UsbController*> usb_{nullptr};

    mutable std::mutex mutex_; // settings_, line_, hooks_
    ServoSettings settings_;
    std::shared_ptr<ExtendedLine> line_;
    ExtendedHooks hooks_;

    std::mutex sensorMutex_;
    std::string sensorReply_;

    std::atomic<int> busyBits_{0};
    std::atomic<int> position_{kStartPosition};
    std::atomic<int> tableState_{0};
    std::atomic<int> latch_{0};

    std::mutex reopenMutex_; // one reopening at a time
    std::atomic<bool> lost_{false};
    std::atomic<bool> autoReconnect_{false};
    // Last member: its worker uses the others and is stopped first.
    LinkReconnector reconnector_;
};

} // namespace vardo::devices
