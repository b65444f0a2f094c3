// mkprogram: writes a program file (.vpr) from its text description; the
// build uses it for the sample programs.
#include "common/byte_io.h"
#include "program_description.h"
#include "vardo/operation/program_file.h"

#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: mkprogram DESCRIPTION.txt OUT.vpr\n");
        return 2;
    }
    std::vector<uint8_t> bytes;
    if (!common::readWholeFile(argv[1], bytes, 1 << 20)) {
        std::fprintf(stderr, "mkprogram: cannot read %s\n", argv[1]);
        return 1;
    }
    vardo::Program program;
    const auto result = mkprogram::parseDescription(std::string(bytes.begin(), bytes.end()), program);
    if (!result.ok) {
        std::fprintf(stderr, "%s:%d: %s\n", argv[1], result.line, result.error.c_str());
        return 1;
    }
    program.compact();
    if (!common::writeFileAtomic(argv[2], vardo::serialiseProgram(program))) {
        std::fprintf(stderr, "mkprogram: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
