// libFuzzer target: parseMaskFile over arbitrary bytes.
#include "layoutdata/layout_files.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size);
    layoutdata::MaskFile file;
    if (layoutdata::parseMaskFile(bytes, file) == layoutdata::ReadStatus::Ok) {
        // An accepted file must encode to one that reads back.
        auto again = layoutdata::encodeMaskFile(file);
        layoutdata::MaskFile back;
        if (again.empty() || layoutdata::parseMaskFile(again, back) != layoutdata::ReadStatus::Ok)
            __builtin_trap();
        // Every stored record must convert to a quadrilateral without fault.
        if (layoutdata::maskToPolylines(file).vertices.size() != 4 * file.records.size())
            __builtin_trap();
    }
    return 0;
}
