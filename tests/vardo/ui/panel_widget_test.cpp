#include "qt_app.h"

#include "operation_rig.h"
#include "vardo/operation/control_loop.h"
#include "vardo/operation/controller_action.h"
#include "vardo/operation/speed_control.h"
#include "vardo/panel/controller_panel.h"
#include "vardo/ui/panel_widget.h"

#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

using namespace vardo;
using namespace vardo::panel;

namespace {

// Hands the controller's redraws to the widget, as the window's frontend does.
class RedrawingFrontend : public vardo::testing::RecordingFrontend {
public:
    void redrawPanel() override
    {
        RecordingFrontend::redrawPanel();
        if (widget.load())
            widget.load()->requestRedraw();
    }
    std::atomic<ui::PanelWidget*> widget{nullptr};
};

// A panel over the shipped skin 1 on a layout with two points, in
// simulation, with a program of one timer loaded.
struct WidgetRig {
    WidgetRig()
    {
        ui_fixtures::qtApp();
        layoutdata::PointFile points;
        points.count = 2;
        points.records[0] = {1, 0, 0, 1, 100, 100};
        points.records[1] = {1, 0, 0, 2, 200, 100};
        model.setPoints(points);
        controller.setPointSetter([](int, bool) {});
        controller.simulation = true;
        program.then(CommandKind::Timer, 0, 60, 0);
        services.speed = &speed;
        services.operation = &operation;
        services.program = &program.program;
        panel = std::make_unique<ControllerPanel>(controller, frontend, services);
        const char* data = std::getenv("VARDO_TEST_DATA");
        EXPECT_TRUE(data && panel->load(data, 1, 6));
        widget = std::make_unique<ui::PanelWidget>(*panel, controller);
        frontend.widget = widget.get();
        widget->move(100, 100);
        widget->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(widget.get()));
    }
    ~WidgetRig()
    {
        operation.shutdown();
        frontend.widget = nullptr;
    }
    void click(int b)
    {
        QTest::mouseClick(widget.get(), Qt::LeftButton, {}, panel->skin().rect(b).center());
    }

    RedrawingFrontend frontend;
    layout::LayoutModel model;
    TrainState trains;
    SoundCalls sounds;
    Controller controller{frontend, &model};
    SpeedControl speed{frontend, controller};
    Operation operation{frontend, controller, speed, trains, sounds, &model};
    optest::ProgramBuilder program;
    PanelServices services;
    std::unique_ptr<ControllerPanel> panel;
    std::unique_ptr<ui::PanelWidget> widget;
};

} // namespace

TEST(PanelWidget, ClicksDriveTheTrainPointsAndAutomaticOperation)
{
    WidgetRig r;
    r.click(2);
    EXPECT_TRUE(r.controller.running());
    EXPECT_FALSE(r.controller.backward());
    r.click(3);
    EXPECT_TRUE(r.controller.backward());
    r.click(4);
    EXPECT_EQ(r.controller.state() & state::Point1, state::Point1);
    // Point 3 does not exist on this layout: its button does not react.
    r.click(6);
    EXPECT_EQ(r.controller.state() & state::Point3, 0);
    r.click(8);
    EXPECT_TRUE(r.operation.operating());
    EXPECT_EQ(r.controller.state() & state::AutoLamp, state::AutoLamp);
    // While it runs the direction button is dead.
    const bool backward = r.controller.backward();
    r.click(3);
    EXPECT_EQ(r.controller.backward(), backward);
    r.click(8);
    EXPECT_TRUE(r.operation.waitForEnd(2000));
    EXPECT_EQ(r.controller.state() & state::AutoLamp, 0);
}

TEST(PanelWidget, DraggingTheBackgroundMovesThePanel)
{
    WidgetRig r;
    const QPoint start = r.widget->pos();
    const QPoint local(12, 120); // the body, clear of every button
    ASSERT_EQ(r.panel->buttonAt(local), -1);
    const QPoint global = r.widget->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(r.widget.get(), &press);
    EXPECT_EQ(r.panel->cursor(), PanelCursor::Move);
    const QPoint delta(-40, 25);
    QMouseEvent move(QEvent::MouseMove, local + delta, global + delta, Qt::NoButton, Qt::LeftButton,
                     {});
    QApplication::sendEvent(r.widget.get(), &move);
    QMouseEvent release(QEvent::MouseButtonRelease, local + delta, global + delta, Qt::LeftButton,
                        Qt::NoButton, {});
    QApplication::sendEvent(r.widget.get(), &release);
    EXPECT_EQ(r.widget->pos(), start + delta);
    EXPECT_FALSE(r.panel->dragging());
    EXPECT_FALSE(r.controller.running());
}

TEST(PanelWidget, RepaintsWhenAnotherThreadChangesTheState)
{
    WidgetRig r;
    // Paints already asked for are done before the count is taken.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    const int before = r.widget->paintCount();
    std::thread worker([&] { r.controller.performAction(ActionLampOn); });
    worker.join();
    // How soon it repaints is the benchmark's business; here only that it does.
    EXPECT_TRUE(QTest::qWaitFor([&] { return r.widget->paintCount() > before; }));
    // The panel masks away pure blue: its corner is not part of the window.
    EXPECT_FALSE(r.widget->mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(r.widget->mask().contains(QPoint(r.widget->width() / 2, r.widget->height() / 2)));
}
