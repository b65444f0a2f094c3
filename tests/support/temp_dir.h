#pragma once
// A fresh folder under /tmp for one test, removed with everything in it.
#include <filesystem>
#include <string>

namespace vardo::testing {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Writes text or bytes to a file in the folder (creating subfolders).
    void write(const std::string& name, const std::string& content) const;

private:
    std::string path_;
};

} // namespace vardo::testing
