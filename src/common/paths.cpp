#include "common/paths.h"

#include <cstdlib>
#include <limits.h>
#include <unistd.h>

namespace common {

std::string programFolder()
{
    if (const char* home = std::getenv("VARDO_HOME"); home && *home) {
        std::string folder = home;
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        return folder;
    }
    char buffer[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return ".";
    std::string exe(buffer, size_t(n));
    size_t slash = exe.rfind('/');
    return slash == 0 ? "/" : exe.substr(0, slash);
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    if (folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

std::string toNativePath(const std::string& path)
{
    std::string out = path;
    for (char& c : out) {
        if (c == '\\')
            c = '/';
    }
    return out;
}

bool hasFolderPart(const std::string& name)
{
    return name.find('/') != std::string::npos || name.find('\\') != std::string::npos;
}

} // namespace common
