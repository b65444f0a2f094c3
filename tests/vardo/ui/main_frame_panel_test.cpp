// The controller panel in the real main window: shown with the window,
// clicked with real mouse events, driving the simulated layout.
#include "common/profile.h"
#include "program_description.h"
#include "qt_app.h"
#include "ui_fixture.h"
#include "vardo/base/command_ids.h"
#include "vardo/base/controller_codes.h"
#include "vardo/panel/panel_painter.h"
#include "vardo/ui/main_frame.h"
#include "vardo/ui/panel_widget.h"

#include <QTest>
#include <gtest/gtest.h>

#include <thread>

using namespace vardo;
using namespace vardo::ui;

namespace {

// Runs the event loop until the condition holds, at most two seconds.
template <typename Condition> bool waitUntil(Condition done)
{
    for (int i = 0; i < 400 && !done(); ++i)
        QTest::qWait(5);
    return done();
}

// The window started on the test folder, in simulation, with its panel.
struct PanelWindow {
    explicit PanelWindow(const std::string& options = "", int points = 0) : folder(options)
    {
        ui_fixtures::qtApp();
        if (points > 0)
            writePoints(points);
        frame = std::make_unique<CMainFrame>(folder.path(), "",
                                             std::make_unique<ui_fixtures::FakeBackend>());
        frame->show();
        frame->startUp();
        for (int i = 0; i < 200 && !frame->session().simulation().running(); ++i)
            QTest::qWait(5);
        widget = frame->panelWidget();
    }
    ~PanelWindow() { frame->session().shutdown(); }

    panel::ControllerPanel& panel() { return frame->session().assembly().panel(); }
    Controller& controller() { return frame->session().controller(); }
    QPoint centreOf(int button) { return panel().skin().rect(button).center(); }
    void click(int button)
    {
        QTest::mouseMove(widget, centreOf(button));
        QTest::mouseClick(widget, Qt::LeftButton, {}, centreOf(button));
    }
    // A point of the panel's own background: no button, no handle, not cut away.
    QPoint background()
    {
        const QImage picture = panel::renderPanel(panel(), controller().state());
        for (int y = 4; y < picture.height(); y += 3)
            for (int x = 4; x < picture.width(); x += 3) {
                const QPoint p(x, y);
                if (panel().buttonAt(p) == -1 && !panel().overHandle(p) &&
                    QColor(picture.pixel(p)) != panel::kTransparentKey)
                    return p;
            }
        return {-1, -1};
    }

    // Points along the top of the oval, the first linked with the second.
    void writePoints(int count)
    {
        layoutdata::PointFile file;
        file.count = count;
        for (int k = 0; k < count; ++k) {
            file.records[size_t(k)].direction = 1;
            file.records[size_t(k)].number = uint8_t(k + 1);
            file.records[size_t(k)].x = 200 + 120 * k;
            file.records[size_t(k)].y = 72;
        }
        file.records[0].linked = 1;
        ASSERT_TRUE(layoutdata::writePointFile(folder.dir.file("layout/point.dat"), file));
    }

    ui_fixtures::ProgramFolder folder;
    std::unique_ptr<CMainFrame> frame;
    PanelWidget* widget = nullptr;
};

} // namespace

TEST(MainFramePanel, ShownAtTheLowerRightOfTheViewWithTheChosenSkin)
{
    PanelWindow w("[CONTROL]\nSKIN=3\n");
    ASSERT_NE(w.widget, nullptr);
    EXPECT_TRUE(w.widget->isVisible());
    EXPECT_EQ(w.panel().skin().number, 3);
    const MainView& view = w.frame->view();
    const QPoint corner = view.mapToGlobal(QPoint(view.width(), view.height()));
    const QPoint expected = corner - QPoint(w.widget->width(), w.widget->height());
    EXPECT_TRUE(waitUntil([&] { return w.widget->pos() == expected; }));
    EXPECT_EQ(w.widget->pos(), expected);
}

TEST(MainFramePanel, StartDirectionAndStopByClicks)
{
    PanelWindow w;
    ASSERT_NE(w.widget, nullptr);
    ASSERT_TRUE(w.frame->session().simulation().running());
    w.click(panel::role::Jog);
    EXPECT_TRUE(w.controller().state() & state::Running);
    const bool backward = w.controller().state() & state::Backward;
    w.click(panel::role::Backward);
    EXPECT_NE(bool(w.controller().state() & state::Backward), backward);
    w.click(panel::role::Jog);
    EXPECT_FALSE(w.controller().state() & state::Running);
}

TEST(MainFramePanel, APointButtonSwitchesThePointAndItsLinkedOneOnTheLayout)
{
    PanelWindow w("", 3);
    ASSERT_NE(w.widget, nullptr);
    layout::LayoutModel& model = w.frame->session().layout().model();
    ASSERT_EQ(model.pointCount(), 3);
    w.click(panel::role::Point1);
    EXPECT_TRUE(w.controller().state() & state::Point1);
    EXPECT_TRUE(w.controller().state() & (state::Point1 << 1)); // linked
    EXPECT_FALSE(w.controller().state() & (state::Point1 << 2));
    w.click(panel::role::Point1);
    EXPECT_FALSE(w.controller().state() & state::Point1);
}

TEST(MainFramePanel, TheAutomaticButtonRunsTheLoadedProgramInSimulation)
{
    PanelWindow w;
    ASSERT_NE(w.widget, nullptr);
    Program p;
    ASSERT_TRUE(mkprogram::parseDescription("Start\nTimer 0 60\n", p).ok);
    p.compact();
    w.frame->session().program() = p;
    w.click(panel::role::AutoLamp);
    EXPECT_TRUE(w.frame->session().operation().operating());
    EXPECT_TRUE(w.controller().state() & state::AutoLamp);
    // Pressed again it ends the operation.
    w.click(panel::role::AutoLamp);
    EXPECT_TRUE(w.frame->session().operation().waitForEnd(5000));
}

TEST(MainFramePanel, DraggedByItsBackgroundItMoves)
{
    PanelWindow w;
    ASSERT_NE(w.widget, nullptr);
    const QPoint from = w.background();
    ASSERT_NE(from, QPoint(-1, -1));
    const QPoint before = w.widget->pos();
    QTest::mousePress(w.widget, Qt::LeftButton, {}, from);
    QTest::mouseMove(w.widget, from + QPoint(-30, -20));
    // The window went along with the cursor: it is released over the same spot.
    QTest::mouseRelease(w.widget, Qt::LeftButton, {}, from);
    EXPECT_EQ(w.widget->pos(), before + QPoint(-30, -20));
}

TEST(MainFramePanel, ASpeedChangedOnAnotherThreadRepaintsThePanel)
{
    PanelWindow w;
    ASSERT_NE(w.widget, nullptr);
    // Paints already asked for are done before the count is taken.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    const int paints = w.widget->paintCount();
    const double angle = w.panel().jogAngle();
    std::thread worker([&] { w.frame->session().assembly().speed().change(0.3, 0); });
    worker.join();
    EXPECT_TRUE(waitUntil([&] { return w.widget->paintCount() > paints; }));
    EXPECT_NE(w.panel().jogAngle(), angle);
}

TEST(MainFramePanel, AStateChangeOnAWorkerIsPaintedThroughTheFrontend)
{
    PanelWindow w;
    ASSERT_NE(w.widget, nullptr);
    ASSERT_TRUE(waitUntil([&] { return w.widget->paintCount() > 0; }));
    ASSERT_FALSE(w.widget->paintedState() & state::AutoLamp);
    std::thread worker([&] { w.controller().performAction(ActionLampOn); });
    worker.join();
    EXPECT_TRUE(waitUntil([&] { return w.widget->paintedState() & state::AutoLamp; }));
}

TEST(MainFramePanel, ASkinCommandLoadsTheSkinAndResizesTheWindow)
{
    PanelWindow w;
    ASSERT_NE(w.widget, nullptr);
    w.frame->onCommand(cmd::Skin2);
    EXPECT_EQ(w.panel().skin().number, 2);
    EXPECT_EQ(w.widget->size(), w.panel().size());
    EXPECT_EQ(common::Profile::getInt(w.folder.dir.file("option.ini"), "CONTROL", "SKIN", 0), 2);
}
