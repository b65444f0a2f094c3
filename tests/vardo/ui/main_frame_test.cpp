#include "common/byte_io.h"
#include "common/profile.h"
#include "program_description.h"
#include "qt_app.h"
#include "ui_fixture.h"
#include "vardo/base/command_ids.h"
#include "vardo/operation/program_file.h"
#include "vardo/ui/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace vardo;
using namespace vardo::ui;

namespace {

std::unique_ptr<CMainFrame> makeFrame(const ui_fixtures::ProgramFolder& folder)
{
    ui_fixtures::qtApp();
    return std::make_unique<CMainFrame>(folder.path(), "",
                                        std::make_unique<ui_fixtures::FakeBackend>());
}

} // namespace

TEST(MainFrame, TitleMenusToolbarAndStatusPanes)
{
    ui_fixtures::ProgramFolder folder;
    auto frame = makeFrame(folder);
    EXPECT_EQ(frame->windowTitle().toStdString(), "VARDO Nゲージ自動列車運転システム");
    ASSERT_NE(frame->action(cmd::Exit), nullptr);
    EXPECT_EQ(frame->action(cmd::Exit)->text().toStdString(), "アプリケーションの終了(&X)");
    ASSERT_NE(frame->action(cmd::NoCamera), nullptr);
    EXPECT_EQ(frame->action(cmd::NoCamera)->text().toStdString(), "なし");
    EXPECT_EQ(frame->menuBar()->actions().size(), 6);
    std::vector<QAction*> buttons;
    for (QAction* a : frame->toolBar()->actions())
        if (!a->isSeparator())
            buttons.push_back(a);
    ASSERT_EQ(buttons.size(), 12u);
    EXPECT_EQ(buttons.front(), frame->action(cmd::NewProgram));
    EXPECT_EQ(buttons.back(), frame->action(cmd::Undo));
    EXPECT_EQ(buttons.front()->icon().availableSizes().value(0), QSize(16, 15));
    // One status pane with the message; no fixed lock-key labels.
    ASSERT_NE(frame->statusPane(), nullptr);
    EXPECT_EQ(frame->statusPane()->text().toStdString(), "レディ");
    for (QLabel* label : frame->statusBar()->findChildren<QLabel*>()) {
        const QString t = label->text();
        EXPECT_TRUE(t != "CAP" && t != "NUM" && t != "SCRL") << t.toStdString();
    }
    // Undo and unlink carry both of their accelerators.
    EXPECT_EQ(frame->action(cmd::Undo)->shortcuts().size(), 2);
    EXPECT_EQ(frame->action(cmd::Unlink)->shortcuts().size(), 2);
}

TEST(MainFrame, TitleBarCloseIsRefusedOnlyExitCloses)
{
    ui_fixtures::ProgramFolder folder;
    auto frame = makeFrame(folder);
    frame->show();
    EXPECT_FALSE(frame->windowFlags() & Qt::WindowCloseButtonHint);
    frame->close();
    EXPECT_TRUE(frame->isVisible());
    frame->startUp();
    frame->onCommand(cmd::Exit); // nothing modified: no question
    EXPECT_TRUE(frame->exiting());
    EXPECT_FALSE(frame->isVisible());
}

TEST(MainFrame, SimulationAndModeSwitchesResizeTheFrame)
{
    ui_fixtures::ProgramFolder folder("[CAPTURE]\nDEVICE=0\n");
    auto frame = makeFrame(folder);
    frame->show();
    frame->startUp();
    QCoreApplication::processEvents(); // the posted simulation command
    Session& s = frame->session();
    ASSERT_TRUE(s.simulation().running());
    EXPECT_TRUE(frame->action(cmd::Simulation)->isChecked());
    EXPECT_FALSE(frame->action(cmd::LiveImage)->isEnabled());
    EXPECT_GE(frame->view().width(), 640);
    EXPECT_GE(frame->view().height(), 480);
    // Disabled commands do nothing.
    frame->onCommand(cmd::LiveImage);
    EXPECT_EQ(s.display().mode(), DisplayMode::Layout);
    frame->onCommand(cmd::Simulation);
    EXPECT_FALSE(s.simulation().running());
    frame->onCommand(cmd::LiveImage);
    EXPECT_EQ(s.display().mode(), DisplayMode::Live);
    EXPECT_EQ(frame->view().minimumSize(), QSize(320, 240));
    EXPECT_TRUE(frame->action(cmd::LiveImage)->isChecked());
    // The debug menu of VARDO.ini gives the popup in its order.
    std::unique_ptr<QMenu> popup(frame->view().buildDisplayPopup());
    EXPECT_EQ(popup->actions().size(), 8);
    EXPECT_EQ(popup->actions()[0]->text().toStdString(), "ライブ画像");
    frame->onCommand(cmd::Exit);
}

TEST(MainFrame, TrainDisplaySettingsIsDisabledBeforeTheLayoutLoads)
{
    ui_fixtures::ProgramFolder folder;
    auto frame = makeFrame(folder);
    frame->updateActions();
    EXPECT_FALSE(frame->action(cmd::TrainDisplaySettings)->isEnabled());
    frame->startUp();
    frame->updateActions();
    EXPECT_TRUE(frame->action(cmd::TrainDisplaySettings)->isEnabled());
    frame->onCommand(cmd::Exit);
}

TEST(MainFrame, TrainDisplayKeepsTheStoredChoiceWhenPhotosFail)
{
    // A photograph that cannot be read: its message box is closed as it
    // comes up.
    ui_fixtures::ProgramFolder folder;
    const std::string option = folder.dir.file("option.ini");
    common::Profile::writeString(option, "LAYOUT", "TRAIN_TYPE", "0");
    common::Profile::writeString(option, "LAYOUT", "TRAIN_FILE1", "missing.bmp");
    auto frame = makeFrame(folder);
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (QWidget* w = QApplication::activeModalWidget())
            w->close();
    });
    closer.start(10);
    frame->startUp();
    closer.stop();
    layout::LayoutModel& model = frame->session().layout().model();
    EXPECT_EQ(model.figureType.load(), 1); // drawn as graphics
    EXPECT_EQ(model.trainType, 0);         // but photographs stay chosen

    // Cancel: the keys from before go back and nothing is written.
    const TrainDisplayKeys before{model.trainType, model.trainCount,
                                  model.trainConnect.load() != 0};
    frame->applyTrainDisplay(before, false);
    EXPECT_EQ(common::Profile::getString(option, "LAYOUT", "TRAIN_TYPE", ""), "0");
    EXPECT_FALSE(common::Profile::hasKey(option, "LAYOUT", "TRAIN_COUNT"));
    EXPECT_EQ(model.figureType.load(), 1);

    // OK writes what was chosen; photographs still fall back to graphics.
    frame->applyTrainDisplay({0, 2, false}, true);
    EXPECT_EQ(common::Profile::getString(option, "LAYOUT", "TRAIN_TYPE", ""), "0");
    EXPECT_EQ(common::Profile::getString(option, "LAYOUT", "TRAIN_COUNT", ""), "2");
    EXPECT_EQ(common::Profile::getString(option, "LAYOUT", "TRAIN_CONNECT", ""), "0");
    EXPECT_EQ(model.trainConnect.load(), 0);
    EXPECT_EQ(model.figureType.load(), 1);
    frame->applyTrainDisplay({1, 1, true}, true);
    EXPECT_EQ(common::Profile::getString(option, "LAYOUT", "TRAIN_TYPE", ""), "1");
    EXPECT_EQ(model.figureType.load(), 1);
}

TEST(MainFrame, TheFolderRunGoesOnToTheNextProgramTheControlLoopPosts)
{
    ui_fixtures::ProgramFolder folder;
    folder.dir.write("programs/.keep", "");
    for (const char* name : {"programs/a.vpr", "programs/b.vpr"}) {
        Program p;
        ASSERT_TRUE(mkprogram::parseDescription("Start\nEndOfOperation\n", p).ok);
        p.compact();
        ASSERT_TRUE(common::writeFileAtomic(folder.dir.file(name), serialiseProgram(p)));
    }
    common::Profile::writeString(folder.dir.file("option.ini"), "EVENT", "PROGRAM_FOLDER",
                                 folder.dir.file("programs"));
    auto frame = makeFrame(folder);
    frame->startUp();
    QCoreApplication::processEvents();
    FolderRun& run = frame->session().assembly().folderRun();
    frame->onCommand(cmd::FolderRun);
    EXPECT_EQ(run.runningIndex(), 0);
    // The first program ends; the loop posts the next one to the window.
    for (int i = 0; i < 1000 && run.runningIndex() != 1; ++i) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(run.runningIndex(), 1);
    frame->session().shutdown();
}

namespace {

class FiveCameraBackend : public ui_fixtures::FakeBackend {
public:
    std::vector<std::string> cameraNames() override { return {"c1", "c2", "c3", "c4", "c5"}; }
};

} // namespace

TEST(MainFrame, TheCameraMenuListsEveryCameraAndCommandsTheFirstFour)
{
    ui_fixtures::qtApp();
    ui_fixtures::ProgramFolder folder;
    common::Profile::writeString(folder.dir.file("option.ini"), "CAPTURE", "DEVICE", "0");
    CMainFrame frame(folder.path(), "", std::make_unique<FiveCameraBackend>());
    frame.startUp();
    QCoreApplication::processEvents();
    QMenu* menu = frame.cameraMenu();
    ASSERT_NE(menu, nullptr);
    emit menu->aboutToShow();
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), 6);
    EXPECT_EQ(items[0], frame.action(cmd::NoCamera));
    EXPECT_TRUE(items[0]->isChecked()); // the stored choice "none"
    EXPECT_EQ(items[4], frame.action(cmd::LastCamera));
    EXPECT_EQ(items[4]->text().toStdString(), "c4");
    // The fifth is only listed.
    EXPECT_EQ(items[5]->text().toStdString(), "c5");
    EXPECT_FALSE(items[5]->isEnabled());
    frame.onCommand(cmd::Exit);
}

TEST(MainFrame, MinusEWithoutACameraEndsInTheSimulatedLayoutDisplay)
{
    ui_fixtures::qtApp();
    ui_fixtures::ProgramFolder folder;
    common::Profile::writeString(folder.dir.file("option.ini"), "CAPTURE", "DEVICE", "0");
    CMainFrame frame(folder.path(), "-e", std::make_unique<ui_fixtures::FakeBackend>());
    frame.startUp();
    QCoreApplication::processEvents(); // the posted program, then the simulation
    Session& s = frame.session();
    EXPECT_TRUE(s.simulation().running());
    EXPECT_EQ(s.display().mode(), DisplayMode::Layout);
    frame.onCommand(cmd::Exit);
}
