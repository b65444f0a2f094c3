// libFuzzer target: parseCrossingFile over arbitrary bytes.
#include "layoutdata/layout_files.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size);
    layoutdata::CrossingFile file;
    if (layoutdata::parseCrossingFile(bytes, file) == layoutdata::ReadStatus::Ok) {
        // An accepted file must encode to one that reads back.
        auto again = layoutdata::encodeCrossingFile(file);
        layoutdata::CrossingFile back;
        if (again.empty() ||
            layoutdata::parseCrossingFile(again, back) != layoutdata::ReadStatus::Ok)
            __builtin_trap();
    }
    return 0;
}
