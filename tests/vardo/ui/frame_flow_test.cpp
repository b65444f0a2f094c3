// Frames from a source thread of plain C++ through the window's session:
// detection places the car, the control loop waits for it at a track
// position, and the view hands the newest picture to the window. Under the
// thread sanitizer this run shows every hand-over on that path, with no
// uninstrumented library in between to hide one.
#include "circuit_source.h"
#include "common/byte_io.h"
#include "common/profile.h"
#include "program_description.h"
#include "qt_app.h"
#include "recording_frontend.h"
#include "ui_fixture.h"
#include "vardo/base/command_ids.h"
#include "vardo/operation/program_file.h"
#include "vardo/ui/session.h"
#include "vardo/vision/calibration_file.h"
#include "wait_until.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace vardo;
using namespace vardo::ui;
using vardo::testing::OvalVideo;

namespace {

// The folder's track is an ellipse about (320, 240), 250 by 170 wide.
constexpr int kTrackLeft = 70, kTrackMiddleY = 240;

OvalVideo circuit()
{
    OvalVideo video;
    video.lapFrames = 96;
    return video;
}

// The box the car's centre sweeps in the camera, mapped onto the track.
void writeCalibration(const std::string& path, const OvalVideo& v)
{
    vision::CalibrationRecord r;
    r.frameWidth = v.width;
    r.frameHeight = v.height;
    r.left = int(v.centreX() - v.radiusX());
    r.right = int(v.centreX() + v.radiusX());
    r.top = int(v.centreY() - v.radiusY());
    r.bottom = int(v.centreY() + v.radiusY());
    ASSERT_TRUE(common::writeFileAtomic(path, vision::encodeCalibrationFile(r)));
}

void writeProgram(const std::string& path, const std::string& description)
{
    Program p;
    const auto parsed = mkprogram::parseDescription(description, p);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    p.compact();
    ASSERT_TRUE(common::writeFileAtomic(path, serialiseProgram(p)));
}

// Where the car of frame `index` is drawn, top-down as the view shows it.
QPointF carCentre(const OvalVideo& v, int index)
{
    const double a = 2 * std::numbers::pi * (index % v.lapFrames) / v.lapFrames;
    // The car covers 12 pixels from 6 left of (and above) its centre.
    return {std::lround(v.centreX() + v.radiusX() * std::cos(a)) - 0.5,
            std::lround(v.centreY() + v.radiusY() * std::sin(a)) - 0.5};
}

// The mean of the car's pixels in a picture, and how many there are.
QPointF carInPicture(const QImage& picture, int& pixels)
{
    double x = 0, y = 0;
    pixels = 0;
    for (int row = 0; row < picture.height(); ++row)
        for (int col = 0; col < picture.width(); ++col)
            if (picture.pixelColor(col, row) == QColor(30, 30, 30)) {
                x += col;
                y += row;
                ++pixels;
            }
    return pixels == 0 ? QPointF() : QPointF(x / pixels, y / pixels);
}

} // namespace

TEST(FrameFlow, TheCarIsDetectedWaitedForAndShownFromTheSourcesThread)
{
    ui_fixtures::qtApp();
    const OvalVideo video = circuit();
    ui_fixtures::ProgramFolder folder("[CAPTURE]\nDEVICE=0\n");
    const std::string options = folder.dir.file("option.ini");
    writeCalibration(folder.dir.file("circuit.clb"), video);
    common::Profile::writeString(options, "CALIBRATION", "FILE_PATH", folder.dir.file("circuit.clb"));
    // The program waits for the car at the left end of the track.
    writeProgram(folder.dir.file("wait.vpr"), "Start\nPositionWait 3 " + std::to_string(kTrackLeft) +
                                                  " " + std::to_string(kTrackMiddleY) +
                                                  "\nEndOfOperation\n");
    common::Profile::writeString(options, "EVENT", "FILE_NAME", folder.dir.file("wait.vpr"));

    vardo::testing::RecordingFrontend frontend;
    auto backend = std::make_unique<ui_fixtures::CircuitBackend>(video);
    const std::shared_ptr<ui_fixtures::CircuitSource*> source = backend->lastSource;
    SessionParts parts;
    parts.videoBackend = std::move(backend);
    std::atomic<int> framesReady{0};
    SessionHooks hooks;
    hooks.frameReady = [&] { ++framesReady; };
    Session s(frontend, folder.path(), std::move(parts), hooks);
    frontend.setCommandHandler([&](int id) {
        if (id == cmd::Simulation)
            s.simulationCommand();
    });
    ASSERT_EQ(s.start(""), StartupOutcome::Started);
    frontend.deliverPostedCommands();
    ASSERT_TRUE(s.assembly().programLoaded());
    ASSERT_TRUE(s.calibration().calibrated());

    ASSERT_TRUE(s.openVideoFile("circuit.avi"));
    ASSERT_NE(*source, nullptr);
    ASSERT_FALSE(s.simulation().running());
    ASSERT_EQ(s.display().mode(), DisplayMode::Live);

    // Detection follows the car to the right half of the track first, so
    // the program below has to wait for it to come round.
    auto position = [&] { return s.trains().position(s.trains().current.load()); };
    ASSERT_TRUE(vardo::testing::waitUntil([&] { return position().x > 450; }));
    s.assembly().autoOperationCommand();
    ASSERT_TRUE(s.operation().waitForEnd(int(vardo::testing::kEventLimit.count())));
    EXPECT_EQ(s.operation().endReason(), EndReason::Program);

    // Once the source is stopped the window holds the picture of the last
    // frame the source delivered, not an older one.
    ASSERT_TRUE(s.video().stopGraph(true));
    const int last = (*source)->lastDelivered();
    ASSERT_GT(last, 0);
    EXPECT_GT(framesReady.load(), 0);
    s.frames().withFront([&](const QImage& picture) {
        int pixels = 0;
        const QPointF car = carInPicture(picture, pixels);
        EXPECT_GE(pixels, 72); // half of its 144 at least: the detection cross covers some
        const QPointF expected = carCentre(video, last);
        EXPECT_NEAR(car.x(), expected.x(), 2) << "frame " << last;
        EXPECT_NEAR(car.y(), expected.y(), 2) << "frame " << last;
    });
    s.shutdown();
}
