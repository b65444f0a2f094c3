#pragma once
// The two file formats of the sample sounds, written byte by byte.
#include <cstdint>
#include <string>
#include <vector>

namespace mksound {

constexpr int kRate = 22050;

// 16-bit mono PCM at kRate; samples are -1..1 and are clipped.
bool writeWav(const std::string& path, const std::vector<double>& samples);

// One note of a melody: MIDI key, start and length in ticks.
struct Note {
    int key;
    int start;
    int length;
    int velocity = 96;
};

// A format-0 standard MIDI file, `ticksPerQuarter` ticks, one instrument.
bool writeMidi(const std::string& path, int ticksPerQuarter, int tempoMicros, int program,
               const std::vector<Note>& notes);

} // namespace mksound
