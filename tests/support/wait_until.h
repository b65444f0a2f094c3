#pragma once
// Waits for something another thread or process makes true. Tests wait on
// the event they expect rather than sleeping for a guessed time: a positive
// wait ends as soon as the event happens, and the limit is generous enough
// for a loaded machine, so only a real fault makes it run out.
#include <chrono>
#include <thread>

namespace vardo::testing {

inline constexpr std::chrono::milliseconds kEventLimit{20000};

// True as soon as done() is; false when the limit ran out first.
template <class Predicate>
bool waitUntil(Predicate done, std::chrono::milliseconds limit = kEventLimit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Milliseconds gone since `start`.
inline long msSince(std::chrono::steady_clock::time_point start)
{
    return long(std::chrono::duration_cast<std::chrono::milliseconds>(
                    std::chrono::steady_clock::now() - start)
                    .count());
}

} // namespace vardo::testing
