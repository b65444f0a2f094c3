#pragma once
// A program folder with option.ini's sound list and the engine over it,
// plus a tap on the mixer's output to see what reaches the device.
#include "recording_frontend.h"
#include "sound_fixtures.h"
#include "temp_dir.h"
#include "vardo/devices/sound_engine.h"

#include <SDL_mixer.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace soundtest {

// Counts what the mixer hands to the device.
struct MixTap {
    std::atomic<long> frames{0};
    std::atomic<long> loudFrames{0};

    static void onMix(void* self, Uint8* stream, int len)
    {
        auto* tap = static_cast<MixTap*>(self);
        const auto* samples = reinterpret_cast<const int16_t*>(stream);
        const int frames = len / 4; // 16-bit stereo
        long loud = 0;
        for (int i = 0; i < frames; ++i) {
            if (std::abs(samples[2 * i]) > 500 || std::abs(samples[2 * i + 1]) > 500)
                ++loud;
        }
        tap->frames += frames;
        tap->loudFrames += loud;
    }
};

inline bool waitFor(const std::function<bool()>& done, int timeoutMs = 5000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

class SoundRig {
public:
    // values[k] becomes SOUND_FILE<k+1>; an empty value writes an empty key.
    explicit SoundRig(const std::vector<std::string>& values = {})
    {
        std::string ini = "[SOUND]\n";
        for (size_t k = 0; k < values.size(); ++k)
            ini += "SOUND_FILE" + std::to_string(k + 1) + "=" + values[k] + "\n";
        dir.write("option.ini", ini);
        dir.write("VARDO.ini", "[LAYOUT]\n");
        settings = std::make_unique<vardo::Settings>(dir.file("VARDO.ini"), dir.file("option.ini"));
    }
    ~SoundRig()
    {
        if (tapped)
            Mix_SetPostMix(nullptr, nullptr);
    }

    // A file of the program folder's sample/sound folder.
    void addSound(const std::string& name, const std::string& bytes)
    {
        dir.write("sample/sound/" + name, bytes);
    }

    vardo::devices::SoundEngine& start(bool scratch = true)
    {
        engine = std::make_unique<vardo::devices::SoundEngine>(*settings, frontend, dir.path());
        started = engine->InitSound(scratch);
        if (started) {
            Mix_SetPostMix(&MixTap::onMix, &tap);
            tapped = true;
        }
        return *engine;
    }

    // Loud frames mixed from now on, waited for up to timeoutMs.
    bool hearsSound(long frames = 2000, int timeoutMs = 3000)
    {
        const long from = tap.loudFrames;
        return waitFor([&] { return tap.loudFrames - from >= frames; }, timeoutMs);
    }

    vardo::testing::TempDir dir;
    vardo::testing::RecordingFrontend frontend;
    std::unique_ptr<vardo::Settings> settings;
    MixTap tap;
    bool tapped = false;
    bool started = false;
    // Last member: goes first, before the tap it feeds.
    std::unique_ptr<vardo::devices::SoundEngine> engine;
};

} // namespace soundtest
