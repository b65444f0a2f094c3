#include "common/paths.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace common {

namespace fs = std::filesystem;

namespace {

// "/opt/vardo//" -> "/opt/vardo"; the root stays the root.
fs::path withoutTrailingSeparators(fs::path path)
{
    while (!path.has_filename() && path.has_relative_path())
        path = path.parent_path();
    return path.has_relative_path() ? path : path.root_path();
}

} // namespace

std::string programFolder()
{
    if (const char* home = std::getenv("VARDO_HOME"); home && *home)
        return withoutTrailingSeparators(home).string();
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    if (error || !exe.has_parent_path())
        return ".";
    return exe.parent_path().string();
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    // An absolute name stands for itself, as everywhere on this system.
    return (fs::path(folder) / name).string();
}

std::string toNativePath(const std::string& path)
{
    std::string out = path;
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

bool hasFolderPart(const std::string& name)
{
    return fs::path(toNativePath(name)).has_parent_path();
}

} // namespace common
