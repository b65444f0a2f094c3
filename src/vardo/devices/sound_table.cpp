#include "vardo/devices/sound_table.h"

#include "common/paths.h"

namespace vardo::devices {

int soundCount(const Settings& settings)
{
    int count = 0;
    while (count < kMaxSounds && !settings.soundFile(count + 1).empty())
        ++count;
    return count;
}

int soundCapacity(int count)
{
    int capacity = kFirstSoundCapacity;
    while (capacity <= count && capacity < kMaxSounds)
        capacity *= 2;
    return capacity;
}

std::string resolveSoundPath(const std::string& value, const std::string& programFolder)
{
    if (value.empty())
        return value;
    if (common::hasFolderPart(value))
        return common::toNativePath(value);
    return common::joinPath(common::joinPath(programFolder, "sample/sound"), value);
}

std::string soundFileName(const std::string& value)
{
    size_t cut = value.find_last_of("/\\");
    return cut == std::string::npos ? value : value.substr(cut + 1);
}

} // namespace vardo::devices
