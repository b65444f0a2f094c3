#pragma once
// Sound files for the tests, laid out byte by byte: a RIFF/WAVE file of a
// sine tone and a one-track standard MIDI file of a few notes.
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace soundtest {

inline void putLe(std::string& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += char((value >> (8 * i)) & 0xff);
}

inline void putBe(std::string& out, uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out += char((value >> (8 * i)) & 0xff);
}

// 16-bit mono PCM at 22050 Hz: `ms` milliseconds of a tone at half scale.
inline std::string sineWav(int ms, double hz = 440.0)
{
    const int rate = 22050;
    const int frames = rate * ms / 1000;
    std::string data;
    for (int i = 0; i < frames; ++i) {
        const double v = 16000.0 * std::sin(2 * 3.141592653589793 * hz * i / rate);
        putLe(data, uint32_t(int16_t(std::lround(v))) & 0xffff, 2);
    }
    std::string out = "RIFF";
    putLe(out, uint32_t(36 + data.size()), 4);
    out += "WAVEfmt ";
    putLe(out, 16, 4);       // fmt chunk size
    putLe(out, 1, 2);        // PCM
    putLe(out, 1, 2);        // mono
    putLe(out, rate, 4);     // sample rate
    putLe(out, rate * 2, 4); // byte rate
    putLe(out, 2, 2);        // block align
    putLe(out, 16, 2);       // bits per sample
    out += "data";
    putLe(out, uint32_t(data.size()), 4);
    return out + data;
}

// Format 0, 96 ticks per quarter note, piano playing the given notes one
// quarter each at the default tempo (0.5 s a quarter).
inline std::string midiMelody(const std::vector<int>& notes)
{
    std::string track;
    auto bytes = [&track](std::initializer_list<int> list) {
        for (int b : list)
            track += char(b);
    };
    bytes({0x00, 0xC0, 0x00}); // program change: piano
    for (int note : notes) {
        bytes({0x00, 0x90, note, 100}); // note on at once
        bytes({0x60, 0x80, note, 0});   // note off 96 ticks later
    }
    bytes({0x00, 0xFF, 0x2F, 0x00}); // end of track
    std::string out = "MThd";
    putBe(out, 6, 4);
    putBe(out, 0, 2);  // format 0
    putBe(out, 1, 2);  // one track
    putBe(out, 96, 2); // ticks per quarter
    out += "MTrk";
    putBe(out, uint32_t(track.size()), 4);
    return out + track;
}

} // namespace soundtest
