// Time from a PlaySound call to the sound's first samples in the mixer's
// output (median and 99th percentile over 200 plays), for a prepared number
// (its own slot, file loaded once) against an unprepared one (played in the
// scratch slot, its file loaded on every play), and a MIDI number whose
// render is cached. Also how long the call itself holds the caller.
// Runs on SDL's dummy driver unless SDL_AUDIODRIVER says otherwise: the
// mixer's cadence is the same as with a device.
#include "../devices/quiet_frontend.h"
#include "common/paths.h"
#include "vardo/devices/sound_engine.h"

#include <SDL_mixer.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPlays = 200;

using vardo::bench::QuietFrontend;

void putLe(std::string& out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += char((v >> (8 * i)) & 0xff);
}

// One second of a loud square wave, mono 16-bit at 44.1 kHz: loud from the
// first sample, so the first mixed block shows it.
std::string squareWav()
{
    std::string data;
    for (int i = 0; i < 44100; ++i)
        putLe(data, uint32_t(int16_t((i / 50) % 2 ? 20000 : -20000)) & 0xffff, 2);
    std::string out = "RIFF";
    putLe(out, uint32_t(36 + data.size()), 4);
    out += "WAVEfmt ";
    putLe(out, 16, 4);
    putLe(out, 1, 2);
    putLe(out, 1, 2);
    putLe(out, 44100, 4);
    putLe(out, 88200, 4);
    putLe(out, 2, 2);
    putLe(out, 16, 2);
    out += "data";
    putLe(out, uint32_t(data.size()), 4);
    return out + data;
}

// Four long loud notes, so the render starts loud.
std::string chordMidi()
{
    std::string track;
    for (int b : {0x00, 0xC0, 0x13}) // organ: loud at once
        track += char(b);
    for (int key : {60, 64, 67, 72}) {
        for (int b : {0x00, 0x90, key, 127})
            track += char(b);
    }
    for (int b : {0x83, 0x00, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00})
        track += char(b);
    std::string out = "MThd";
    for (int b : {0, 0, 0, 6, 0, 0, 0, 1, 0, 96})
        out += char(b);
    out += "MTrk";
    for (int i = 3; i >= 0; --i)
        out += char((track.size() >> (8 * i)) & 0xff);
    return out + track;
}

// The mixer's output, watched for the first loud block after a play.
std::atomic<bool> armed{false};
std::atomic<int64_t> heardAt{0};

void onMix(void*, Uint8* stream, int len)
{
    if (!armed)
        return;
    const auto* s = reinterpret_cast<const int16_t*>(stream);
    for (int i = 0; i < len / 2; ++i) {
        if (std::abs(s[i]) > 4000) {
            heardAt = Clock::now().time_since_epoch().count();
            armed = false;
            return;
        }
    }
}

struct Bench {
    std::string folder;
    vardo::Settings settings;
    QuietFrontend frontend;
    vardo::devices::SoundEngine engine;

    static std::string makeFolder()
    {
        auto dir =
            std::filesystem::temp_directory_path() / ("sound-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir / "sample/sound");
        std::ofstream(dir / "sample/sound/a.wav", std::ios::binary) << squareWav();
        std::ofstream(dir / "sample/sound/b.wav", std::ios::binary) << squareWav();
        std::ofstream(dir / "sample/sound/c.mid", std::ios::binary) << chordMidi();
        std::ofstream(dir / "option.ini")
            << "[SOUND]\nSOUND_FILE1=a.wav\nSOUND_FILE2=b.wav\nSOUND_FILE3=c.mid\n";
        return dir.string();
    }

    Bench()
        : folder(makeFolder()), settings(folder + "/VARDO.ini", folder + "/option.ini"),
          engine(settings, frontend, folder)
    {
    }
    ~Bench()
    {
        Mix_SetPostMix(nullptr, nullptr);
        std::filesystem::remove_all(folder);
    }
};

Bench& bench()
{
    static Bench* b = [] {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        auto* b = new Bench;
        if (b->engine.InitSound(true)) {
            b->engine.PrepareSound(1);
            b->engine.PrepareSound(3);
            Mix_SetPostMix(&onMix, nullptr);
        }
        return b;
    }();
    return *b;
}

struct Figures {
    double medianMs = 0, p99Ms = 0, callMedianUs = 0, callP99Us = 0;
};
Figures baseline;

double at(std::vector<double>& v, int percent)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, v.size() * size_t(percent) / 100)];
}

void measure(benchmark::State& state, int number, bool isBaseline)
{
    Bench& b = bench();
    if (!b.engine.ready()) {
        state.SkipWithError("no audio");
        return;
    }
    std::vector<double> ms, callUs;
    for (auto _ : state) {
        for (int i = 0; i < kPlays; ++i) {
            b.engine.StopAllSounds();
            heardAt = 0;
            armed = true;
            const auto start = Clock::now();
            const int result = b.engine.PlaySound(number, false);
            const auto returned = Clock::now();
            const auto deadline = start + std::chrono::seconds(2);
            while (heardAt == 0 && Clock::now() < deadline)
                std::this_thread::yield();
            armed = false;
            if (result != 0 || heardAt == 0) {
                state.SkipWithError("the sound never reached the mixer");
                return;
            }
            const auto heard = Clock::time_point(Clock::duration(heardAt.load()));
            ms.push_back(std::chrono::duration<double, std::milli>(heard - start).count());
            callUs.push_back(std::chrono::duration<double, std::micro>(returned - start).count());
        }
    }
    b.engine.StopAllSounds();
    Figures f{at(ms, 50), at(ms, 99), at(callUs, 50), at(callUs, 99)};
    state.counters["median_ms"] = f.medianMs;
    state.counters["p99_ms"] = f.p99Ms;
    state.counters["call_median_us"] = f.callMedianUs;
    state.counters["call_p99_us"] = f.callP99Us;
    if (isBaseline) {
        baseline = f;
    } else if (baseline.medianMs > 0) {
        state.counters["median_vs_prepared"] = f.medianMs / baseline.medianMs;
        state.counters["call_vs_prepared"] = f.callMedianUs / baseline.callMedianUs;
    }
}

void BM_PlayPrepared(benchmark::State& state)
{
    measure(state, 1, true);
}
void BM_PlayUnprepared(benchmark::State& state)
{
    measure(state, 2, false);
}
void BM_PlayPreparedMidi(benchmark::State& state)
{
    measure(state, 3, false);
}

BENCHMARK(BM_PlayPrepared)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayUnprepared)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayPreparedMidi)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
