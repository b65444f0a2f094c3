#include "vardo/devices/relay_memory.h"

#include "vardo/devices/usb_commands.h"

#include <algorithm>

namespace vardo::devices {

void RelayMemory::setDirection(std::string command)
{
    std::lock_guard lock(mutex_);
    direction_ = std::move(command);
}

void RelayMemory::setRelay(char relay, bool on)
{
    std::lock_guard lock(mutex_);
    auto kept = std::find_if(relays_.begin(), relays_.end(),
                             [relay](const auto& r) { return r.first == relay; });
    if (kept != relays_.end())
        kept->second = on;
    else
        relays_.emplace_back(relay, on);
}

void RelayMemory::clear()
{
    std::lock_guard lock(mutex_);
    direction_.clear();
    relays_.clear();
}

std::vector<std::string> RelayMemory::commands() const
{
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    if (!direction_.empty())
        out.push_back(direction_);
    for (const auto& [relay, on] : relays_)
        out.push_back(relayCommand(relay, on));
    return out;
}

} // namespace vardo::devices
