#pragma once
// Turns MIDI files into PCM the mixer can play: a software synthesiser with
// the General MIDI soundfont renders the whole file once, and the result is
// kept per file, so a later play of the same file costs nothing. Renders can
// run on a background thread ahead of the first play; a caller that wants a
// file being rendered waits for that render instead of starting another.
#include <atomic>
#include <cstdint>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vardo::devices {

// Interleaved signed 16-bit stereo at the mixer's rate.
using Pcm = std::vector<int16_t>;

struct MidiResult {
    std::shared_ptr<const Pcm> pcm; // null on failure
    std::string step;               // the failing step, for the error report
    std::string error;              // the library's own text
};

// Whether the file starts like a standard MIDI file.
bool isMidiFile(const std::string& path);

class MidiRenderer {
public:
    static constexpr int kMaxSeconds = 300; // longer songs are cut here

    explicit MidiRenderer(int sampleRate);
    ~MidiRenderer();
    MidiRenderer(const MidiRenderer&) = delete;
    MidiRenderer& operator=(const MidiRenderer&) = delete;

    // The PCM of a file: from the cache, or rendered now.
    MidiResult get(const std::string& path);
    // Asks a render to stop early (shutdown); later calls fail.
    void cancel() { cancelled_ = true; }

    // The soundfont used: the small General MIDI font when installed.
    static std::string soundFontPath();

private:
    struct Synth;
    MidiResult render(const std::string& path);
    bool loadSynth(MidiResult& result);

    int sampleRate_;
    std::atomic<bool> cancelled_{false};
    std::mutex synthMutex_; // one render at a time on the one synthesiser
    std::unique_ptr<Synth> synth_;
    std::mutex cacheMutex_;
    std::map<std::string, std::shared_future<MidiResult>> cache_;
};

} // namespace vardo::devices
