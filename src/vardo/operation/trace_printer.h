#pragma once
// The trace of a headless run: every command executed, every controller
// action, every device command written, every sound call, the train
// position (at most ten times a second), messages and the end, as text
// lines or as one JSON object per line with a `type` and a millisecond `t`.
#include "vardo/base/operation_seams.h"

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>

namespace vardo {

class TracePrinter : public OperationObserver {
public:
    static constexpr int kPositionIntervalMs = 100;

    TracePrinter(std::FILE* out, bool json);

    void commandExecuted(int index, int kind, int option, int value1, int value2) override;
    void actionPerformed(int code, bool sent) override;
    void soundCalled(const char* call, int number, bool loop) override;
    void positionChanged(int x, int y, int nearest, int laps) override;

    // port: "usb" or "ext"; text: the bytes written.
    void device(const std::string& port, const std::string& text);
    void message(const std::string& text);
    // A spoken phrase and the command index it ran (-1: none).
    void speech(const std::string& phrase, int command);
    void end(const std::string& reason);

    // Control characters as JSON writes them ("\r", "\u0001").
    static std::string escaped(const std::string& text);

private:
    int64_t elapsedMs() const;
    void writeLine(const std::string& line);

    std::FILE* out_;
    const bool json_;
    const std::chrono::steady_clock::time_point start_;
    std::mutex mutex_;
    int64_t lastPositionMs_ = -1000000;
};

} // namespace vardo
