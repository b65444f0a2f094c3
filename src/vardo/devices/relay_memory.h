#pragma once
// The relay states the relay board is meant to hold: the direction pair and
// every relay switched on or off by name. A board whose link was lost may
// have restarted, or missed what changed while it was away; once it answers
// again these are sent anew so its relays match what the panel shows.
// Pulses are no state and are not kept.
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace vardo::devices {

class RelayMemory {
public:
    // The direction pair's command; empty when the relays do not hold the
    // direction (the pulse-width driver owns them then).
    void setDirection(std::string command);
    void setRelay(char relay, bool on);
    void clear();
    // The commands that bring a board to the kept state: the direction
    // first, then each relay in the order it was first switched.
    std::vector<std::string> commands() const;

private:
    mutable std::mutex mutex_;
    std::string direction_;
    std::vector<std::pair<char, bool>> relays_;
};

} // namespace vardo::devices
