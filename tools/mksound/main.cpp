// mksound OUTDIR: writes the sample sounds into OUTDIR (created when missing).
#include "sample_sounds.h"
#include "sound_files.h"

#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mksound OUTDIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    using namespace mksound;
    bool ok = writeWav(dir + "/crossing_bell.wav", crossingBell()) &&
              writeWav(dir + "/train_horn.wav", trainHorn()) &&
              writeWav(dir + "/station_chime.wav", stationChime()) &&
              writeMidi(dir + "/departure_melody.mid", 96, 400000, 10, departureMelody());
    if (!ok) {
        std::fprintf(stderr, "mksound: cannot write the sounds into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
