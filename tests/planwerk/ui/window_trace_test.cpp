// A user's session with the real window: on the generated photograph of the
// sample layout, trace a small outer loop with one curve and a siding with
// its turnout by mouse, save, export, and let Vardo's loader judge the
// export.
#include "editor_fixture.h"
#include "qt_app.h"

#include "planwerk/ui/layout_view.h"
#include "planwerk/ui/main_frame.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QTest>

#include <sys/wait.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>

namespace planwerk::ui {
namespace {

namespace fs = std::filesystem;
using planwerk::testing::TempFolder;

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The loop's k-th of eight vertices on the photograph's outer ellipse.
QPoint loopVertex(int k)
{
    double t = k * std::numbers::pi / 4;
    return {int(std::lround(320 + 250 * std::cos(t))), int(std::lround(240 + 170 * std::sin(t)))};
}

class WindowTraceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing::qtApp();
        std::string bin = VARDO_BIN_DIR;
        fs::create_directories(home.file("planwerk"));
        fs::copy_file(bin + "/Planwerk.ini", home.file("Planwerk.ini"));
        fs::copy_file(bin + "/planwerk/picture.bmp", home.file("planwerk/picture.bmp"));
        frame = std::make_unique<MainFrame>(home.path());
        frame->hooks.message = [this](const std::string& text, common::Icon) {
            messages.push_back(text);
        };
        frame->hooks.ask = [this](const std::string& text, Buttons, Answer) {
            questions.push_back(text);
            return Answer::Yes;
        };
        frame->hooks.chooseSaveFile = [] { return std::optional<std::string>(); };
        frame->hooks.pointDialog = [this](PointDialogValues& v) {
            dialogs.push_back(v);
            v.direction = 0; // the siding branches off running forward
            return true;
        };
        // Picks the pop-up item named in `choice`, greyed items never.
        frame->hooks.popup = [this](QMenu& menu) -> QAction* {
            for (QAction* a : menu.actions())
                if (a->text().toStdString() == choice)
                    return a;
            ADD_FAILURE() << "no pop-up item " << choice;
            return nullptr;
        };
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        ASSERT_TRUE(frame->start());
    }

    void click(QPoint p) { QTest::mouseClick(frame->view(), Qt::LeftButton, {}, p); }
    void popup(QPoint p, const std::string& item)
    {
        choice = item;
        QTest::mouseClick(frame->view(), Qt::RightButton, {}, p);
    }

    TempFolder home;
    TempFolder files;
    std::unique_ptr<MainFrame> frame;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<PointDialogValues> dialogs;
    std::string choice;
};

TEST_F(WindowTraceTest, MouseTraceSavesExportsAndLoadsInVardo)
{
    // The outer loop: eight clicks, the right-hand vertex made a curve.
    frame->action(MenuId::OuterLoopMode)->trigger();
    for (int k = 0; k < 8; ++k)
        click(loopVertex(k));
    ASSERT_EQ(frame->editor().row(0).count(), 8);
    popup(loopVertex(0), "曲線設定");
    const VertexRow& outer = frame->editor().row(0);
    int curves = 0;
    for (int i = 0; i < outer.count(); ++i)
        curves += outer[i].curveX >= 0 ? 1 : 0;
    EXPECT_GT(curves, 0);

    // A siding from a turnout on the upper-left side of the loop, inwards.
    frame->action(MenuId::SidingsMode)->trigger();
    QPoint a = loopVertex(4), b = loopVertex(5);
    QPoint turnout(a.x() + (b.x() - a.x()) * 2 / 5, a.y() + (b.y() - a.y()) * 2 / 5);
    popup(turnout, "ポイント作成");
    ASSERT_EQ(dialogs.size(), 1u);
    for (QPoint p : {QPoint(140, 178), QPoint(180, 168), QPoint(220, 164)})
        click(p);
    ASSERT_EQ(frame->editor().row(1).count(), 4);
    EXPECT_EQ(frame->editor().row(1)[0].pointMark, 1);

    frame->runCommand(MenuId::Save);
    EXPECT_TRUE(fs::exists(home.file("planwerk/layout.dat")));
    frame->runCommand(MenuId::Export);
    EXPECT_TRUE(messages.empty()) << messages.front();
    ASSERT_TRUE(fs::exists(home.file("layout/point.dat")));

    std::string out = files.file("out.json"), err = files.file("err.txt");
    std::string command = std::string("VARDO_HOME='") + home.path() + "' '" + VARDO_RUN_PATH +
                          "' check-layout '" + home.file("layout") + "' --json >'" + out + "' 2>'" +
                          err + "' </dev/null";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0) << readText(err);
    QJsonObject layout = QJsonDocument::fromJson(QByteArray::fromStdString(readText(out))).object();
    EXPECT_TRUE(layout["messages"].toArray().isEmpty()) << readText(out);
    EXPECT_EQ(layout["polylines"].toInt(), 2) << readText(out);
    ASSERT_EQ(layout["points"].toArray().size(), 1) << readText(out);
}

} // namespace
} // namespace planwerk::ui
