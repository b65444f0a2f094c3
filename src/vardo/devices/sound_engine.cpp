#include "vardo/devices/sound_engine.h"

#include "common/paths.h"
#include "vardo/devices/sound_midi.h"
#include "vardo/devices/sound_table.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <filesystem>
#include <mutex>
#include <vector>

namespace vardo::devices {

namespace {

constexpr int kChunkFrames = 512; // about 12 ms at 44.1 kHz: short start latency

// The mixer is one per process; a second engine would share its channels.
std::atomic<bool> gAudioTaken{false};

} // namespace

struct SoundEngine::Failure {
    std::string step;
    std::string error;
};

struct SoundEngine::Slot {
    mutable std::mutex mutex;
    std::atomic<bool> prepared{false};
    Mix_Chunk* chunk = nullptr;
    std::shared_ptr<const Pcm> pcm; // keeps a rendered MIDI's samples alive
    int holds = 0;                  // scratch slot: the number it plays (0: a path)

    void clear()
    {
        if (chunk)
            Mix_FreeChunk(chunk); // halts the channels playing it first
        chunk = nullptr;
        pcm.reset();
    }
};

SoundEngine::SoundEngine(const Settings& settings, Frontend& frontend, std::string programFolder)
    : settings_(settings), frontend_(frontend), programFolder_(std::move(programFolder))
{
}

SoundEngine::~SoundEngine()
{
    if (midi_)
        midi_->cancel();
    if (prerender_.joinable())
        prerender_.join();
    if (slots_) {
        for (int s = 0; s <= capacity_; ++s) {
            std::lock_guard lock(slots_[s].mutex);
            slots_[s].clear();
        }
    }
    ready_ = false;
    closeAudio();
}

bool SoundEngine::openAudio()
{
    Failure failure;
    bool expected = false;
    if (!gAudioTaken.compare_exchange_strong(expected, true)) {
        report({"Mix_OpenAudio", "the audio device is already open in this program"});
        return false;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        failure = {"SDL_InitSubSystem", SDL_GetError()};
    } else if (Mix_OpenAudioDevice(44100, AUDIO_S16SYS, 2, kChunkFrames, nullptr, 0) != 0) {
        failure = {"Mix_OpenAudio", Mix_GetError()};
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    if (!failure.step.empty()) {
        gAudioTaken = false;
        report(failure);
        return false;
    }
    int rate = 0, channels = 0;
    Uint16 format = 0;
    if (Mix_QuerySpec(&rate, &format, &channels) != 0)
        sampleRate_ = rate;
    audioOpen_ = true;
    return true;
}

void SoundEngine::closeAudio()
{
    if (!audioOpen_)
        return;
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    audioOpen_ = false;
    gAudioTaken = false;
}

bool SoundEngine::InitSound(bool prepareScratch)
{
    if (ready() || !openAudio())
        return ready();
    midi_ = std::make_unique<MidiRenderer>(sampleRate_);
    int count = 0;
    for (; count < kMaxSounds; ++count) {
        const std::string value = settings_.soundFile(count + 1);
        if (value.empty())
            break;
        const std::string path = resolveSoundPath(value, programFolder_);
        if (!std::filesystem::exists(path))
            frontend_.showMessage(common::msg::SoundFileMissing, Icon::Stop,
                                  {std::to_string(count + 1), path});
    }
    count_ = count;
    capacity_ = soundCapacity(count);
    slots_ = std::make_unique<Slot[]>(size_t(capacity_) + 1);
    // Channel n is slot n; none is handed out to anyone else.
    Mix_AllocateChannels(capacity_ + 1);
    Mix_ReserveChannels(capacity_ + 1);
    if (prepareScratch)
        slots_[0].prepared = true;
    ready_.store(true, std::memory_order_release);
    startPrerender();
    return true;
}

// MIDI files take a while to render: do the configured ones now, away from
// the threads that will play them.
void SoundEngine::startPrerender()
{
    std::vector<std::string> files;
    for (int n = 1; n <= count_; ++n) {
        std::string path = soundPath(n);
        if (isMidiFile(path))
            files.push_back(std::move(path));
    }
    if (files.empty())
        return;
    prerender_ = std::thread([this, files = std::move(files)] {
        for (const std::string& path : files)
            midi_->get(path);
    });
}

std::string SoundEngine::soundPath(int n) const
{
    return n >= 1 ? resolveSoundPath(settings_.soundFile(n), programFolder_) : std::string();
}

int SoundEngine::slotFor(int n) const
{
    return n >= 1 && n <= capacity_ && slots_[n].prepared ? n : 0;
}

bool SoundEngine::isPrepared(int n) const
{
    return validSlot(n) && slots_[n].prepared;
}

bool SoundEngine::isPlaying(int n) const
{
    if (!validSlot(n))
        return false;
    std::lock_guard lock(slots_[n].mutex);
    return slots_[n].chunk && Mix_Playing(n) != 0;
}

bool SoundEngine::load(Slot& slot, const std::string& path, Failure& failure)
{
    slot.clear();
    if (isMidiFile(path)) {
        MidiResult midi = midi_->get(path);
        if (!midi.pcm) {
            failure = {midi.step, midi.error};
            return false;
        }
        auto* bytes = reinterpret_cast<Uint8*>(const_cast<int16_t*>(midi.pcm->data()));
        slot.chunk = Mix_QuickLoad_RAW(bytes, Uint32(midi.pcm->size() * sizeof(int16_t)));
        if (!slot.chunk) {
            failure = {"Mix_QuickLoad_RAW", Mix_GetError()};
            return false;
        }
        slot.pcm = std::move(midi.pcm);
        return true;
    }
    slot.chunk = Mix_LoadWAV(path.c_str());
    if (!slot.chunk) {
        failure = {"Mix_LoadWAV", std::string(Mix_GetError()) + " (" + path + ")"};
        return false;
    }
    return true;
}

int SoundEngine::PrepareSound(int n)
{
    if (!ready())
        return prepareWithoutAudio(n);
    if (n == 0) {
        slots_[0].prepared = true;
        return 0;
    }
    const std::string value = n > 0 ? settings_.soundFile(n) : std::string();
    if (value.empty()) {
        reportUndefined(n);
        return -1;
    }
    // A number added after start-up has no slot: it plays in slot 0.
    if (n > capacity_)
        return 0;
    Slot& slot = slots_[n];
    Failure failure;
    {
        std::lock_guard lock(slot.mutex);
        slot.prepared = true;
        if (slot.chunk || load(slot, resolveSoundPath(value, programFolder_), failure))
            return 0;
    }
    report(failure);
    return -2;
}

int SoundEngine::prepareWithoutAudio(int n) const
{
    // Nothing the user could hear is lost on a machine without audio, so a
    // program with sounds runs silently; a sound that could never play
    // (undefined, or its file gone) still refuses. Quietly: 183 was shown.
    if (n == 0)
        return 0;
    const std::string value = n > 0 ? settings_.soundFile(n) : std::string();
    if (value.empty())
        return -1;
    return std::filesystem::exists(resolveSoundPath(value, programFolder_)) ? 0 : -2;
}

void SoundEngine::stopLocked(int s, Slot& slot)
{
    if (!slot.chunk || Mix_Playing(s) == 0)
        return;
    Mix_HaltChannel(s);
    if (s == 0)
        slot.clear();
}

int SoundEngine::PlaySound(int n, bool loop, const std::string& path)
{
    if (!ready())
        return -1;
    if (n < 0 || (n == 0 && path.empty())) {
        reportUndefined(n);
        return -1;
    }
    const int s = slotFor(n);
    Slot& slot = slots_[s];
    Failure failure;
    {
        std::lock_guard lock(slot.mutex);
        stopLocked(s, slot);
        if (s == 0 || !slot.chunk) {
            std::string file = common::toNativePath(path);
            if (file.empty()) {
                const std::string value = settings_.soundFile(n);
                if (value.empty()) {
                    failure.step = "undefined";
                } else {
                    file = resolveSoundPath(value, programFolder_);
                }
            }
            if (failure.step.empty())
                load(slot, file, failure);
        }
        if (failure.step.empty()) {
            slot.holds = n;
            if (Mix_PlayChannel(s, slot.chunk, loop ? -1 : 0) < 0)
                failure = {"Mix_PlayChannel", Mix_GetError()};
        }
    }
    if (failure.step == "undefined") {
        reportUndefined(n);
        return -1;
    }
    if (!failure.step.empty()) {
        report(failure);
        return -2;
    }
    return 0;
}

void SoundEngine::StopSound(int n)
{
    if (!ready() || n < 0)
        return;
    const int s = slotFor(n);
    Slot& slot = slots_[s];
    std::lock_guard lock(slot.mutex);
    // The scratch slot may be playing something else: leave that alone.
    if (s == 0 && n != 0 && slot.holds != n)
        return;
    stopLocked(s, slot);
}

void SoundEngine::StopAllSounds()
{
    if (!ready())
        return;
    for (int s = 0; s <= capacity_; ++s) {
        std::lock_guard lock(slots_[s].mutex);
        stopLocked(s, slots_[s]);
    }
}

void SoundEngine::UnloadSound(int n)
{
    if (!validSlot(n))
        return;
    std::lock_guard lock(slots_[n].mutex);
    slots_[n].clear();
}

void SoundEngine::report(const Failure& failure)
{
    frontend_.showMessage(common::msg::DirectXAudioError, Icon::Stop,
                          {failure.step, failure.error});
}

void SoundEngine::reportUndefined(int n)
{
    frontend_.showMessage(common::msg::SoundNotDefined, Icon::Stop, {std::to_string(n)});
}

} // namespace vardo::devices
