// Automatic operation with the real sound engine behind it: a program's
// sound command is heard, stopping operation stops it, and a sound that
// cannot be prepared keeps the program from starting.
#include "../operation/operation_rig.h"
#include "sound_rig.h"

#include <gtest/gtest.h>

using namespace soundtest;
using Kind = vardo::CommandKind;

TEST(SoundOperation, ProgramSoundPlaysUntilOperationStops)
{
    SoundRig sound({"bell.wav"});
    sound.addSound("bell.wav", sineWav(100));
    auto& engine = sound.start();
    ASSERT_TRUE(sound.started);
    optest::Rig rig;
    rig.sounds.setPort(&engine);
    optest::ProgramBuilder b;
    b.then(Kind::SoundOutput, 2, 1); // repeat number 1
    b.then(Kind::Timer, 0, 60);
    ASSERT_TRUE(rig.operation.startOperation(b.program));
    EXPECT_TRUE(waitFor([&] { return engine.isPlaying(1); }));
    EXPECT_TRUE(engine.isPrepared(1)); // prepared at start: its own slot
    EXPECT_TRUE(sound.hearsSound());
    rig.operation.stopOperation();
    EXPECT_TRUE(rig.operation.waitForEnd(2000));
    EXPECT_FALSE(engine.isPlaying(1));
    EXPECT_TRUE(sound.frontend.messages().empty());
}

TEST(SoundOperation, UnpreparableSoundStopsTheStart)
{
    SoundRig sound({"bell.wav", "gone.wav"});
    sound.addSound("bell.wav", sineWav(100));
    auto& engine = sound.start();
    ASSERT_TRUE(sound.started);
    optest::Rig rig;
    rig.sounds.setPort(&engine);
    optest::ProgramBuilder b;
    b.then(Kind::SoundOutput, 1, 1);
    b.then(Kind::SoundOutput, 1, 2);
    EXPECT_FALSE(rig.operation.startOperation(b.program));
    EXPECT_FALSE(rig.operation.operating());
    EXPECT_EQ(rig.operation.endReason(), vardo::EndReason::SoundFailed);
    const auto texts = sound.frontend.messageTexts();
    ASSERT_EQ(texts.size(), 2u); // 185 at start-up, then the failed load
    EXPECT_TRUE(texts[1].starts_with("DirectX Audio Error:Mix_LoadWAV\n")) << texts[1];
}
