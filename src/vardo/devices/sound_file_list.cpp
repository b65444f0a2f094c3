#include "vardo/devices/sound_file_list.h"

#include "common/string_table.h"
#include "vardo/devices/sound_table.h"

#include <algorithm>

namespace vardo::devices {

SoundFileList::SoundFileList(int capacity, Unload unload)
    : slots_(size_t(std::clamp(capacity, 1, kMaxSounds))), unload_(std::move(unload))
{
}

void SoundFileList::load(const Settings& settings)
{
    std::fill(slots_.begin(), slots_.end(), std::string());
    size_ = 0;
    while (size_ < capacity()) {
        std::string value = settings.soundFile(size_ + 1);
        if (value.empty())
            break;
        slots_[size_t(size_++)] = std::move(value);
    }
}

int SoundFileList::save(const Settings& settings) const
{
    for (int k = 1; k <= capacity(); ++k) {
        const std::string& value = slots_[size_t(k - 1)];
        if (!value.empty() || !settings.soundFile(k).empty())
            settings.setSoundFile(k, value);
    }
    return size_;
}

std::string SoundFileList::label(int index) const
{
    if (!valid(index))
        return {};
    return std::to_string(index + 1) + ":" + soundFileName(value(index));
}

int SoundFileList::addRefusal() const
{
    if (size_ < capacity())
        return 0;
    return capacity() > 1023 ? common::msg::SoundCapacityFull : common::msg::SoundRestartNeeded;
}

int SoundFileList::add(const std::string& path)
{
    if (path.empty() || addRefusal() != 0)
        return -1;
    slots_[size_t(size_)] = path;
    unload(size_); // a number that held an older file loads the new one
    return size_++;
}

bool SoundFileList::remove(int index)
{
    if (!valid(index))
        return false;
    for (int i = index; i + 1 < size_; ++i) {
        slots_[size_t(i)] = std::move(slots_[size_t(i + 1)]);
        unload(i);
    }
    slots_[size_t(--size_)].clear();
    unload(size_);
    return true;
}

int SoundFileList::moveUp(int index)
{
    if (!valid(index) || index == 0)
        return -1;
    swap(index, index - 1);
    return index - 1;
}

int SoundFileList::moveDown(int index)
{
    if (!valid(index) || index + 1 >= size_)
        return -1;
    swap(index, index + 1);
    return index + 1;
}

void SoundFileList::swap(int a, int b)
{
    unload(a);
    unload(b);
    std::swap(slots_[size_t(a)], slots_[size_t(b)]);
}

void SoundFileList::unload(int index) const
{
    if (unload_)
        unload_(index + 1);
}

SoundFileList::Buttons SoundFileList::buttons(int selection) const
{
    const bool selected = valid(selection);
    // Adding stays possible to press when the slots are full: the refusal
    // message tells the user why and what to do.
    return {true,
            selected,
            selected,
            selected,
            selected && selection > 0,
            selected && selection + 1 < size_};
}

} // namespace vardo::devices
