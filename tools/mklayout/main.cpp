// mklayout: writes a layout data folder from a text description.
//   mklayout DESCRIPTION.txt OUTPUT_FOLDER
#include "layout_builder.h"
#include "layout_description.h"

#include "common/byte_io.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: mklayout DESCRIPTION OUTPUT_FOLDER\n");
        return 2;
    }
    std::vector<uint8_t> bytes;
    if (!common::readWholeFile(argv[1], bytes, 1u << 20)) {
        std::fprintf(stderr, "mklayout: cannot read %s\n", argv[1]);
        return 1;
    }
    mklayout::Description description;
    mklayout::GeneratedLayout layout;
    std::string error;
    if (!mklayout::parseDescription(std::string(bytes.begin(), bytes.end()), description, error) ||
        !mklayout::buildLayout(description, layout, error) ||
        !mklayout::writeLayout(layout, argv[2], error)) {
        std::fprintf(stderr, "mklayout: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    return 0;
}
