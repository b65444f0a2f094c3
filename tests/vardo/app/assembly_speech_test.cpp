// Speech recognition as the assembly builds, starts and wires it: phrases
// pushed from an input's own thread reach the frontend's thread as a posted
// command and run the commands against the assembly's components.
#include "oval_track.h"
#include "program_description.h"
#include "recording_frontend.h"
#include "temp_dir.h"

#include "common/byte_io.h"
#include "common/string_table.h"
#include "layoutdata/layout_files.h"
#include "vardo/app/assembly.h"
#include "vardo/app/speech_component.h"
#include "vardo/base/command_ids.h"
#include "vardo/base/controller_codes.h"
#include "vardo/operation/program_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <thread>

using namespace vardo;
using vardo::testing::RecordingFrontend;
using vardo::testing::TempDir;

namespace {

// An input the test speaks through; start fails when told to.
class ScriptedInput : public SpeechInput {
public:
    explicit ScriptedInput(bool opens) : opens_(opens) {}
    bool start(const std::vector<std::string>& keywords, SpeechEventQueue& queue,
               std::string& error) override
    {
        ++starts;
        keywords_ = keywords;
        if (!opens_)
            return error = "no model", false;
        queue_ = &queue;
        return true;
    }
    // A whole utterance, pushed from a thread of its own as audio would be.
    void say(const std::string& phrase)
    {
        ASSERT_NE(queue_, nullptr);
        std::thread([this, phrase] {
            queue_->push({SpeechEvent::Kind::SoundStart, {}, false});
            queue_->push({SpeechEvent::Kind::Recognition, phrase, true});
            queue_->push({SpeechEvent::Kind::SoundEnd, {}, false});
        }).join();
    }
    int starts = 0;
    std::vector<std::string> keywords_;

private:
    bool opens_;
    SpeechEventQueue* queue_ = nullptr;
};

class CountingWindow : public SpeechWindow {
public:
    explicit CountingWindow(int& opens) : opens_(opens) {}
    void open() override { ++opens_; }
    void showPhrase(const std::string&) override {}

private:
    int& opens_;
};

class RecordingSound : public SoundPort {
public:
    int prepareSound(int) override { return 0; }
    int playSound(int number, bool loop) override
    {
        played.push_back(number * (loop ? -1 : 1));
        return 0;
    }
    void stopSound(int) override {}
    void stopAllSounds() override {}
    std::vector<int> played;
};

using vardo::testing::ovalTrack;

// The oval layout, a program that waits a minute, the given [SPEECH] ENABLE.
void makeFolder(const TempDir& dir, int enable)
{
    dir.write("VARDO.ini", "[SIMULATION]\nSPEED=1\n[SPEECH]\nWORD1=停止,前進,\n");
    dir.write("option.ini", "[AGREEMENT]\nAGREEMENT=1\n[CAPTURE]\nDEVICE=0\n"
                            "[LAYOUT]\nSURPRESS_MESSAGE=1\n[USB]\nSURPRESS_MESSAGE=1\n"
                            "[SPEECH]\nENABLE=" +
                                std::to_string(enable) +
                                "\nCOMMAND0=stop\nCOMMAND1=go forward\nCOMMAND19=bell\n");
    dir.write("layout/.keep", "");
    ASSERT_TRUE(layoutdata::writePolylineFile(dir.file("layout/layout.dat"), ovalTrack()));
    Program p;
    const auto parsed = mkprogram::parseDescription("Start\nTimer 0 60 0\nEndOfOperation\n", p);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    p.compact();
    ASSERT_TRUE(common::writeFileAtomic(dir.file("wait.vpr"), serialiseProgram(p)));
}

struct Observed {
    std::vector<std::pair<std::string, int>> phrases;
    int windowOpens = 0;
    ScriptedInput* input = nullptr;
    RecordingSound* sound = nullptr;
};

AssemblyParts speechParts(const TempDir& dir, Observed& seen, bool opens)
{
    AssemblyParts parts;
    parts.programPath = dir.file("wait.vpr");
    parts.factories.sound = [&seen](const ComponentContext&) -> std::unique_ptr<SoundPort> {
        auto sound = std::make_unique<RecordingSound>();
        seen.sound = sound.get();
        return sound;
    };
    parts.factories.speech = speechFactory(
        [&seen, opens] {
            auto input = std::make_unique<ScriptedInput>(opens);
            seen.input = input.get();
            return input;
        },
        [&seen](SpeechSession&, const Settings&) {
            return std::make_unique<CountingWindow>(seen.windowOpens);
        },
        [&seen](const std::string& phrase, int command) {
            seen.phrases.emplace_back(phrase, command);
        });
    return parts;
}

bool posted(const RecordingFrontend& f, int id)
{
    const auto ids = f.postedCommands();
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

bool shown(const RecordingFrontend& f, int id)
{
    const auto texts = f.messageTexts();
    return std::find(texts.begin(), texts.end(), std::string(common::messageText(id))) !=
           texts.end();
}

} // namespace

TEST(AssemblySpeech, StartUpWithSpeechThatCannotOpenShows220AndVardoGoesOn)
{
    TempDir dir;
    makeFolder(dir, 1);
    RecordingFrontend frontend;
    Observed seen;
    VardoAssembly rail(frontend, dir.path(), speechParts(dir, seen, false));
    // The factories hand over what they made: the real speech component,
    // and a stand-in sound that is driven but is no engine to start.
    ASSERT_NE(rail.speech(), nullptr);
    EXPECT_EQ(rail.soundPort(), seen.sound);
    EXPECT_EQ(rail.soundEngine(), nullptr);
    EXPECT_EQ(rail.extendedInterface(), nullptr);
    ASSERT_EQ(rail.start(), StartupOutcome::Started);
    ASSERT_NE(seen.input, nullptr);
    EXPECT_EQ(seen.input->starts, 1);
    EXPECT_TRUE(shown(frontend, common::msg::SpeechInitFailed));
    EXPECT_FALSE(rail.speechActive());
    EXPECT_EQ(seen.windowOpens, 0);
    EXPECT_EQ(frontend.quitRequests(), 0);
    // The rest of Vardo runs: the simulation and the program.
    frontend.deliverPostedCommands();
    ASSERT_TRUE(rail.simulation().running());
    rail.autoOperationCommand();
    EXPECT_TRUE(rail.operation().operating());
    // The menu command is still offered and tries again.
    EXPECT_TRUE(rail.handleCommand(cmd::SpeechRecognition));
    EXPECT_EQ(seen.input->starts, 2);
    EXPECT_FALSE(rail.speechActive());
    rail.shutdown();
}

TEST(AssemblySpeech, EnabledSpeechStartsAtStartUpWithTheConfiguredKeywords)
{
    TempDir dir;
    makeFolder(dir, 1);
    RecordingFrontend frontend;
    Observed seen;
    VardoAssembly rail(frontend, dir.path(), speechParts(dir, seen, true));
    ASSERT_EQ(rail.start(), StartupOutcome::Started);
    EXPECT_TRUE(rail.speechActive());
    EXPECT_EQ(seen.windowOpens, 1);
    const auto& k = seen.input->keywords_;
    EXPECT_NE(std::find(k.begin(), k.end(), "go forward"), k.end());
    EXPECT_FALSE(shown(frontend, common::msg::SpeechInitFailed));
    rail.shutdown();
}

TEST(AssemblySpeech, MenuCommandStartsSpeechAndPhrasesRunOnTheFrontendsThread)
{
    TempDir dir;
    makeFolder(dir, 0);
    RecordingFrontend frontend;
    Observed seen;
    VardoAssembly rail(frontend, dir.path(), speechParts(dir, seen, true));
    ASSERT_EQ(rail.start(), StartupOutcome::Started);
    EXPECT_EQ(seen.input->starts, 0); // ENABLE=0: not at start-up
    frontend.deliverPostedCommands();
    ASSERT_TRUE(rail.simulation().running());

    ASSERT_TRUE(rail.handleCommand(cmd::SpeechRecognition));
    EXPECT_TRUE(rail.speechActive());
    EXPECT_EQ(seen.windowOpens, 1);

    // A sound: nothing runs on the input's thread, only the post.
    seen.input->say("ring the bell");
    EXPECT_TRUE(seen.phrases.empty());
    EXPECT_TRUE(posted(frontend, cmd::SpeechEvents));
    frontend.deliverPostedCommands();
    ASSERT_EQ(seen.phrases.size(), 1u);
    EXPECT_EQ(seen.phrases[0], std::make_pair(std::string("ring the bell "), 19));
    EXPECT_EQ(seen.sound->played, std::vector<int>{1}); // sound 1, once

    // Command 0 with the lamp on also ends automatic operation.
    rail.controller().performAction(ActionLampOn);
    rail.autoOperationCommand();
    ASSERT_TRUE(rail.operation().operating());
    seen.input->say("please stop");
    frontend.deliverPostedCommands();
    EXPECT_TRUE(rail.operation().waitForEnd(5000));
    EXPECT_FALSE(rail.operation().operating());
    ASSERT_EQ(seen.phrases.size(), 2u);
    EXPECT_EQ(seen.phrases[1].second, 0);

    // 終了: phrases are dropped until the menu command again, which does
    // not build the recogniser a second time.
    rail.speech()->session().stop();
    EXPECT_FALSE(rail.speechActive());
    seen.input->say("bell");
    frontend.deliverPostedCommands();
    EXPECT_EQ(seen.phrases.size(), 2u);
    EXPECT_EQ(seen.sound->played.size(), 1u);
    ASSERT_TRUE(rail.handleCommand(cmd::SpeechRecognition));
    EXPECT_TRUE(rail.speechActive());
    EXPECT_EQ(seen.input->starts, 1);
    EXPECT_EQ(seen.windowOpens, 2);
    seen.input->say("bell");
    frontend.deliverPostedCommands();
    EXPECT_EQ(seen.phrases.size(), 3u);
    EXPECT_EQ(seen.sound->played.size(), 2u);
    rail.shutdown();
}

TEST(AssemblySpeech, WithoutTheComponentTheMenuCommandDoesNothing)
{
    TempDir dir;
    makeFolder(dir, 1);
    RecordingFrontend frontend;
    AssemblyParts parts;
    parts.programPath = dir.file("wait.vpr");
    VardoAssembly rail(frontend, dir.path(), std::move(parts));
    ASSERT_EQ(rail.start(), StartupOutcome::Started);
    EXPECT_EQ(rail.speech(), nullptr);
    EXPECT_TRUE(rail.handleCommand(cmd::SpeechRecognition));
    EXPECT_FALSE(rail.speechActive());
    EXPECT_FALSE(shown(frontend, common::msg::SpeechInitFailed));
    rail.shutdown();
}
