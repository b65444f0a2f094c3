#pragma once
// Numbered sounds: the files of [SOUND] SOUND_FILE<n> played through the
// mixer, each number on a channel of its own, so that any numbers sound at
// once, stop one by one and repeat until stopped. Slot 0 is the scratch
// slot: a file given by path, and numbers that were never prepared.
//
// Calls come from the window, the control loop, the control-point watcher
// and the outside-program thread. Every slot has its own lock, so a call for
// one number never waits for another number's file to load; messages are
// shown after the lock is let go. InitSound and destruction run while no
// other thread calls in (start-up and shutdown).
#include "vardo/base/frontend.h"
#include "vardo/base/operation_seams.h"
#include "vardo/base/settings.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace vardo::devices {

class MidiRenderer;

class SoundEngine : public SoundPort {
public:
    SoundEngine(const Settings& settings, Frontend& frontend, std::string programFolder);
    ~SoundEngine() override;
    SoundEngine(const SoundEngine&) = delete;
    SoundEngine& operator=(const SoundEngine&) = delete;

    // Opens the audio device, counts the sound files (message 185 for each
    // missing one) and sizes the slots. prepareScratch readies slot 0. False
    // when there is no audio: later calls then fail quietly.
    bool InitSound(bool prepareScratch);
    // Gives number n a slot of its own and loads its file (n >= 1). 0, or -1
    // with message 219 for an undefined number, or -2 with message 184.
    // Without audio: 0 when the file exists, else -1 / -2 without a message.
    int PrepareSound(int n);
    // Plays n once or repeating; path (may be empty) names the file for
    // slot 0. A number never prepared plays in slot 0.
    int PlaySound(int n, bool loop, const std::string& path = {});
    void StopSound(int n);
    void StopAllSounds();
    void UnloadSound(int n);

    bool ready() const { return ready_.load(std::memory_order_acquire); }
    int count() const { return count_.load(); }
    int capacity() const { return capacity_; }
    // After the settings dialog wrote the list.
    void setCount(int count) { count_ = count; }
    // Whether slot n's channel is sounding.
    bool isPlaying(int n) const;
    // Whether number n has a slot of its own.
    bool isPrepared(int n) const;
    // The resolved path of SOUND_FILE<n> (empty when undefined).
    std::string soundPath(int n) const;
    // The mixer's output format.
    int sampleRate() const { return sampleRate_; }

    // SoundPort, as automatic operation calls it.
    int prepareSound(int number) override { return PrepareSound(number); }
    int playSound(int number, bool loop) override { return PlaySound(number, loop); }
    void stopSound(int number) override { StopSound(number); }
    void stopAllSounds() override { StopAllSounds(); }

private:
    struct Slot;
    struct Failure;
    bool openAudio();
    void closeAudio();
    void startPrerender();
    bool validSlot(int n) const { return ready() && n >= 0 && n <= capacity_; }
    // Slot n when it was prepared, else the scratch slot.
    int slotFor(int n) const;
    int prepareWithoutAudio(int n) const;
    bool load(Slot& slot, const std::string& path, Failure& failure);
    void stopLocked(int s, Slot& slot);
    void report(const Failure& failure);
    void reportUndefined(int n);

    const Settings& settings_;
    Frontend& frontend_;
    std::string programFolder_;
    std::atomic<bool> ready_{false};
    bool audioOpen_ = false;
    int sampleRate_ = 44100;
    std::atomic<int> count_{0};
    int capacity_ = 0;
    std::unique_ptr<Slot[]> slots_;
    std::unique_ptr<MidiRenderer> midi_;
    std::thread prerender_;
};

} // namespace vardo::devices
