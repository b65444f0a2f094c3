#pragma once
// The numbered sound files of option.ini: how many there are, how many
// slots the player keeps for them, and where each file lives.
#include "vardo/base/settings.h"

#include <string>

namespace vardo::devices {

constexpr int kMaxSounds = 1024;
constexpr int kFirstSoundCapacity = 16;

// Consecutive non-empty SOUND_FILE<n> keys from 1, at most kMaxSounds.
int soundCount(const Settings& settings);

// 16, doubled while it is not above the count, never above kMaxSounds.
int soundCapacity(int count);

// A value without a folder part names a file of <program folder>/sample/sound;
// one with a folder part ('/' or '\') is used as it is. Empty stays empty.
std::string resolveSoundPath(const std::string& value, const std::string& programFolder);

// The file name after the last folder separator (for lists).
std::string soundFileName(const std::string& value);

} // namespace vardo::devices
