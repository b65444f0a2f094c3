// The sound settings window on the offscreen platform: the list as shown,
// the buttons' states, add/delete/move through the buttons, OK and Cancel
// on option.ini, and test play in slot 0 through the real engine.
#include "../devices/sound_rig.h"
#include "qt_app.h"
#include "vardo/ui/sound_dialog.h"

#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace soundtest;
using vardo::ui::SoundDialog;

namespace {

QPushButton* button(SoundDialog& d, const char* text)
{
    for (auto* b : d.findChildren<QPushButton*>()) {
        if (b->text() == QString::fromUtf8(text))
            return b;
    }
    ADD_FAILURE() << "no button " << text;
    return nullptr;
}

QListWidget* listBox(SoundDialog& d)
{
    return d.findChild<QListWidget*>();
}

std::vector<std::string> rows(SoundDialog& d)
{
    std::vector<std::string> v;
    for (int i = 0; i < listBox(d)->count(); ++i)
        v.push_back(listBox(d)->item(i)->text().toStdString());
    return v;
}

} // namespace

TEST(SoundDialog, ShowsTheListAndEnablesButtonsBySelection)
{
    ui_fixtures::qtApp();
    SoundRig rig({"bell.wav", "/snd/horn.wav", "tune.mid"});
    SoundDialog d(*rig.settings, nullptr, rig.frontend, rig.dir.path());
    EXPECT_EQ(d.windowTitle().toStdString(), "サウンドファイルの設定");
    EXPECT_EQ(rows(d), (std::vector<std::string>{"1:bell.wav", "2:horn.wav", "3:tune.mid"}));
    EXPECT_TRUE(button(d, "追加")->isEnabled());
    EXPECT_FALSE(button(d, "削除")->isEnabled());
    EXPECT_FALSE(button(d, "テスト再生")->isEnabled());
    listBox(d)->setCurrentRow(0);
    EXPECT_TRUE(button(d, "削除")->isEnabled());
    EXPECT_TRUE(button(d, "停止")->isEnabled());
    EXPECT_FALSE(button(d, "上に移動")->isEnabled());
    EXPECT_TRUE(button(d, "下に移動")->isEnabled());
    listBox(d)->setCurrentRow(2);
    EXPECT_TRUE(button(d, "上に移動")->isEnabled());
    EXPECT_FALSE(button(d, "下に移動")->isEnabled());
    EXPECT_NE(button(d, "キャンセル"), nullptr);
}

TEST(SoundDialog, EditsAreWrittenOnOk)
{
    ui_fixtures::qtApp();
    SoundRig rig({"a.wav", "b.wav", "c.wav"});
    SoundDialog d(*rig.settings, nullptr, rig.frontend, rig.dir.path());
    d.setFileChooser([](QWidget*) { return std::string("/music/new.mid"); });
    button(d, "追加")->click();
    EXPECT_EQ(listBox(d)->currentRow(), 3);
    listBox(d)->setCurrentRow(0);
    button(d, "削除")->click(); // a goes, the rest move up
    listBox(d)->setCurrentRow(2);
    button(d, "上に移動")->click(); // new.mid before c.wav
    EXPECT_EQ(listBox(d)->currentRow(), 1);
    EXPECT_EQ(rows(d), (std::vector<std::string>{"1:b.wav", "2:new.mid", "3:c.wav"}));
    // Nothing is written before OK.
    EXPECT_EQ(rig.settings->soundFile(1), "a.wav");
    d.accept();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(rig.settings->soundFile(1), "b.wav");
    EXPECT_EQ(rig.settings->soundFile(2), "/music/new.mid");
    EXPECT_EQ(rig.settings->soundFile(3), "c.wav");
    EXPECT_EQ(rig.settings->soundFile(4), "");
    EXPECT_TRUE(rig.frontend.messages().empty());
}

TEST(SoundDialog, CancelKeepsTheKeys)
{
    ui_fixtures::qtApp();
    SoundRig rig({"a.wav", "b.wav"});
    SoundDialog d(*rig.settings, nullptr, rig.frontend, rig.dir.path());
    listBox(d)->setCurrentRow(0);
    button(d, "削除")->click();
    button(d, "削除")->click();
    EXPECT_TRUE(rows(d).empty());
    d.reject();
    EXPECT_EQ(rig.settings->soundFile(1), "a.wav");
    EXPECT_EQ(rig.settings->soundFile(2), "b.wav");
}

TEST(SoundDialog, FullListRefusesWithTheRestartMessage)
{
    ui_fixtures::qtApp();
    std::vector<std::string> values;
    for (int i = 1; i <= 16; ++i)
        values.push_back("s" + std::to_string(i) + ".wav");
    SoundRig rig(values); // 16 files: 32 slots
    SoundDialog d(*rig.settings, nullptr, rig.frontend, rig.dir.path());
    int asked = 0;
    d.setFileChooser([&](QWidget*) { return "/x/" + std::to_string(++asked) + ".wav"; });
    for (int i = 0; i < 17; ++i)
        button(d, "追加")->click();
    EXPECT_EQ(asked, 16);
    EXPECT_EQ(listBox(d)->count(), 32);
    EXPECT_EQ(
        rig.frontend.messageTexts(),
        std::vector<std::string>{"これ以上サウンドファイルを追加する場合はサウンドファイルの設定を"
                                 "更新した後、VARDOを一度終了してください。"});
}

TEST(SoundDialog, TestPlayUsesTheScratchSlotAndMovesUnload)
{
    ui_fixtures::qtApp();
    SoundRig rig({"a.wav", "b.wav"});
    rig.addSound("a.wav", sineWav(2000));
    rig.addSound("b.wav", sineWav(2000, 660));
    auto& engine = rig.start();
    ASSERT_TRUE(rig.started);
    ASSERT_EQ(engine.PrepareSound(1), 0);
    ASSERT_EQ(engine.PlaySound(1, true), 0);
    SoundDialog d(*rig.settings, &engine, rig.frontend, rig.dir.path());
    listBox(d)->setCurrentRow(1);
    button(d, "テスト再生")->click();
    EXPECT_TRUE(engine.isPlaying(0));
    button(d, "停止")->click();
    EXPECT_FALSE(engine.isPlaying(0));
    // Moving b above a unloads number 1: its old sound stops with it.
    button(d, "上に移動")->click();
    EXPECT_FALSE(engine.isPlaying(1));
    button(d, "テスト再生")->click();
    d.accept(); // OK stops the test play
    EXPECT_FALSE(engine.isPlaying(0));
    EXPECT_EQ(rig.settings->soundFile(1), "b.wav");
    // The number plays its new file from now on.
    EXPECT_EQ(engine.PlaySound(1, false), 0);
    EXPECT_TRUE(engine.isPlaying(1));
    EXPECT_TRUE(rig.frontend.messages().empty());
}
