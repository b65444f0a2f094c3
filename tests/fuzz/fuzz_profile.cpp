// libFuzzer target: INI files as Profile reads and writes them. The input is
// the file's bytes; every read must stay within the string limit, and a key
// written into the file must read back while another key keeps its value.
#include "common/profile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// Every input is written to a file and saved once: on tmpfs when there is
// one, as a save syncs the file to disk.
std::string scratchPath()
{
    const char* dir = std::getenv("TMPDIR");
    std::string folder = dir && *dir ? dir : "/tmp";
    if (!(dir && *dir) && access("/dev/shm", W_OK) == 0)
        folder = "/dev/shm";
    return folder + "/fuzz_profile." + std::to_string(getpid()) + ".ini";
}

bool writeBytes(const std::string& path, const uint8_t* data, size_t size)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using common::Profile;
    static const std::string path = scratchPath();
    if (!writeBytes(path, data, size))
        return 0;

    // Sections and keys of the real files, in mixed case.
    for (const char* section : {"USB", "sound", "Train", "a"}) {
        for (const char* key : {"COM_NO", "TRAIN_TYPE", "x", "Name"}) {
            if (Profile::getString(path, section, key, "").size() > Profile::kMaxString)
                __builtin_trap();
            Profile::getInt(path, section, key, -7);
            Profile::hasKey(path, section, key);
        }
    }

    const std::string before = Profile::getString(path, "Train", "TRAIN_TYPE", "<none>");
    if (!Profile::writeString(path, "USB", "COM_NO", "12"))
        return 0;
    if (Profile::getInt(path, "usb", "com_no", -1) != 12 ||
        Profile::getString(path, "Train", "TRAIN_TYPE", "<none>") != before)
        __builtin_trap();
    std::remove(path.c_str());
    return 0;
}
