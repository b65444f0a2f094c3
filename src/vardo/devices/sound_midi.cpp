#include "vardo/devices/sound_midi.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace vardo::devices {

namespace {

constexpr int kBlockFrames = 1024;
constexpr int kTailSeconds = 2; // lets the last notes ring out

// The same path with another date or size is another file.
std::string cacheKey(const std::string& path)
{
    std::error_code ec;
    auto size = std::filesystem::file_size(path, ec);
    auto time = std::filesystem::last_write_time(path, ec);
    return path + '|' + std::to_string(ec ? 0 : size) + '|' +
           std::to_string(ec ? 0 : time.time_since_epoch().count());
}

void silenceLibraryLog()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
            fluid_set_log_function(level, nullptr, nullptr);
    });
}

// Below this a sample is only the synthesiser's dither.
constexpr int kSilence = 8;

bool quiet(int16_t sample)
{
    return sample >= -kSilence && sample <= kSilence;
}

// Drops the silent end of the ring-out tail; a file without any note ends empty.
void trimSilence(Pcm& pcm)
{
    size_t end = pcm.size();
    while (end >= 2 && quiet(pcm[end - 1]) && quiet(pcm[end - 2]))
        end -= 2;
    pcm.resize(end);
}

} // namespace

bool isMidiFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    char tag[4] = {};
    return in.read(tag, 4) && std::string(tag, 4) == "MThd";
}

struct MidiRenderer::Synth {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    ~Synth()
    {
        if (synth)
            delete_fluid_synth(synth);
        if (settings)
            delete_fluid_settings(settings);
    }
};

MidiRenderer::MidiRenderer(int sampleRate) : sampleRate_(sampleRate) {}

MidiRenderer::~MidiRenderer()
{
    cancel();
    // Renders started by get() finish before their futures are dropped.
    std::lock_guard lock(synthMutex_);
}

std::string MidiRenderer::soundFontPath()
{
    for (const char* path :
         {"/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/default-GM.sf2"}) {
        if (std::filesystem::exists(path))
            return path;
    }
    return "/usr/share/sounds/sf2/TimGM6mb.sf2";
}

MidiResult MidiRenderer::get(const std::string& path)
{
    const std::string key = cacheKey(path);
    std::promise<MidiResult> promise;
    std::shared_future<MidiResult> future;
    bool mine = false;
    {
        std::lock_guard lock(cacheMutex_);
        auto it = cache_.find(key);
        if (it != cache_.end()) {
            future = it->second;
        } else {
            future = promise.get_future().share();
            cache_.emplace(key, future);
            mine = true;
        }
    }
    if (!mine)
        return future.get();
    MidiResult result = render(path);
    if (!result.pcm) {
        // A failure is not kept: the file may be mended and tried again.
        std::lock_guard lock(cacheMutex_);
        cache_.erase(key);
    }
    promise.set_value(result);
    return result;
}

bool MidiRenderer::loadSynth(MidiResult& result)
{
    if (synth_)
        return true;
    silenceLibraryLog();
    auto synth = std::make_unique<Synth>();
    synth->settings = new_fluid_settings();
    if (!synth->settings) {
        result.step = "new_fluid_settings";
        result.error = "out of memory";
        return false;
    }
    fluid_settings_setnum(synth->settings, "synth.sample-rate", sampleRate_);
    fluid_settings_setnum(synth->settings, "synth.gain", 1.0);
    // The player follows the rendered samples, not the wall clock.
    fluid_settings_setstr(synth->settings, "player.timing-source", "sample");
    fluid_settings_setint(synth->settings, "synth.lock-memory", 0);
    synth->synth = new_fluid_synth(synth->settings);
    if (!synth->synth) {
        result.step = "new_fluid_synth";
        result.error = "the synthesiser could not be created";
        return false;
    }
    const std::string font = soundFontPath();
    if (fluid_synth_sfload(synth->synth, font.c_str(), 1) == FLUID_FAILED) {
        result.step = "fluid_synth_sfload";
        result.error = "cannot load the soundfont " + font;
        return false;
    }
    synth_ = std::move(synth);
    return true;
}

MidiResult MidiRenderer::render(const std::string& path)
{
    MidiResult result;
    std::lock_guard lock(synthMutex_);
    if (cancelled_) {
        result.step = "fluid_player_play";
        result.error = "sound is shutting down";
        return result;
    }
    if (!isMidiFile(path)) {
        result.step = "fluid_player_add";
        result.error =
            std::filesystem::exists(path) ? "not a MIDI file: " + path : "file not found: " + path;
        return result;
    }
    if (!loadSynth(result))
        return result;
    fluid_synth_t* synth = synth_->synth;
    fluid_player_t* player = new_fluid_player(synth);
    if (!player || fluid_player_add(player, path.c_str()) != FLUID_OK ||
        fluid_player_play(player) != FLUID_OK) {
        if (player)
            delete_fluid_player(player);
        result.step = "fluid_player_add";
        result.error = "cannot play the MIDI file " + path;
        return result;
    }
    auto pcm = std::make_shared<Pcm>();
    const size_t maxFrames = size_t(sampleRate_) * kMaxSeconds;
    auto renderBlock = [&] {
        size_t at = pcm->size();
        pcm->resize(at + 2 * kBlockFrames);
        int16_t* out = pcm->data() + at;
        fluid_synth_write_s16(synth, kBlockFrames, out, 0, 2, out, 1, 2);
    };
    while (fluid_player_get_status(player) == FLUID_PLAYER_PLAYING && !cancelled_ &&
           pcm->size() / 2 < maxFrames)
        renderBlock();
    fluid_player_stop(player);
    delete_fluid_player(player);
    fluid_synth_all_notes_off(synth, -1);
    for (int i = 0; i < kTailSeconds * sampleRate_ / kBlockFrames && !cancelled_; ++i)
        renderBlock();
    fluid_synth_system_reset(synth);
    trimSilence(*pcm);
    if (pcm->empty()) {
        result.step = "fluid_synth_write_s16";
        result.error = "the MIDI file holds no sound: " + path;
        return result;
    }
    result.pcm = std::move(pcm);
    return result;
}

} // namespace vardo::devices
