// vardo-run sounds as a user runs it: the table, an undefined number, and
// a play that the disk audio driver writes to a file.
#include "sound_rig.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

using namespace soundtest;

namespace {

struct RunResult {
    int status;
    std::string out;
};

// Runs vardo-run with the folder as its program folder; stderr to err.txt.
RunResult vardoRun(const SoundRig& rig, const std::string& args,
                   const std::string& driver = "dummy")
{
    const std::string command = "VARDO_HOME='" + rig.dir.path() + "' SDL_AUDIODRIVER=" + driver +
                                " SDL_DISKAUDIOFILE='" + rig.dir.file("out.raw") +
                                "' SDL_DISKAUDIODELAY=0 '" VARDO_RUN_PATH "' sounds " + args +
                                " 2>'" + rig.dir.file("err.txt") + "'";
    RunResult run{-1, ""};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
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
    EXPECT_EQ(run.status, 0);
    const std::string bell = rig.dir.path() + "/sample/sound/bell.wav";
    EXPECT_NE(run.out.find("\"count\": 2"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"capacity\": 16"), std::string::npos);
    EXPECT_NE(run.out.find("\"path\": \"" + bell + "\",\n      \"exists\": true"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\"path\": \"/nowhere/horn.wav\",\n      \"exists\": false"),
              std::string::npos);
    EXPECT_NE(readFile(rig.dir.file("err.txt"))
                  .find("2番のサウンドファイル[/nowhere/horn.wav]が存在しません。"),
              std::string::npos);
}

TEST(SoundsCommand, UndefinedNumberExitsWith219)
{
    SoundRig rig({"bell.wav"});
    rig.addSound("bell.wav", sineWav(100));
    const RunResult run = vardoRun(rig, "--play 3");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(readFile(rig.dir.file("err.txt")).find("サウンド番号[3]が定義されていません"),
              std::string::npos);
    EXPECT_EQ(vardoRun(rig, "--play x").status, 2);
}

TEST(SoundsCommand, PlayWritesAudibleSoundToTheDiskDriver)
{
    SoundRig rig({"bell.wav"});
    rig.addSound("bell.wav", sineWav(300));
    const RunResult run = vardoRun(rig, "--play 1", "disk");
    EXPECT_EQ(run.status, 0) << readFile(rig.dir.file("err.txt"));
    const std::string raw = readFile(rig.dir.file("out.raw"));
    const auto* samples = reinterpret_cast<const int16_t*>(raw.data());
    long loud = 0;
    for (size_t i = 0; i < raw.size() / 2; ++i)
        loud += std::abs(samples[i]) > 4000;
    // 300 ms of a half-scale tone in stereo at 44.1 kHz: most samples loud.
    EXPECT_GT(loud, 44100 * 2 * 3 / 10 / 2);
}
