#include "operation_rig.h"
#include "vardo/base/settings.h"
#include "vardo/operation/speech_session.h"
#include "vardo/operation/speech_settings_editor.h"

#include "temp_dir.h"

#include <gtest/gtest.h>

using namespace vardo;
using optest::Rig;

namespace {

class RecordingTurntable : public TurntableButtons {
public:
    void pressTurntableToggle() override { presses.push_back(0); }
    void pressTurntableTrack(int track) override { presses.push_back(track); }
    std::vector<int> presses;
};

class RecordingWindow : public SpeechWindow {
public:
    void open() override { ++opens; }
    void showPhrase(const std::string& text) override { shown.push_back(text); }
    int opens = 0;
    std::vector<std::string> shown;
};

// An input that opens or fails as told and hands its queue to the test.
class FakeInput : public SpeechInput {
public:
    bool start(const std::vector<std::string>& keywords, SpeechEventQueue& queue,
               std::string& error) override
    {
        ++starts;
        heard = keywords;
        queue_ = &queue;
        error = "no microphone";
        return works;
    }
    void say(const std::string& phrase)
    {
        queue_->push({SpeechEvent::Kind::SoundStart, {}, true, 0});
        queue_->push({SpeechEvent::Kind::Recognition, phrase, true, 0});
        queue_->push({SpeechEvent::Kind::SoundEnd, {}, true, 0});
    }
    bool works = true;
    int starts = 0;
    std::vector<std::string> heard;
    SpeechEventQueue* queue_ = nullptr;
};

struct SpeechRig {
    SpeechRig(bool siding = false, bool coupled = false) : rig(200, siding, coupled)
    {
        dir.write("VARDO.ini", "[SPEECH]\nWORD1=停止,前進,後進,\nWORD2=A,B,\nWORD3=C,D\n");
        dir.write("option.ini", "[SPEECH]\nCOMMAND0=stop\nCOMMAND1=go forward, ahead\n"
                                "COMMAND2=go back\nCOMMAND3=point one straight\n"
                                "COMMAND4=point one branch\nCOMMAND11=finish\n"
                                "COMMAND12=start program\nCOMMAND13=turntable\n"
                                "COMMAND15=track two\nCOMMAND19=bell\nCOMMAND20=go\n");
        rig.controller.simulation = true;
        session.setInput(&input);
        session.setWindow(&window);
        SpeechTargets t;
        t.controller = &rig.controller;
        t.operation = &rig.operation;
        t.frontend = &rig.frontend;
        t.turntable = &turntable;
        t.sound = &rig.sound;
        t.program = [this] { return &program.program; };
        t.autoContext = [] { return AutoButtonContext{}; };
        session.setTargets(t);
        session.setPhraseObserver([this](const std::string&, int c) { commands.push_back(c); });
        program.then(CommandKind::Timer, 0, 60, 0);
    }
    void say(const std::string& phrase)
    {
        input.say(phrase);
        session.handleEvents();
    }

    vardo::testing::TempDir dir;
    Rig rig;
    Settings settings{dir.file("VARDO.ini"), dir.file("option.ini")};
    FakeInput input;
    RecordingWindow window;
    RecordingTurntable turntable;
    optest::ProgramBuilder program;
    SpeechSession session{settings, rig.frontend};
    std::vector<int> commands;
};

} // namespace

TEST(SpeechMatching, LowestCommandAndStoredOrderWin)
{
    SpeechKeywords k;
    k.set(1, {"forward", "ahead"});
    k.set(2, {"back"});
    k.set(5, {"go"});
    k.set(7, {"go forward"});
    // Two commands' keywords in one phrase: the lower index runs.
    EXPECT_EQ(k.match("back and forward "), 1);
    // "go" (5) is part of "go forward" (7) and comes first.
    EXPECT_EQ(k.match("go forward "), 1);
    k.set(1, {});
    EXPECT_EQ(k.match("go forward "), 5);
    EXPECT_EQ(k.match("GO "), 5);
    EXPECT_EQ(k.match("nothing here "), -1);
    EXPECT_EQ(k.match(""), -1);
}

TEST(SpeechMatching, KeywordListsAndCommandNames)
{
    EXPECT_EQ(splitKeywords(" stop, halt ,,  "), (std::vector<std::string>{"stop", "halt"}));
    EXPECT_TRUE(splitKeywords("").empty());
    EXPECT_EQ(joinKeywords({"a b", "c"}), "a b,c");
    // A name counts only when a comma follows it.
    EXPECT_EQ(parseCommandNames("停止,前進,"), (std::vector<std::string>{"停止", "前進"}));
    EXPECT_EQ(parseCommandNames("C,D"), (std::vector<std::string>{"C"}));
    EXPECT_TRUE(parseCommandNames("E").empty());
    SpeechRig r;
    EXPECT_EQ(readCommandNames(r.settings),
              (std::vector<std::string>{"停止", "前進", "後進", "A", "B", "C"}));
}

TEST(SpeechCommands, ActionsPointsTurntableAndSounds)
{
    SpeechRig r;
    ASSERT_TRUE(r.session.start());
    EXPECT_EQ(r.input.starts, 1);
    r.say("please go forward");
    EXPECT_TRUE(r.rig.controller.running());
    r.say("go back");
    EXPECT_TRUE(r.rig.controller.backward());
    r.say("stop now");
    EXPECT_FALSE(r.rig.controller.running());
    r.say("turntable");
    r.say("track two");
    EXPECT_EQ(r.turntable.presses, (std::vector<int>{0, 2}));
    r.say("bell");
    EXPECT_EQ(r.rig.sound.calls, (std::vector<std::string>{"play 1"}));
    r.say("weather");
    EXPECT_EQ(r.commands, (std::vector<int>{1, 2, 0, 13, 15, 19, -1}));
    // The window shows each phrase with one blank after it.
    EXPECT_EQ(r.session.lastPhrase(), "weather ");
}

TEST(SpeechCommands, LinkedPointFollowsWithoutSending)
{
    SpeechRig r(true, true);
    r.rig.controller.simulation = false;
    ASSERT_TRUE(r.session.start());
    r.say("point one branch");
    EXPECT_TRUE(r.rig.branch(0));
    EXPECT_TRUE(r.rig.branch(1));
    // Only the spoken point goes to the board.
    EXPECT_EQ(r.rig.devices.actions, (std::vector<int>{ActionPoint1Branch}));
    SpeechRig alone(true, false);
    ASSERT_TRUE(alone.session.start());
    alone.say("point one branch");
    EXPECT_TRUE(alone.rig.branch(0));
    EXPECT_FALSE(alone.rig.controller.state() & state::Point2);
}

TEST(SpeechCommands, StopWithLampOnEndsAutomaticOperation)
{
    SpeechRig r;
    ASSERT_TRUE(r.session.start());
    r.say("start program");
    ASSERT_TRUE(r.rig.operation.operating());
    EXPECT_TRUE(r.rig.controller.state() & state::AutoLamp);
    r.say("stop");
    EXPECT_TRUE(r.rig.operation.waitForEnd(2000));
    EXPECT_FALSE(r.rig.controller.state() & state::AutoLamp);
    // Without a folder run nothing is asked.
    EXPECT_TRUE(r.rig.frontend.questions().empty());
    r.say("start program");
    ASSERT_TRUE(r.rig.operation.operating());
    r.say("finish");
    EXPECT_TRUE(r.rig.operation.waitForEnd(2000));
}

TEST(SpeechCommands, SpokenStartIsRefusedLikeTheButton)
{
    SpeechRig r;
    r.rig.controller.simulation = false;
    ASSERT_TRUE(r.session.start());
    r.say("start program");
    EXPECT_FALSE(r.rig.operation.operating());
    ASSERT_EQ(r.rig.frontend.messageTexts().size(), 1u);
    EXPECT_EQ(r.rig.frontend.messageTexts()[0],
              "キャリブレーションがされていませんので自動運転ができません");
}

TEST(SpeechSessionState, EndedSessionIgnoresPhrasesUntilStartedAgain)
{
    SpeechRig r;
    ASSERT_TRUE(r.session.start());
    r.session.stop(); // 終了
    r.say("go forward");
    EXPECT_FALSE(r.rig.controller.running());
    EXPECT_TRUE(r.commands.empty());
    ASSERT_TRUE(r.session.start()); // the menu command
    EXPECT_EQ(r.input.starts, 1);   // the recogniser is started once
    EXPECT_EQ(r.window.opens, 2);
    r.say("go forward");
    EXPECT_TRUE(r.rig.controller.running());
}

TEST(SpeechSessionState, SoundWithoutRecognitionEmptiesTheWindow)
{
    SpeechRig r;
    ASSERT_TRUE(r.session.start());
    r.say("bell");
    r.input.queue_->push({SpeechEvent::Kind::SoundStart, {}, true, 0});
    r.input.queue_->push({SpeechEvent::Kind::SoundEnd, {}, true, 0});
    r.session.handleEvents();
    EXPECT_EQ(r.window.shown, (std::vector<std::string>{"bell ", ""}));
    // A phrase whose text cannot be read is shown and matched as a marker.
    r.input.queue_->push({SpeechEvent::Kind::Recognition, "", false, 0});
    r.session.handleEvents();
    EXPECT_EQ(r.session.lastPhrase(), "<Unrecognized> ");
}

TEST(SpeechSessionState, FailedStartShowsMessage220AndGoesOn)
{
    SpeechRig r;
    r.input.works = false;
    EXPECT_FALSE(r.session.start());
    EXPECT_FALSE(r.session.active());
    ASSERT_EQ(r.rig.frontend.messageTexts().size(), 1u);
    EXPECT_EQ(r.rig.frontend.messageTexts()[0],
              "音声認識の初期化に失敗しました\nコントロールパネルの音声認識が正しくセットアップされ"
              "ているか確認してください");
    EXPECT_EQ(r.window.opens, 0);
    // The rest of the system still takes commands.
    EXPECT_TRUE(r.rig.controller.performAction(ActionForward));
}

TEST(SpeechSettings, EmptyFieldKeepsTheStoredValue)
{
    SpeechRig r;
    r.session.keywords().load(r.settings);
    SpeechSettingsEditor editor(r.settings, r.session.keywords());
    EXPECT_EQ(editor.commandNames().size(), 6u);
    EXPECT_FALSE(editor.enableAtStart());
    EXPECT_EQ(editor.field(), "stop");
    editor.select(1);
    EXPECT_EQ(editor.field(), "go forward,ahead");
    editor.setField("onward,go on");
    editor.select(2);
    EXPECT_EQ(r.settings.getString(SettingId::SpeechCommand, 1), "onward,go on");
    EXPECT_EQ(r.session.keywords().words(1), (std::vector<std::string>{"onward", "go on"}));
    editor.setField("");
    editor.select(0);
    // The command has no keywords for this run; the file keeps its value.
    EXPECT_TRUE(r.session.keywords().words(2).empty());
    EXPECT_EQ(r.settings.getString(SettingId::SpeechCommand, 2), "go back");
    editor.setEnableAtStart(true);
    editor.setField("halt");
    EXPECT_TRUE(editor.accept());
    EXPECT_EQ(r.settings.getInt(SettingId::SpeechEnable), 1);
    EXPECT_EQ(r.settings.getString(SettingId::SpeechCommand, 0), "halt");
}
