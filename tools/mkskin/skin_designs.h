#pragma once
// The four skins shipped with Vardo, drawn into control<n> folders.
#include <string>

namespace mkskin {

inline constexpr int kSkinCount = 4;

// Writes control.ini and the pictures of skin n (1..4) into folder.
// False with a reason when something cannot be written.
bool writeSkin(int number, const std::string& folder, std::string& error);

} // namespace mkskin
