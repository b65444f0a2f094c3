#pragma once
// Vardo's four record sets of the outside-program interface: created at
// start, closed at stop. Every access takes the set's mutex for a short
// while, so that a reader never sees half a record; when an outside program
// holds it longer, the access is skipped and the next one follows.
#include <atomic>
#include <cstdint>

namespace vardo::devices {

struct SdkCommand {
    int code = 0;
    int value = 0;
};

class SdkRecords {
public:
    explicit SdkRecords(int lockMs) : lockMs_(lockMs) {}
    ~SdkRecords() { close(); }
    SdkRecords(const SdkRecords&) = delete;
    SdkRecords& operator=(const SdkRecords&) = delete;

    // registryInit and the four sets; false (nothing left open) on failure.
    bool open();
    void close();
    bool isOpen() const { return command_.load() >= 0; }

    // Takes a new command (flag 1 becomes 2); false when there is none.
    bool takeCommand(SdkCommand& command);
    // Writes the record with flag 1; values are stored as 16 bits.
    bool writePosition(int x, int y, int laps, int angle);
    bool writeStatus(int state);

private:
    int lockMs_;
    std::atomic<std::int16_t> command_{-1};
    std::atomic<std::int16_t> position_{-1};
    std::atomic<std::int16_t> status_{-1};
    std::atomic<std::int16_t> ball_{-1};
};

// Saturates to the 16 bits of a record field.
std::int16_t toRecordValue(int value);

} // namespace vardo::devices
