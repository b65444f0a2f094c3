// vardo-run speech as a user runs it: a program folder with its own
// keywords, a phrase given as text and one spoken into a WAV.
#include "run_program.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

using vardo::testing::TempDir;

namespace {

// vardo-run speech ARGS (a shell line) in the folder.
vardo::testing::ProgramResult runSpeech(const TempDir& dir, const std::string& args)
{
    return vardo::testing::runShell(VARDO_RUN_PATH " speech " + args,
                                    vardo::testing::inProgramFolder(dir.path()));
}

} // namespace

TEST(SpeechCli, TextAndWavPrintPhraseAndCommand)
{
    TempDir dir;
    dir.write("VARDO.ini", "[SPEECH]\n");
    dir.write("option.ini", "[SPEECH]\nCOMMAND0=stop\nCOMMAND5=go\nCOMMAND7=go forward\n");
    const auto text = runSpeech(dir, "--text 'please go forward' --json");
    EXPECT_EQ(text.out, "{\"phrase\":\"please go forward\",\"command\":5}\n");
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_EQ(runSpeech(dir, "--text 'hello'").out, "\"hello\" -> -1\n");

    const std::string wav = dir.file("p.wav");
    ASSERT_EQ(
        std::system(("espeak-ng -v en-us -s 150 -w '" + dir.file("r.wav") + "' 'stop' && sox -D '" +
                     dir.file("r.wav") + "' -r 16000 -c 1 -b 16 '" + wav + "' pad 0.5 0.5")
                        .c_str()),
        0);
    const auto heard = runSpeech(dir, "--wav '" + wav + "' --json");
    EXPECT_EQ(heard.out, "{\"phrase\":\"stop\",\"command\":0}\n");
    EXPECT_EQ(heard.exitCode, 0);
    EXPECT_NE(runSpeech(dir, "--wav '" + dir.file("none.wav") + "'").exitCode, 0);
    EXPECT_NE(runSpeech(dir, "").exitCode, 0);
}
