#include "sound_files.h"

#include "common/atomic_file.h"

#include <algorithm>
#include <cmath>

namespace mksound {

namespace {

void putLe(std::string& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += char((value >> (8 * i)) & 0xff);
}

void putBe(std::string& out, uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out += char((value >> (8 * i)) & 0xff);
}

// A MIDI variable-length quantity: 7 bits a byte, high bit on all but the last.
void putVarLen(std::string& out, uint32_t value)
{
    char bytes[5];
    int n = 0;
    do {
        bytes[n++] = char(value & 0x7f);
        value >>= 7;
    } while (value);
    while (n > 1)
        out += char(bytes[--n] | 0x80);
    out += bytes[0];
}

bool writeFile(const std::string& path, const std::string& bytes)
{
    return common::writeFileAtomic(path, bytes);
}

} // namespace

bool writeWav(const std::string& path, const std::vector<double>& samples)
{
    std::string data;
    data.reserve(samples.size() * 2);
    for (double s : samples) {
        const double clipped = std::clamp(s, -1.0, 1.0);
        putLe(data, uint32_t(int16_t(std::lround(clipped * 32767))) & 0xffff, 2);
    }
    std::string out = "RIFF";
    putLe(out, uint32_t(36 + data.size()), 4);
    out += "WAVE";
    out += "fmt ";
    putLe(out, 16, 4);        // size of the format chunk
    putLe(out, 1, 2);         // PCM
    putLe(out, 1, 2);         // mono
    putLe(out, kRate, 4);     // samples a second
    putLe(out, kRate * 2, 4); // bytes a second
    putLe(out, 2, 2);         // bytes a frame
    putLe(out, 16, 2);        // bits a sample
    out += "data";
    putLe(out, uint32_t(data.size()), 4);
    return writeFile(path, out + data);
}

bool writeMidi(const std::string& path, int ticksPerQuarter, int tempoMicros, int program,
               const std::vector<Note>& notes)
{
    struct Event {
        int tick;
        int order; // note-offs before note-ons at the same tick
        std::string bytes;
    };
    std::vector<Event> events;
    for (const Note& n : notes) {
        events.push_back({n.start, 1, {char(0x90), char(n.key), char(n.velocity)}});
        events.push_back({n.start + n.length, 0, {char(0x80), char(n.key), char(0)}});
    }
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    std::string track;
    putVarLen(track, 0);
    track += {char(0xFF), char(0x51), char(0x03)}; // tempo
    putBe(track, uint32_t(tempoMicros), 3);
    putVarLen(track, 0);
    track += {char(0xC0), char(program)};
    int at = 0;
    for (const Event& e : events) {
        putVarLen(track, uint32_t(e.tick - at));
        track += e.bytes;
        at = e.tick;
    }
    putVarLen(track, 0);
    track += {char(0xFF), char(0x2F), char(0x00)}; // end of track
    std::string out = "MThd";
    putBe(out, 6, 4);
    putBe(out, 0, 2); // format 0
    putBe(out, 1, 2); // one track
    putBe(out, uint32_t(ticksPerQuarter), 2);
    out += "MTrk";
    putBe(out, uint32_t(track.size()), 4);
    return writeFile(path, out + track);
}

} // namespace mksound
