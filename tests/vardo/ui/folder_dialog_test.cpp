#include "common/profile.h"
#include "qt_app.h"
#include "temp_dir.h"
#include "ui_fixture.h"
#include "vardo/base/command_ids.h"
#include "vardo/ui/folder_dialog.h"
#include "vardo/ui/main_frame.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace vardo;
using namespace vardo::ui;

namespace {

// A folder browser that answers from a script and notes where it started.
class ScriptedChooser : public FolderChooser {
public:
    bool chooseFolder(const std::string& startFolder, std::string& chosen) override
    {
        starts.push_back(startFolder);
        if (answer.empty())
            return false;
        chosen = answer;
        return true;
    }
    std::string answer;
    std::vector<std::string> starts;
};

std::string key(const std::string& option, const char* name)
{
    return common::Profile::getString(option, "EVENT", name, "<absent>");
}

} // namespace

TEST(FolderSettingsForm, OpensWithTheStoredKeysBrowsesAndWritesOnOk)
{
    vardo::testing::TempDir dir;
    const std::string option = dir.file("option.ini");
    dir.write("option.ini",
              "[EVENT]\nPROGRAM_FOLDER=/old/programs\nFOLDER_SORT=1\nFOLDER_LOOP=0\n");
    ScriptedChooser chooser;
    FolderSettingsForm form(option, chooser);
    EXPECT_EQ(form.settings().folder, "/old/programs");
    EXPECT_TRUE(form.settings().randomOrder);
    EXPECT_FALSE(form.settings().loop);

    // Cancel in the browser keeps the folder; a choice replaces it.
    EXPECT_FALSE(form.browse());
    EXPECT_EQ(form.settings().folder, "/old/programs");
    chooser.answer = "/new/programs";
    EXPECT_TRUE(form.browse());
    EXPECT_EQ(form.settings().folder, "/new/programs");
    EXPECT_EQ(chooser.starts, (std::vector<std::string>{"/old/programs", "/old/programs"}));

    // Nothing is written before OK.
    EXPECT_EQ(key(option, "PROGRAM_FOLDER"), "/old/programs");
    form.setRandomOrder(false);
    form.setLoop(true);
    ASSERT_TRUE(form.accept());
    EXPECT_EQ(key(option, "PROGRAM_FOLDER"), "/new/programs");
    EXPECT_EQ(key(option, "FOLDER_SORT"), "0");
    EXPECT_EQ(key(option, "FOLDER_LOOP"), "1");
}

TEST(FolderSettingsForm, AbsentKeysOpenEmptyByNameOnce)
{
    vardo::testing::TempDir dir;
    ScriptedChooser chooser;
    FolderSettingsForm form(dir.file("option.ini"), chooser);
    EXPECT_EQ(form.settings().folder, "");
    EXPECT_FALSE(form.settings().randomOrder);
    EXPECT_FALSE(form.settings().loop);
}

TEST(FolderDialog, WidgetsShowTheFormAndOkTakesThem)
{
    ui_fixtures::qtApp();
    vardo::testing::TempDir dir;
    const std::string option = dir.file("option.ini");
    dir.write("option.ini", "[EVENT]\nPROGRAM_FOLDER=/a\nFOLDER_LOOP=1\n");
    ScriptedChooser chooser;
    chooser.answer = "/b";
    const bool written = runFolderSettings(option, chooser, nullptr, [](QDialog& d) {
        auto& dialog = static_cast<FolderDialog&>(d);
        EXPECT_EQ(dialog.windowTitle().toStdString(), "連続実行設定");
        EXPECT_EQ(dialog.folderEdit()->text().toStdString(), "/a");
        EXPECT_TRUE(dialog.nameOrderButton()->isChecked());
        EXPECT_FALSE(dialog.randomOrderButton()->isChecked());
        EXPECT_TRUE(dialog.loopBox()->isChecked());
        EXPECT_EQ(dialog.browseButton()->text().toStdString(), "参照");
        dialog.browseButton()->click();
        EXPECT_EQ(dialog.folderEdit()->text().toStdString(), "/b");
        dialog.randomOrderButton()->setChecked(true);
        dialog.loopBox()->setChecked(false);
        dialog.accept();
        return dialog.result();
    });
    EXPECT_TRUE(written);
    EXPECT_EQ(key(option, "PROGRAM_FOLDER"), "/b");
    EXPECT_EQ(key(option, "FOLDER_SORT"), "1");
    EXPECT_EQ(key(option, "FOLDER_LOOP"), "0");
}

TEST(FolderDialog, CancelWritesNothing)
{
    ui_fixtures::qtApp();
    vardo::testing::TempDir dir;
    const std::string option = dir.file("option.ini");
    ScriptedChooser chooser;
    const bool written = runFolderSettings(option, chooser, nullptr, [](QDialog& d) {
        auto& dialog = static_cast<FolderDialog&>(d);
        dialog.folderEdit()->setText("/typed");
        dialog.reject();
        return dialog.result();
    });
    EXPECT_FALSE(written);
    EXPECT_EQ(key(option, "PROGRAM_FOLDER"), "<absent>");
}

TEST(FolderDialog, TheMenuCommandOpensItOverTheFrame)
{
    ui_fixtures::ProgramFolder folder;
    ui_fixtures::qtApp();
    CMainFrame frame(folder.path(), "", std::make_unique<ui_fixtures::FakeBackend>());
    bool seen = false;
    // The dialog is modal: fill it in once it is up.
    QTimer::singleShot(0, [&seen] {
        auto* dialog = qobject_cast<FolderDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        seen = true;
        dialog->folderEdit()->setText("/from/menu");
        dialog->accept();
    });
    frame.onCommand(cmd::FolderRunSettings);
    EXPECT_TRUE(seen);
    EXPECT_EQ(key(folder.dir.file("option.ini"), "PROGRAM_FOLDER"), "/from/menu");
}
