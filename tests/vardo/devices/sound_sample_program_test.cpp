// The shipped crossing-bell sample program with the shipped sample sounds:
// the bell is heard from the sound command at the approach to the crossing
// until the one past it.
#include "../operation/operation_rig.h"
#include "program_description.h"
#include "sound_rig.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace soundtest;

namespace {

std::string readText(const std::string& path)
{
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(SoundSampleProgram, CrossingBellRingsWhileTheTrainPassesTheCrossing)
{
    const char* data = std::getenv("VARDO_TEST_DATA");
    ASSERT_NE(data, nullptr);
    const std::string sounds = std::string(data) + "/sample/sound/";
    SoundRig sound({sounds + "crossing_bell.wav", sounds + "train_horn.wav",
                    sounds + "station_chime.wav", sounds + "departure_melody.mid"});
    auto& engine = sound.start();
    ASSERT_TRUE(sound.started);
    ASSERT_TRUE(sound.frontend.messages().empty()); // every shipped sound exists

    vardo::Program program;
    const auto parsed = mkprogram::parseDescription(
        readText(VARDO_SOURCE_DIR "/data/sample/program/4_crossing_bell.txt"), program);
    ASSERT_TRUE(parsed.ok) << parsed.line << ": " << parsed.error;
    optest::Rig rig;
    rig.sounds.setPort(&engine);
    ASSERT_TRUE(rig.operation.startOperation(program));
    // The horn at the start, then the wait for the approach to the crossing.
    ASSERT_TRUE(optest::Rig::eventually([&] { return rig.operation.current() == 4; }));
    EXPECT_TRUE(engine.isPlaying(2));
    ASSERT_TRUE(waitFor([&] { return !engine.isPlaying(2); }));
    EXPECT_FALSE(engine.isPlaying(1));

    rig.feed(400, 80);
    ASSERT_TRUE(waitFor([&] { return engine.isPlaying(1); }));
    EXPECT_TRUE(sound.hearsSound(44100)); // a second of the bell, and on
    EXPECT_TRUE(engine.isPlaying(1));

    rig.feed(240, 80);
    EXPECT_TRUE(waitFor([&] { return !engine.isPlaying(1); }));
    rig.operation.stopOperation();
    EXPECT_TRUE(rig.operation.waitForEnd(2000));
    EXPECT_TRUE(sound.frontend.messages().empty());
}
