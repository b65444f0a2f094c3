#pragma once
// The program folder and path handling.
#include <string>

namespace common {

// $VARDO_HOME when set and not empty, else the folder of the running
// executable. No trailing separator.
std::string programFolder();

// folder + "/" + name, without doubling the separator.
std::string joinPath(const std::string& folder, const std::string& name);

// Paths stored by the Windows programs use '\'; both separators are taken.
std::string toNativePath(const std::string& path);

// Whether the name carries a folder part (a '/' or '\' in it).
bool hasFolderPart(const std::string& name);

} // namespace common
