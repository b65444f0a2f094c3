// The control side as detection sees it: state bits from the controller,
// the running program, the stop paths and the fixed answers of a system
// without outside programs or extended interface.
#include "program_description.h"
#include "recording_frontend.h"
#include "vardo/app/detection_host_impl.h"
#include "vardo/operation/sound_calls.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace {

struct Control {
    vardo::testing::RecordingFrontend frontend;
    vardo::TrainState trains;
    vardo::SoundCalls sounds;
    vardo::Controller controller{frontend, nullptr};
    vardo::SpeedControl speed{frontend, controller};
    vardo::Operation operation{frontend, controller, speed, trains, sounds, nullptr};
};

bool eventually(const std::function<bool()>& condition)
{
    for (int i = 0; i < 500; ++i) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

} // namespace

TEST(ControlDetectionHost, ReportsTheControllerState)
{
    Control c;
    vardo::ControlDetectionHost host(c.controller, c.operation, c.speed);
    EXPECT_EQ(host.controllerState() & vardo::state::Running, 0);
    host.performAction(vardo::ActionForward);
    EXPECT_NE(host.controllerState() & vardo::state::Running, 0);
    EXPECT_EQ(host.controllerState() & vardo::state::Backward, 0);
    EXPECT_EQ(host.controllerState(), c.controller.state());
    host.performAction(vardo::ActionStop);
    EXPECT_EQ(host.controllerState() & vardo::state::Running, 0);
}

TEST(ControlDetectionHost, EmergencyStopEndsTheRunningProgram)
{
    Control c;
    vardo::ControlDetectionHost host(c.controller, c.operation, c.speed);
    vardo::Program program;
    ASSERT_TRUE(mkprogram::parseDescription("Start\nTimer 0 60 0\nEndOfOperation\n", program).ok);
    program.compact();
    EXPECT_FALSE(host.programRunning());
    c.controller.simulation = true;
    ASSERT_TRUE(c.operation.startOperation(program));
    ASSERT_TRUE(eventually([&] { return host.programRunning(); }));
    host.stopOperation();
    ASSERT_TRUE(c.operation.waitForEnd(5000));
    EXPECT_FALSE(host.programRunning());
    EXPECT_EQ(c.operation.endReason(), vardo::EndReason::Emergency);
    c.operation.shutdown();
}

TEST(ControlDetectionHost, HooksAndTheRolesItGives)
{
    Control c;
    vardo::ControlDetectionHost bare(c.controller, c.operation, c.speed);
    EXPECT_FALSE(bare.videoRunning());
    EXPECT_FALSE(bare.simulationMode());
    EXPECT_FALSE(bare.speedControlEnabled());
    EXPECT_EQ(bare.displayMode(), vardo::vision::DisplayMode::Live);
    EXPECT_EQ(bare.displaySubMode(), vardo::vision::DisplaySubMode::Centroid);
    bare.setVideoRunning(true);
    EXPECT_TRUE(bare.videoRunning());
    // Only the view and the control side: no outside program, turntable
    // or parameter dialog is there to play the other roles.
    const vardo::vision::DetectionHost roles = bare.roles();
    EXPECT_EQ(&roles.frames, static_cast<vardo::vision::FrameGate*>(&bare));
    EXPECT_EQ(&roles.control, static_cast<vardo::vision::ControlSide*>(&bare));
    EXPECT_EQ(roles.positions, nullptr);
    EXPECT_EQ(roles.turntable, nullptr);
    EXPECT_EQ(roles.passPoints, nullptr);

    vardo::DetectionHostHooks hooks;
    hooks.simulationMode = [] { return true; };
    hooks.speedControlEnabled = [] { return true; };
    hooks.displayMode = [] { return vardo::vision::DisplayMode::Layout; };
    hooks.displaySubMode = [] { return vardo::vision::DisplaySubMode::Polygon; };
    vardo::ControlDetectionHost hooked(c.controller, c.operation, c.speed, hooks);
    EXPECT_TRUE(hooked.simulationMode());
    EXPECT_TRUE(hooked.speedControlEnabled());
    EXPECT_EQ(hooked.displayMode(), vardo::vision::DisplayMode::Layout);
    EXPECT_EQ(hooked.displaySubMode(), vardo::vision::DisplaySubMode::Polygon);
}
