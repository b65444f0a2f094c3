// libFuzzer target: a controller skin's control.ini. The profile reader has
// its own target, so the input here is the [CONTROL] section's lines: the
// first byte of each line chooses one of the skin's keys (or none, leaving
// the line as it is), the rest is the value. The skin folder beside it holds
// a small picture for every position and a handle picture, so that every
// key is read. A loaded skin must stay within its capacities.
#include "common/bmp.h"
#include "vardo/panel/skin.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

std::string makeSkinFolder()
{
    const char* dir = std::getenv("TMPDIR");
    std::string base = dir && *dir ? dir : "/tmp";
    if (!(dir && *dir) && access("/dev/shm", W_OK) == 0)
        base = "/dev/shm";
    const std::string folder = base + "/fuzz_skin." + std::to_string(getpid());
    std::filesystem::create_directories(folder);
    common::Bitmap picture;
    picture.width = 5;
    picture.height = 3;
    picture.bgr.assign(size_t(picture.stride()) * 3, 0x40);
    for (int i = 0; i < vardo::panel::kSkinPositions; ++i)
        common::writeBitmap(folder + "/control" + std::to_string(i) + ".bmp", picture);
    common::writeBitmap(folder + "/handle.bmp", picture);
    return folder;
}

const char* const kKeys[] = {
    "POSITION0",
    "POSITION1",
    "POSITION2",
    "POSITION3",
    "POSITION4",
    "POSITION5",
    "POSITION6",
    "POSITION7",
    "POSITION8",
    "POSITION9",
    "POSITION10",
    "POSITION11",
    "POSITION12",
    "POSITION13",
    "POSITION14",
    "POSITION15",
    "POSITION16",
    "JOG_RADIUS",
    "JOG_ANGLE",
    "JOG_RGN",
    "JOG_HANDLE",
    "JOG_POSITION",
    "JOG_HANDLE=handle.bmp\nX",
};

std::string controlIni(const uint8_t* data, size_t size)
{
    std::string ini = "[CONTROL]\n";
    size_t i = 0;
    while (i < size) {
        const uint8_t choice = data[i++];
        size_t end = i;
        while (end < size && data[end] != '\n')
            ++end;
        const std::string value(reinterpret_cast<const char*>(data) + i, end - i);
        constexpr size_t keys = sizeof kKeys / sizeof kKeys[0];
        if (choice < keys)
            ini += std::string(kKeys[choice]) + "=" + value + "\n";
        else
            ini += value + "\n";
        i = end + 1;
    }
    return ini;
}

bool writeText(const std::string& path, const std::string& text)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string folder = makeSkinFolder();
    if (!writeText(folder + "/control.ini", controlIni(data, size)))
        return 0;
    for (int number : {0, 2, 3}) {
        vardo::panel::Skin skin;
        std::string failed;
        if (!vardo::panel::loadSkin(folder, number, number * 100, skin, &failed)) {
            if (failed.empty())
                __builtin_trap(); // a refusal always names what was missing
            continue;
        }
        if (skin.positionCount < 1 || skin.positionCount > vardo::panel::kSkinPositions ||
            skin.region.size() > size_t(vardo::panel::kMaxRegionPoints) || !skin.has(0))
            __builtin_trap();
        for (int i = 0; i < vardo::panel::kSkinPositions; ++i)
            skin.rect(i);
    }
    return 0;
}
