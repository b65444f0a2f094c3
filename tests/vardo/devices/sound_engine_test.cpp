// The sound engine against the dummy audio driver: counting, paths,
// messages, several numbers at once, repeat, the scratch slot and MIDI.
#include "sound_rig.h"
#include "vardo/devices/sound_midi.h"
#include "vardo/devices/sound_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using namespace soundtest;
using vardo::devices::MidiRenderer;

namespace {

std::vector<std::string> names(int count)
{
    std::vector<std::string> v;
    for (int i = 1; i <= count; ++i)
        v.push_back("s" + std::to_string(i) + ".wav");
    return v;
}

// A rig whose SOUND_FILE1..count all exist as short tones.
void addTones(SoundRig& rig, int count, int ms = 1500)
{
    for (int i = 1; i <= count; ++i)
        rig.addSound("s" + std::to_string(i) + ".wav", sineWav(ms, 300 + 100 * i));
}

} // namespace

TEST(SoundTable, CountStopsAtTheFirstEmptyKeyAndCapacityDoubles)
{
    EXPECT_EQ(vardo::devices::soundCapacity(0), 16);
    EXPECT_EQ(vardo::devices::soundCapacity(15), 16);
    EXPECT_EQ(vardo::devices::soundCapacity(16), 32);
    EXPECT_EQ(vardo::devices::soundCapacity(32), 64);
    EXPECT_EQ(vardo::devices::soundCapacity(1023), 1024);
    EXPECT_EQ(vardo::devices::soundCapacity(1024), 1024);

    SoundRig gap({"a.wav", "b.wav", "", "d.wav"});
    EXPECT_EQ(vardo::devices::soundCount(*gap.settings), 2);
    SoundRig none;
    EXPECT_EQ(vardo::devices::soundCount(*none.settings), 0);
}

TEST(SoundTable, BareNamesLiveInTheSampleFolderAndFullPathsStay)
{
    using vardo::devices::resolveSoundPath;
    EXPECT_EQ(resolveSoundPath("bell.wav", "/opt/vardo"), "/opt/vardo/sample/sound/bell.wav");
    EXPECT_EQ(resolveSoundPath("/home/u/horn.wav", "/opt/vardo"), "/home/u/horn.wav");
    EXPECT_EQ(resolveSoundPath("sounds\\horn.wav", "/opt/vardo"), "sounds/horn.wav");
    EXPECT_EQ(resolveSoundPath("", "/opt/vardo"), "");
    EXPECT_EQ(vardo::devices::soundFileName("C:\\snd\\horn.wav"), "horn.wav");
    EXPECT_EQ(vardo::devices::soundFileName("bell.wav"), "bell.wav");
}

TEST(SoundEngine, NoFilesGiveCountZeroAndSixteenSlots)
{
    SoundRig rig;
    auto& engine = rig.start();
    ASSERT_TRUE(rig.started);
    EXPECT_EQ(engine.count(), 0);
    EXPECT_EQ(engine.capacity(), 16);
    EXPECT_EQ(engine.PlaySound(1, false), -1);
    EXPECT_EQ(rig.frontend.messageTexts(),
              std::vector<std::string>{"サウンド番号[1]が定義されていません"});
}

TEST(SoundEngine, SixteenFilesDoubleTheSlots)
{
    SoundRig rig(names(16));
    addTones(rig, 16, 50);
    auto& engine = rig.start();
    ASSERT_TRUE(rig.started);
    EXPECT_EQ(engine.count(), 16);
    EXPECT_EQ(engine.capacity(), 32);
    EXPECT_TRUE(rig.frontend.messages().empty());
    EXPECT_EQ(engine.PrepareSound(16), 0);
    EXPECT_TRUE(engine.isPrepared(16));
}

TEST(SoundEngine, MissingFileIsReportedAndStartUpGoesOn)
{
    SoundRig rig({"s1.wav", "gone.wav", "s3.wav"});
    rig.addSound("s1.wav", sineWav(100));
    rig.addSound("s3.wav", sineWav(100));
    auto& engine = rig.start();
    ASSERT_TRUE(rig.started);
    EXPECT_EQ(engine.count(), 3); // still counted
    const auto messages = rig.frontend.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "2番のサウンドファイル[" + rig.dir.path() +
                                    "/sample/sound/gone.wav]が存在しません。\n"
                                    "サウンド設定をやり直してください。");
    EXPECT_EQ(messages[0].icon, common::Icon::Stop);
    // Preparing it fails with the library's reason; the others still play.
    EXPECT_LT(engine.PrepareSound(2), 0);
    const auto after = rig.frontend.messageTexts();
    ASSERT_EQ(after.size(), 2u);
    EXPECT_TRUE(after[1].starts_with("DirectX Audio Error:Mix_LoadWAV\n")) << after[1];
    EXPECT_EQ(engine.PrepareSound(3), 0);
    EXPECT_EQ(engine.PlaySound(3, false), 0);
    EXPECT_TRUE(rig.hearsSound(500));
}

TEST(SoundEngine, UndefinedNumberShows219)
{
    SoundRig rig({"s1.wav"});
    addTones(rig, 1);
    auto& engine = rig.start();
    EXPECT_EQ(engine.PrepareSound(5), -1);
    EXPECT_EQ(engine.PlaySound(7, true), -1);
    EXPECT_EQ(rig.frontend.messageTexts(),
              (std::vector<std::string>{"サウンド番号[5]が定義されていません",
                                        "サウンド番号[7]が定義されていません"}));
}

TEST(SoundEngine, TwoNumbersPlayAtOnceAndStopOneByOne)
{
    SoundRig rig(names(2));
    addTones(rig, 2, 200);
    auto& engine = rig.start();
    ASSERT_EQ(engine.PrepareSound(1), 0);
    ASSERT_EQ(engine.PrepareSound(2), 0);
    ASSERT_EQ(engine.PlaySound(1, true), 0);
    ASSERT_EQ(engine.PlaySound(2, true), 0);
    EXPECT_TRUE(engine.isPlaying(1));
    EXPECT_TRUE(engine.isPlaying(2));
    EXPECT_TRUE(rig.hearsSound());
    engine.StopSound(1);
    EXPECT_FALSE(engine.isPlaying(1));
    EXPECT_TRUE(engine.isPlaying(2));
    EXPECT_TRUE(rig.hearsSound()); // number 2 still sounds
    engine.StopAllSounds();
    EXPECT_FALSE(engine.isPlaying(2));
    EXPECT_TRUE(rig.frontend.messages().empty());
}

TEST(SoundEngine, RepeatGoesOnUntilStoppedAndOnceEnds)
{
    SoundRig rig(names(2));
    addTones(rig, 2, 60); // 60 ms: many rounds in the time waited
    auto& engine = rig.start();
    ASSERT_EQ(engine.PrepareSound(1), 0);
    ASSERT_EQ(engine.PrepareSound(2), 0);
    ASSERT_EQ(engine.PlaySound(1, true), 0);
    ASSERT_EQ(engine.PlaySound(2, false), 0);
    // The single play ends by itself ...
    EXPECT_TRUE(waitFor([&] { return !engine.isPlaying(2); }));
    // ... while the repeat has gone past its length several times and goes on.
    const long from = rig.tap.frames;
    ASSERT_TRUE(waitFor([&] { return rig.tap.frames - from > 44100 / 2; }));
    EXPECT_TRUE(engine.isPlaying(1));
    engine.StopSound(1);
    EXPECT_FALSE(engine.isPlaying(1));
}

TEST(SoundEngine, UnpreparedNumbersShareTheScratchSlot)
{
    SoundRig rig(names(3));
    addTones(rig, 3);
    auto& engine = rig.start();
    ASSERT_EQ(engine.PrepareSound(3), 0);
    ASSERT_EQ(engine.PlaySound(3, true), 0);
    ASSERT_EQ(engine.PlaySound(1, true), 0); // never prepared: slot 0
    EXPECT_FALSE(engine.isPrepared(1));
    EXPECT_TRUE(engine.isPlaying(0));
    ASSERT_EQ(engine.PlaySound(2, true), 0); // replaces number 1 in slot 0
    EXPECT_TRUE(engine.isPlaying(0));
    // Slot 0 now plays number 2: a stop of number 1 leaves it alone.
    engine.StopSound(1);
    EXPECT_TRUE(engine.isPlaying(0));
    engine.StopSound(2);
    EXPECT_FALSE(engine.isPlaying(0));
    EXPECT_TRUE(engine.isPlaying(3)); // its own slot was never touched
}

TEST(SoundEngine, ScratchSlotPlaysAFileByPath)
{
    SoundRig rig;
    rig.dir.write("elsewhere/a.wav", sineWav(300));
    rig.dir.write("elsewhere/b.wav", sineWav(1500, 880));
    auto& engine = rig.start();
    ASSERT_EQ(engine.PlaySound(0, true, rig.dir.file("elsewhere/a.wav")), 0);
    EXPECT_TRUE(rig.hearsSound());
    ASSERT_EQ(engine.PlaySound(0, false, rig.dir.file("elsewhere/b.wav")), 0);
    EXPECT_TRUE(engine.isPlaying(0));
    engine.StopSound(0);
    EXPECT_FALSE(engine.isPlaying(0));
    EXPECT_TRUE(rig.frontend.messages().empty());
}

TEST(SoundEngine, StoppingWhatDoesNotPlayDoesNothing)
{
    SoundRig rig(names(1));
    addTones(rig, 1);
    auto& engine = rig.start();
    engine.StopSound(1);   // never loaded
    engine.StopSound(0);   // scratch slot empty
    engine.StopSound(999); // beyond every slot
    engine.StopSound(-3);
    engine.UnloadSound(1);
    engine.StopAllSounds();
    ASSERT_EQ(engine.PrepareSound(1), 0);
    engine.StopSound(1); // loaded, not playing
    EXPECT_FALSE(engine.isPlaying(1));
    EXPECT_TRUE(rig.frontend.messages().empty());
    // Still plays afterwards, and after an unload it loads the file again.
    engine.UnloadSound(1);
    EXPECT_EQ(engine.PlaySound(1, false), 0);
    EXPECT_TRUE(engine.isPlaying(1));
}

TEST(SoundEngine, MidiIsRenderedToAudibleSound)
{
    SoundRig rig({"tune.mid"});
    rig.addSound("tune.mid", midiMelody({60, 64, 67, 72}));
    {
        MidiRenderer renderer(44100);
        auto result = renderer.get(rig.dir.file("sample/sound/tune.mid"));
        ASSERT_TRUE(result.pcm) << result.step << ": " << result.error;
        // Four quarter notes at 0.5 s: about two seconds of stereo.
        EXPECT_GT(result.pcm->size(), size_t(2 * 44100 * 3 / 2));
        const auto peak =
            std::max_element(result.pcm->begin(), result.pcm->end(),
                             [](int16_t a, int16_t b) { return std::abs(a) < std::abs(b); });
        EXPECT_GT(std::abs(*peak), 1000);
        // The second request comes from the cache: the very same samples.
        EXPECT_EQ(renderer.get(rig.dir.file("sample/sound/tune.mid")).pcm, result.pcm);
    }
    auto& engine = rig.start();
    ASSERT_EQ(engine.PrepareSound(1), 0);
    ASSERT_EQ(engine.PlaySound(1, false), 0);
    EXPECT_TRUE(rig.hearsSound(4000));
}

TEST(SoundEngine, BrokenMidiFileIsReported)
{
    SoundRig rig({"bad.mid"});
    rig.addSound("bad.mid", "MThd\x00\x00");
    auto& engine = rig.start();
    EXPECT_LT(engine.PrepareSound(1), 0);
    const auto texts = rig.frontend.messageTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_TRUE(texts[0].starts_with("DirectX Audio Error:")) << texts[0];
}

TEST(SoundEngine, WithoutAudioEverythingFailsQuietly)
{
    // 1 exists, 2 names a file that is gone, 3 is undefined.
    SoundRig rig({"s1.wav", "gone.wav"});
    addTones(rig, 1);
    const char* old = std::getenv("SDL_AUDIODRIVER");
    const std::string saved = old ? old : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    auto& engine = rig.start();
    if (old)
        setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    else
        unsetenv("SDL_AUDIODRIVER");
    EXPECT_FALSE(rig.started);
    const auto texts = rig.frontend.messageTexts();
    ASSERT_EQ(texts.size(), 1u); // the library's reason; the caller adds 183
    EXPECT_TRUE(texts[0].starts_with("DirectX Audio Error:SDL_InitSubSystem\n")) << texts[0];
    // A program may still start: only what could never sound refuses.
    EXPECT_EQ(engine.PrepareSound(1), 0);
    EXPECT_EQ(engine.PrepareSound(2), -2);
    EXPECT_EQ(engine.PrepareSound(3), -1);
    EXPECT_EQ(engine.PlaySound(1, true), -1);
    engine.StopSound(1);
    engine.StopAllSounds();
    engine.UnloadSound(1);
    EXPECT_EQ(rig.frontend.messageTexts().size(), 1u);
}

TEST(SoundEngine, ThreadsPlayAndStopTheirOwnNumbers)
{
    SoundRig rig(names(4));
    addTones(rig, 4, 30);
    auto& engine = rig.start();
    for (int n = 1; n <= 3; ++n)
        ASSERT_EQ(engine.PrepareSound(n), 0);
    std::vector<std::thread> threads;
    for (int n = 1; n <= 4; ++n) {
        threads.emplace_back([&engine, n] {
            for (int i = 0; i < 50; ++i) {
                engine.PlaySound(n, i % 2 == 0);
                engine.isPlaying(n);
                engine.StopSound(n);
                if (i % 10 == 0)
                    engine.StopAllSounds();
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_TRUE(rig.frontend.messages().empty());
    EXPECT_EQ(engine.PlaySound(2, true), 0);
    EXPECT_TRUE(engine.isPlaying(2));
}
