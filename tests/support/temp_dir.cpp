#include "temp_dir.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace vardo::testing {

TempDir::TempDir()
{
    std::string templ = (std::filesystem::temp_directory_path() / "vardo-test-XXXXXX").string();
    if (!::mkdtemp(templ.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = templ;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void TempDir::write(const std::string& name, const std::string& content) const
{
    std::filesystem::path p = std::filesystem::path(path_) / name;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out << content;
}

} // namespace vardo::testing
