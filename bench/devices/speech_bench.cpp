// Speech recognition on phrases synthesised at start-up: the real-time
// factor (processing time / audio length) and the delay from the end of
// speech to the command being carried out (median and p99).
#include "vardo/devices/speech_input.h"
#include "vardo/devices/speech_wav.h"
#include "vardo/operation/speech_commands.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace vardo;
using Clock = std::chrono::steady_clock;

const std::vector<std::string> kPhrases = {
    "stop",           "go forward",    "go back",   "point one straight", "point four branch",
    "finish program", "start program", "turntable", "track three",        "bell"};
constexpr double kPadSeconds = 0.5;

struct Clip {
    std::vector<int16_t> samples;
    double speechEnd = 0; // seconds: the trailing pad begins here
};

const std::vector<Clip>& clips()
{
    static std::vector<Clip> all = [] {
        std::vector<Clip> out;
        const std::string dir = "/tmp/vardo-speech-bench-" + std::to_string(getpid());
        std::system(("mkdir -p " + dir).c_str());
        for (const auto& p : kPhrases)
            for (int speed : {130, 175}) {
                const std::string cmd = "espeak-ng -v en-us -s " + std::to_string(speed) + " -w " +
                                        dir + "/r.wav '" + p + "' && sox -D " + dir +
                                        "/r.wav -r 16000 -c 1 -b 16 " + dir + "/p.wav pad 0.5 0.5";
                Clip c;
                std::string error;
                if (std::system(cmd.c_str()) == 0 &&
                    readSpeechWav(dir + "/p.wav", c.samples, error)) {
                    c.speechEnd = double(c.samples.size()) / 16000.0 - kPadSeconds;
                    out.push_back(std::move(c));
                }
            }
        std::system(("rm -rf " + dir).c_str());
        return out;
    }();
    return all;
}

SpeechKeywords shippedLike()
{
    SpeechKeywords k;
    for (size_t i = 0; i < kPhrases.size(); ++i)
        k.set(int(i), {kPhrases[i]});
    return k;
}

void BM_RealTimeFactor(benchmark::State& state)
{
    const SpeechKeywords keywords = shippedLike();
    SpeechRecognizer r;
    std::string error;
    if (!openRecognizer(r, keywords.allKeywords(), error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    double audio = 0, busy = 0;
    const SpeechEventSink none = [](const SpeechEvent&) {};
    for (auto _ : state) {
        for (const Clip& c : clips()) {
            const auto t0 = Clock::now();
            r.feed(c.samples.data(), c.samples.size(), none);
            r.finish(none);
            busy += std::chrono::duration<double>(Clock::now() - t0).count();
            audio += double(c.samples.size()) / 16000.0;
        }
    }
    state.counters["real_time_factor"] = busy / std::max(audio, 1e-9);
}
BENCHMARK(BM_RealTimeFactor)->Unit(benchmark::kMillisecond)->Iterations(2);

// Audio arrives in 64 ms blocks as from a microphone; the delay is the
// audio still heard after the speech ended before the phrase was closed,
// plus the processing of the block that closed it and the command run.
void BM_EndOfSpeechToCommand(benchmark::State& state)
{
    const SpeechKeywords keywords = shippedLike();
    SpeechRecognizer r;
    std::string error;
    if (!openRecognizer(r, keywords.allKeywords(), error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::vector<double> delays;
    constexpr size_t kBlock = 1024;
    double streamStart = 0; // the recogniser counts time over the whole stream
    for (auto _ : state) {
        for (const Clip& c : clips()) {
            bool done = false;
            double heardAt = 0;
            int ran = -1;
            const SpeechEventSink sink = [&](const SpeechEvent& e) {
                if (e.kind == SpeechEvent::Kind::Recognition) {
                    ran = keywords.match(e.text + " ");
                    heardAt = e.endOfSpeechSeconds - streamStart;
                    done = true;
                }
            };
            for (size_t at = 0; at < c.samples.size() && !done; at += kBlock) {
                const auto t0 = Clock::now();
                r.feed(c.samples.data() + at, std::min(kBlock, c.samples.size() - at), sink);
                if (done)
                    delays.push_back(std::max(0.0, heardAt - c.speechEnd) +
                                     std::chrono::duration<double>(Clock::now() - t0).count());
            }
            if (!done) {
                const auto t0 = Clock::now();
                r.finish(sink);
                if (done)
                    delays.push_back(std::max(0.0, heardAt - c.speechEnd) +
                                     std::chrono::duration<double>(Clock::now() - t0).count());
            }
            benchmark::DoNotOptimize(ran);
            // The rest of the clip is not fed once the phrase was heard.
            size_t fed = 0;
            for (size_t at = 0; at < c.samples.size(); at += kBlock) {
                fed = std::min(at + kBlock, c.samples.size());
                if (double(fed) / 16000.0 >= heardAt && heardAt > 0)
                    break;
            }
            streamStart += double(done ? fed : c.samples.size()) / 16000.0;
        }
    }
    std::sort(delays.begin(), delays.end());
    if (!delays.empty()) {
        state.counters["median_ms"] = 1000 * delays[delays.size() / 2];
        state.counters["p99_ms"] =
            1000 * delays[std::min(delays.size() - 1, delays.size() * 99 / 100)];
        state.counters["phrases"] = double(delays.size());
    }
}
BENCHMARK(BM_EndOfSpeechToCommand)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
