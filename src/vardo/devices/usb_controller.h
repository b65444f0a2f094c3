#pragma once
// The USB I/O controller: a relay board on a serial port that takes short
// ASCII commands and answers "OK". Turns controller actions (codes 0..12)
// and option-relay requests into commands, reconnects after silence, and
// drives the train speed by pulse-width modulation when configured.
//
// The port is shared by the window thread, the control loop and the PWM
// worker: every write together with the wait for its answer holds one
// lock, so no thread can take another's "OK".
#include "vardo/base/frontend.h"
#include "vardo/devices/byte_stream.h"
#include "vardo/devices/link_reconnector.h"
#include "vardo/devices/pwm_driver.h"
#include "vardo/devices/relay_memory.h"
#include "vardo/devices/usb_log.h"
#include "vardo/devices/usb_settings.h"

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vardo::devices {

// What the controller needs to know of the layout; the layout model fills it.
struct UsbLayoutInfo {
    static constexpr int kMaxPoints = UsbSettings::kMaxPoints;
    int pointCount = 0;
    // Point k is coupled with point k + 1 (the linked flag of its record).
    std::array<bool, kMaxPoints> coupledWithNext{};
    // Point number k + 1 drives a crossing barrier (pulse of CROSS_TIME).
    std::array<bool, kMaxPoints> drivesBarrier{};
};

// Hands actions to the extended interface where one of its servos or its
// port is configured for them.
class ActionRouter {
public:
    virtual ~ActionRouter() = default;
    virtual bool isOpen() const = 0;
    // True when the extended interface took the action, so nothing is sent
    // to the relay board.
    virtual bool takeAction(int code, const std::string& command) = 0;
    // True while its line is lost (a taken action then did not arrive).
    virtual bool linkLost() const { return false; }
};

// Reply polling and worker pauses. The defaults are the board's; tests
// shorten them.
struct UsbTiming {
    int pollMs = 100;        // one reply or busy-flag poll
    int polls = 50;          // polls before giving up (5 s)
    int busyTimerMs = 1000;  // a point output stays busy after a pulse
    int pwmRestartMs = 500;  // pause before the driver changes direction
    ReconnectDelays reconnect; // background reconnection ([USB] AUTO_RECONNECT)
};

class UsbController {
public:
    static constexpr int kFirstOptionRelay = 7;
    static constexpr int kLastOptionRelay = 10;

    UsbController(Frontend& frontend, PortOpener& opener, std::string optionIni,
                  std::string programFolder, UsbTiming timing = {});
    ~UsbController();
    UsbController(const UsbController&) = delete;
    UsbController& operator=(const UsbController&) = delete;

    void setLayout(const UsbLayoutInfo& layout);
    void setSkin(int skin) { skin_ = skin; }
    void setRouter(ActionRouter* router) { router_ = router; }
    // The shared present speed and the fade step of the control loop;
    // without a source the speed set here is used.
    void setSpeedSource(std::function<double()> source);
    void setFadeStep(std::function<void()> step);
    void setSpeed(double fraction) { speed_ = fraction; }
    // Called with every command written to the board, on the writing thread.
    void setTrafficObserver(std::function<void(const std::string&)> observer);

    // The parameter dialog's OK, in force at once. Turning pulse-width
    // control off while it drives the train hands the run to the relays.
    void setPwmControl(bool on);
    void setCrossTime(int tenths);

    bool initController();
    bool sendAction(int code);
    bool setRelay(int relay, bool on);
    void shutdownController();
    // Reopens the port and, when the board answers, sends the relay states
    // in force again.
    bool reconnect();
    // Window timer expiry: ids 1..8 clear the busy flag of point output
    // id - 1 and kill the timer. False for any other id.
    bool onTimer(int timerId);
    // The COM choice of the parameter dialog: writes COM_NO, shuts a
    // connected board down and starts the new one. Returns the number
    // written (0 when the user declined to share with the extended
    // interface).
    int selectComPort(int number, bool extendedConnected);

    bool connected() const { return connected_; }

    // The port as the extended interface shares it when both boards are
    // set to one COM number. Each call holds the port lock, so a shared
    // write never falls between a command and its answer's wait, and never
    // interleaves with this controller's bytes.
    int openComNumber() const { return connected_ ? settings().comNo : 0; }
    bool writeShared(const void* data, int n);
    int sharedBytesWaiting();
    int readShared(void* buffer, int n);
    bool reconnecting() const { return reconnecting_; }
    // The board stopped answering and the reconnection after it failed, or
    // with AUTO_RECONNECT its port would not open at start-up; cleared when
    // a later reconnection works.
    bool linkLost() const { return lost_; }
    bool reconnectingInBackground() const { return reconnector_.active(); }
    bool pwmActive() const { return pwm_.active(); }
    int pwmDirection() const { return pwm_.direction(); }
    bool pointBusy(int k) const { return busy_[static_cast<size_t>(k)]; }
    // Bit n - 7 set while option relay n is on.
    int optionRelayBits() const { return optionBits_; }
    UsbSettings settings() const;
    const std::string& logPath() const { return log_.path(); }

private:
    enum class Reply { Ok, Silent };

    void loadSettings();
    void waitWhileReconnecting() const;
    bool waitBusyClear(int k) const;
    bool openStream();
    void closeStream();
    // Log, write and, when answers are awaited, wait for one; on silence
    // reconnect once and send again.
    bool sendCommand(const std::string& command);
    Reply exchange(const std::string& command);
    bool sendCommandLocked(const std::string& command);
    Reply exchangeLocked(const std::string& command);
    Reply awaitReply();
    void discardInput();
    void writePulse(const std::string& command);
    bool writeLocked(const std::string& command);
    bool reconnectLocked();
    // Sends the kept relay states to a board that answers again; returns
    // the commands it confirmed.
    std::vector<std::string> restoreLocked();
    void rememberAction(int code, int skin, const UsbSettings& s, const std::string& command);
    // The port would not open at start-up: the background looks for the
    // board from then on.
    void seekAbsentBoard(const UsbSettings& s);
    // The one reconnection after a silent command failed.
    void lineLost();
    bool backgroundAttempt();
    void sendStartPulses();
    double presentSpeed();
    void fadeStep();
    bool routerOpen() const;

    Frontend& frontend_;
    PortOpener& opener_;
    const std::string optionIni_;
    const std::string programFolder_;
    const UsbTiming timing_;

    mutable std::mutex settingsMutex_;
    UsbSettings settings_;
    UsbLayoutInfo layout_;

    std::mutex portMutex_; // the stream and every exchange on it
    std::unique_ptr<ByteStream> stream_;
    std::function<void(const std::string&)> observer_; // guarded by portMutex_
    std::atomic<bool> connected_{false};
    std::atomic<bool> reconnecting_{false};
    std::atomic<bool> lost_{false};
    std::atomic<bool> waitResponse_{true};
    std::array<std::atomic<bool>, UsbSettings::kMaxPoints> busy_{};
    std::atomic<int> optionBits_{0};
    RelayMemory relays_;
    std::atomic<int> skin_{0};
    std::atomic<ActionRouter*> router_{nullptr};
    std::atomic<double> speed_{0.0};
    std::mutex hookMutex_; // the two functions below
    std::function<double()> speedSource_;
    std::function<void()> fadeStep_;
    UsbLog log_;
    PwmDriver pwm_;
    // Last member: its worker uses the others and is stopped first.
    LinkReconnector reconnector_;
};

} // namespace vardo::devices
