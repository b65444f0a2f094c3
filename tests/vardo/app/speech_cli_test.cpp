// vardo-run speech as a user runs it: a program folder with its own
// keywords, a phrase given as text and one spoken into a WAV.
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

using vardo::testing::TempDir;

namespace {

std::string runSpeech(const TempDir& dir, const std::string& args, int& status)
{
    const std::string cmd = "VARDO_HOME='" + dir.path() + "' " VARDO_RUN_PATH " speech " + args;
    FILE* p = popen(cmd.c_str(), "r");
    std::string out;
    std::array<char, 256> buf{};
    while (p && fgets(buf.data(), int(buf.size()), p))
        out += buf.data();
    status = p ? pclose(p) : -1;
    return out;
}

} // namespace

TEST(SpeechCli, TextAndWavPrintPhraseAndCommand)
{
    TempDir dir;
    dir.write("VARDO.ini", "[SPEECH]\n");
    dir.write("option.ini", "[SPEECH]\nCOMMAND0=stop\nCOMMAND5=go\nCOMMAND7=go forward\n");
    int status = 0;
    EXPECT_EQ(runSpeech(dir, "--text 'please go forward' --json", status),
              "{\"phrase\":\"please go forward\",\"command\":5}\n");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(runSpeech(dir, "--text 'hello'", status), "\"hello\" -> -1\n");

    const std::string wav = dir.file("p.wav");
    ASSERT_EQ(
        std::system(("espeak-ng -v en-us -s 150 -w '" + dir.file("r.wav") + "' 'stop' && sox -D '" +
                     dir.file("r.wav") + "' -r 16000 -c 1 -b 16 '" + wav + "' pad 0.5 0.5")
                        .c_str()),
        0);
    EXPECT_EQ(runSpeech(dir, "--wav '" + wav + "' --json", status),
              "{\"phrase\":\"stop\",\"command\":0}\n");
    EXPECT_EQ(status, 0);
    runSpeech(dir, "--wav '" + dir.file("none.wav") + "'", status);
    EXPECT_NE(status, 0);
    runSpeech(dir, "", status);
    EXPECT_NE(status, 0);
}
