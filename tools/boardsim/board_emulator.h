#pragma once
// An emulated relay board on a pseudo-terminal: answers "OK" to every
// command that ends in a carriage return, keeps the state of relays 1..10,
// and records each command with its time. It can fall silent or hang up
// after a number of commands, to exercise the controller's recovery, and
// come back later at the same path, as a board whose cable is plugged in
// again (its relays all off, as after a restart).
#include "servo_bus.h"

#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace boardsim {

constexpr int kRelayCount = 10;

struct Options {
    bool echo = false;     // two bytes of the command before "OK"
    int silentAfter = -1;  // answer no command after this many (-1: always answer)
    // Close the line after this many messages (relay commands, and with
    // the servo side also packets and texts); -1: never.
    int dropAfter = -1;
    // After a drop, a new line this many ms later (-1: never); only once.
    int returnAfterMs = -1;
    // A symbolic link to the line, removed while it is dropped: the stable
    // device name a serial adapter would have.
    std::string linkPath;
    bool json = false;     // log lines as JSON objects
    std::string relayId = "0123456789"; // character naming relay n is relayId[n - 1]
    // The extended interface too: servo packets and the "PCP"/"PCS" texts.
    bool servo = false;
    int sensorAfterMs = 0;   // "OK" this long after a sensor wait
    bool sensorNever = false; // no sensor ever fires
};

// Parses the options of the command line; false with a message on a bad one.
bool parseOptions(int argc, char** argv, Options& options, std::string& error);

struct CommandRecord {
    std::chrono::steady_clock::time_point time;
    long tMs = 0;             // milliseconds since the board started
    std::string command;      // without the carriage return
    std::array<bool, kRelayCount> relays{};
    int pulseRelay = 0;       // 1..10 for a pulse command, else 0
    int pulseTenths = 0;
    bool answered = false;
};

// One log line of a command record (no newline).
std::string formatRecord(const CommandRecord& record, bool json);

class BoardEmulator {
public:
    explicit BoardEmulator(Options options);
    ~BoardEmulator();
    BoardEmulator(const BoardEmulator&) = delete;
    BoardEmulator& operator=(const BoardEmulator&) = delete;

    // Creates the pseudo-terminal; false when the system refuses one.
    bool open();
    // Where to connect: the link when one is asked for, else the line.
    const std::string& devicePath() const { return path_; }

    // Serves commands on a thread of its own, or on the caller's thread
    // until stop is requested or the line is dropped.
    bool start();
    void serve();
    // Safe from a signal handler.
    void requestStop();
    void stop();

    // Called with each log line (from the serving thread).
    void setLogSink(std::function<void(const std::string&)> sink) { sink_ = std::move(sink); }

    std::vector<CommandRecord> commands() const;
    std::array<bool, kRelayCount> relays() const;
    int commandCount() const;
    bool dropped() const { return dropped_; }
    // Lines opened again after a drop.
    int returns() const { return returns_; }
    // What the extended interface side received, and each servo's state.
    std::vector<ServoRecord> servoRecords() const;
    ServoState servo(int id) const;

    // Closes the line now, as an unplugged board would.
    void dropLine();

private:
    void handleBytes(const char* data, size_t size);
    void handleCommand(const std::string& command);
    void handleServoByte(char c);
    void handleServoText(const std::string& text);
    void addServoRecord(ServoRecord record);
    int pollTimeoutMs() const;
    void answerSensorWhenDue();
    long sinceStartMs() const;
    void apply(const std::string& command, CommandRecord& record);
    int relayOf(char c) const;
    void closeLine();
    bool openLine();
    void serveLine();
    void countMessage();
    bool waitForReturn();
    void logEvent(const char* event);

    Options options_;
    int master_ = -1;
    int slave_ = -1;  // held open so the line never hangs up between clients
    // The far ends of pulled lines, held until the board goes: while one is
    // open the terminal number stays taken, so a program reopening the old
    // name finds nothing instead of another board that got the number.
    std::vector<int> pulledSlaves_;
    int wake_[2] = {-1, -1};
    std::string path_;
    int messages_ = 0; // serving thread only
    std::string pending_;
    const std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    mutable std::mutex mutex_;
    std::vector<CommandRecord> records_;
    std::vector<ServoRecord> servoRecords_;
    std::array<ServoState, kServoIds> servos_{};
    std::string packet_; // a servo packet being received
    std::optional<std::chrono::steady_clock::time_point> sensorDue_; // serving thread only
    std::array<bool, kRelayCount> relays_{};
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> dropped_{false};
    std::atomic<bool> cablePulled_{false};
    std::atomic<int> returns_{0};
    std::atomic<bool> dropRequested_{false};
    std::atomic<bool> serving_{false};
    std::function<void(const std::string&)> sink_;
    std::thread thread_;
};

} // namespace boardsim
