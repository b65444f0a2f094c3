// libFuzzer target: parseControlPointFile over arbitrary bytes.
#include "layoutdata/layout_files.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size);
    layoutdata::ControlPointFile file;
    if (layoutdata::parseControlPointFile(bytes, file) == layoutdata::ReadStatus::Ok) {
        // An accepted file must encode to one that reads back.
        auto again = layoutdata::encodeControlPointFile(file);
        layoutdata::ControlPointFile back;
        if (again.empty() ||
            layoutdata::parseControlPointFile(again, back) != layoutdata::ReadStatus::Ok)
            __builtin_trap();
    }
    return 0;
}
