// vardo-run sounds as a user runs it: the table, an undefined number, and
// a play that the disk audio driver writes to a file.
#include "run_program.h"
#include "sound_rig.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

using namespace soundtest;

namespace {

using RunResult = vardo::testing::ProgramResult;

// Runs vardo-run sounds ARGS (a shell line) with the folder as its program
// folder and the audio driver named.
RunResult vardoRun(const SoundRig& rig, const std::string& args,
                   const std::string& driver = "dummy")
{
    return vardo::testing::runShell(
        "'" VARDO_RUN_PATH "' sounds " + args,
        vardo::testing::withEnv({"VARDO_HOME=" + rig.dir.path(), "SDL_AUDIODRIVER=" + driver,
                                 "SDL_DISKAUDIOFILE=" + rig.dir.file("out.raw"),
                                 "SDL_DISKAUDIODELAY=0"}));
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(SoundsCommand, PrintsTheTableWithMissingFilesReported)
{
    SoundRig rig({"bell.wav", "/nowhere/horn.wav"});
    rig.addSound("bell.wav", sineWav(100));
    const RunResult run = vardoRun(rig, "--json");
    EXPECT_EQ(run.exitCode, 0);
    const std::string bell = rig.dir.path() + "/sample/sound/bell.wav";
    EXPECT_NE(run.out.find("\"count\": 2"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"capacity\": 16"), std::string::npos);
    EXPECT_NE(run.out.find("\"path\": \"" + bell + "\",\n      \"exists\": true"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\"path\": \"/nowhere/horn.wav\",\n      \"exists\": false"),
              std::string::npos);
    EXPECT_NE(run.err.find("2番のサウンドファイル[/nowhere/horn.wav]が存在しません。"),
              std::string::npos);
}

TEST(SoundsCommand, UndefinedNumberExitsWith219)
{
    SoundRig rig({"bell.wav"});
    rig.addSound("bell.wav", sineWav(100));
    const RunResult run = vardoRun(rig, "--play 3");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("サウンド番号[3]が定義されていません"), std::string::npos);
    EXPECT_EQ(vardoRun(rig, "--play x").exitCode, 2);
}

TEST(SoundsCommand, PlayWritesAudibleSoundToTheDiskDriver)
{
    SoundRig rig({"bell.wav"});
    rig.addSound("bell.wav", sineWav(300));
    const RunResult run = vardoRun(rig, "--play 1", "disk");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::string raw = readFile(rig.dir.file("out.raw"));
    const auto* samples = reinterpret_cast<const int16_t*>(raw.data());
    long loud = 0;
    for (size_t i = 0; i < raw.size() / 2; ++i)
        loud += std::abs(samples[i]) > 4000;
    // 300 ms of a half-scale tone in stereo at 44.1 kHz: most samples loud.
    EXPECT_GT(loud, 44100 * 2 * 3 / 10 / 2);
}
