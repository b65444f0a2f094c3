#pragma once
// An in-memory relay board behind the ByteStream interface, for protocol
// tests that need exact control: silence, delays, vanished lines, and a
// count of every read the protocol makes.
#include "vardo/devices/byte_stream.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vardo::testing {

struct MemoryBoard {
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::string> commands; // complete commands, with their '\r'
    std::string partial;
    std::string input;                 // bytes waiting for the protocol
    // Answer to a command; the default is "OK".
    std::function<std::string(const std::string&)> answer = [](const std::string&) {
        return std::string("OK");
    };
    int replyDelayMs = 0;  // answers become readable this long after the command
    int pieceDelayMs = 0;  // when set, each byte of an answer comes this much later
    std::vector<std::pair<std::chrono::steady_clock::time_point, std::string>> scheduled;
    bool gone = false;     // the line has vanished
    bool openable = true;
    int opens = 0;
    int reads = 0;         // readBytes and bytesWaiting calls
    std::vector<int> openedNumbers;
    std::vector<int> openedBauds;

    std::vector<std::string> sent()
    {
        std::lock_guard lock(mutex);
        return commands;
    }
    int readCalls()
    {
        std::lock_guard lock(mutex);
        return reads;
    }
};

class MemoryStream : public devices::ByteStream {
public:
    explicit MemoryStream(std::shared_ptr<MemoryBoard> board) : board_(std::move(board)) {}

    int bytesWaiting() override
    {
        std::lock_guard lock(board_->mutex);
        release();
        ++board_->reads;
        return board_->gone ? -1 : static_cast<int>(board_->input.size());
    }
    int readBytes(void* buffer, int n) override
    {
        std::lock_guard lock(board_->mutex);
        release();
        ++board_->reads;
        int count = std::min<int>(n, static_cast<int>(board_->input.size()));
        board_->input.copy(static_cast<char*>(buffer), static_cast<size_t>(count));
        board_->input.erase(0, static_cast<size_t>(count));
        return count;
    }
    int writeBytes(const void* buffer, int n) override
    {
        std::string command;
        {
            std::lock_guard lock(board_->mutex);
            if (board_->gone)
                return 0;
            board_->partial.append(static_cast<const char*>(buffer), static_cast<size_t>(n));
            if (board_->partial.empty() || board_->partial.back() != '\r')
                return n;
            command = board_->partial;
            board_->commands.push_back(command);
            board_->partial.clear();
        }
        std::string answer = board_->answer(command);
        {
            std::lock_guard lock(board_->mutex);
            auto due = std::chrono::steady_clock::now() +
                       std::chrono::milliseconds(board_->replyDelayMs);
            if (board_->pieceDelayMs <= 0) {
                board_->scheduled.emplace_back(due, answer);
            } else {
                for (char c : answer) {
                    due += std::chrono::milliseconds(board_->pieceDelayMs);
                    board_->scheduled.emplace_back(due, std::string(1, c));
                }
            }
        }
        board_->arrived.notify_all();
        return n;
    }
    void waitReadable(int timeoutMs) override
    {
        std::unique_lock lock(board_->mutex);
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        if (!board_->scheduled.empty())
            until = std::min(until, board_->scheduled.front().first);
        if (board_->gone || !board_->input.empty())
            return;
        board_->arrived.wait_until(lock, until);
    }
    void setRts(bool) override {}
    void setDtr(bool) override {}

private:
    // Answers whose time has come become readable (board mutex held).
    void release()
    {
        auto now = std::chrono::steady_clock::now();
        auto& pending = board_->scheduled;
        while (!pending.empty() && pending.front().first <= now) {
            board_->input += pending.front().second;
            pending.erase(pending.begin());
        }
    }

    std::shared_ptr<MemoryBoard> board_;
};

class MemoryOpener : public devices::PortOpener {
public:
    explicit MemoryOpener(std::shared_ptr<MemoryBoard> board) : board_(std::move(board)) {}
    std::unique_ptr<devices::ByteStream> openPort(int number, int baudRate) override
    {
        std::lock_guard lock(board_->mutex);
        board_->openedNumbers.push_back(number);
        board_->openedBauds.push_back(baudRate);
        if (!board_->openable)
            return nullptr;
        ++board_->opens;
        board_->gone = false;
        return std::make_unique<MemoryStream>(board_);
    }

private:
    std::shared_ptr<MemoryBoard> board_;
};

} // namespace vardo::testing
