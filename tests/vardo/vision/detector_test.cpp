// The detector fed with synthetic frames: what moved, where the train is,
// and the stops and signals that follow.
#include "detector_rig.h"

#include "common/bmp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

using namespace vision_fixtures;
using namespace vardo::vision;

namespace {

bool isTrackPosition(const vardo::layout::LayoutModel& m, Point p)
{
    const auto& all = m.track().positions();
    return std::find(all.begin(), all.end(), p) != all.end();
}

} // namespace

TEST(DetectorFrames, StillSceneFindsNothingAndKeepsThePosition)
{
    DetectorRig rig;
    Frame still(320, 240);
    still.fill(100, 100, 30, 30);
    for (int i = 0; i < 4; ++i)
        rig.feed(still);
    EXPECT_EQ(rig.detector->analysisCount(), 3u);
    EXPECT_EQ(rig.detector->polygonCount(), 0);
    EXPECT_EQ(rig.detector->objectCentroid(), kNoCentroid);
    EXPECT_EQ(rig.position(), (Point{vardo::kUnknownPosition, vardo::kUnknownPosition}));
    EXPECT_EQ(rig.train.nearest.load(), -1);
}

TEST(DetectorFrames, NoAnalysisWhileStoppedSimulatedOrEditing)
{
    DetectorRig rig;
    Frame f(320, 240);
    rig.host.video = false;
    rig.feed(f);
    rig.feed(f);
    rig.host.video = true;
    rig.host.simulation = true;
    rig.feed(f);
    rig.feed(f);
    rig.host.simulation = false;
    rig.host.mode = DisplayMode::ProgramEditor;
    rig.feed(f);
    rig.feed(f);
    EXPECT_EQ(rig.detector->frameWidth(), 0); // not even a first frame
    rig.host.program = true;                  // the editor shows, but a program runs
    rig.feed(f);
    rig.feed(f);
    EXPECT_EQ(rig.detector->analysisCount(), 1u);
}

TEST(DetectorFrames, BufferOfTheWrongLengthIsIgnored)
{
    DetectorRig rig;
    Frame f(320, 240);
    rig.feed(f);
    std::vector<uint8_t> shortFrame(f.bytes.begin(), f.bytes.end() - 3);
    rig.detector->AnalyzeFrame(shortFrame, 320, 240);
    rig.detector->AnalyzeFrame(f.bytes, 320, 241);
    EXPECT_EQ(rig.detector->analysisCount(), 0u);
    EXPECT_EQ(rig.detector->frameHeight(), 240);
}

TEST(DetectorFrames, SpecksThinBlobsAndThreeByThreeGiveNoPolygon)
{
    DetectorRig rig;
    Frame blank(320, 240), changed(320, 240);
    changed.fill(50, 50, 1, 1);
    changed.fill(80, 60, 40, 2);
    changed.fill(150, 30, 2, 50);
    changed.fill(200, 200, 3, 3);
    rig.feed(blank);
    rig.feed(changed);
    EXPECT_EQ(rig.detector->analysisCount(), 1u);
    EXPECT_EQ(rig.detector->polygonCount(), 0);
    EXPECT_EQ(rig.detector->objectCentroid(), kNoCentroid);
    // The 3x3 square left one isolated pixel behind, marked as such.
    const auto& diff = rig.detector->difference();
    EXPECT_EQ(std::count(diff.begin(), diff.end(), kIsolatedMark), 1);
    EXPECT_EQ(diff[size_t(240 - 1 - 201) * 320 + 201], kIsolatedMark);
}

TEST(DetectorFrames, DiffLevel100ChangesEveryPixel)
{
    DetectorRig rig;
    rig.configure([](DetectorSettings& s) { s.diffLevel = 100; });
    Frame f(320, 240);
    rig.feed(f);
    rig.feed(f);
    ASSERT_EQ(rig.detector->polygonCount(), 1);
    const PolygonSet& p = rig.detector->result().polygons;
    int minX = 999, maxX = -1, minY = 999, maxY = -1;
    for (int i = 0; i < p.vertexTotal; ++i) {
        minX = std::min(minX, p.vertices[size_t(i)].x);
        maxX = std::max(maxX, p.vertices[size_t(i)].x);
        minY = std::min(minY, p.vertices[size_t(i)].y);
        maxY = std::max(maxY, p.vertices[size_t(i)].y);
    }
    EXPECT_EQ(minX, 2);
    EXPECT_EQ(maxX, 317);
    EXPECT_EQ(minY, 2);
    EXPECT_EQ(maxY, 237);
    const Point c = rig.detector->objectCentroid();
    EXPECT_NEAR(c.x, 159.5, 1.0);
    EXPECT_NEAR(c.y, 119.5, 1.0);
}

TEST(DetectorFrames, CompareFrame3AnalysesEveryThirdFrameAgainstTheThirdBefore)
{
    DetectorRig rig;
    rig.configure([](DetectorSettings& s) { s.compareFrame = 3; });
    Frame blank(320, 240), a(320, 240), b(320, 240);
    a.fill(40, 40, 20, 20);
    b.fill(200, 150, 20, 20);
    rig.feed(blank); // reference
    rig.feed(a);
    rig.feed(a);
    EXPECT_EQ(rig.detector->analysisCount(), 0u);
    rig.feed(blank); // third frame after the first: compared with the first
    EXPECT_EQ(rig.detector->analysisCount(), 1u);
    EXPECT_EQ(rig.detector->polygonCount(), 0);
    rig.feed(b);
    rig.feed(b);
    rig.feed(b);
    EXPECT_EQ(rig.detector->analysisCount(), 2u);
    ASSERT_EQ(rig.detector->polygonCount(), 1);
    const Point c = rig.detector->objectCentroid();
    EXPECT_NEAR(c.x, 209, 1);
    EXPECT_NEAR(c.y, 159, 1);
}

TEST(DetectorFrames, TwoObjectsGiveTheirMidpointThreeTheTriangleCentroid)
{
    DetectorRig rig;
    Frame blank(320, 240), two(320, 240), three(320, 240);
    two.fill(20, 20, 20, 20);
    two.fill(220, 160, 20, 20);
    three = two;
    three.fill(20, 180, 20, 20);
    rig.feed(blank);
    rig.feed(two);
    ASSERT_EQ(rig.detector->polygonCount(), 2);
    const auto& c2 = rig.detector->result().centroids;
    EXPECT_EQ(rig.detector->objectCentroid(),
              (Point{(c2[0].x + c2[1].x) / 2, (c2[0].y + c2[1].y) / 2}));
    EXPECT_NEAR(rig.detector->objectCentroid().x, 129, 1);
    EXPECT_NEAR(rig.detector->objectCentroid().y, 99, 1);

    rig.feed(blank);
    rig.feed(three);
    ASSERT_EQ(rig.detector->polygonCount(), 3);
    const auto& c3 = rig.detector->result().centroids;
    EXPECT_EQ(rig.detector->objectCentroid(),
              polygonCentroid(std::vector<Point>{c3[0], c3[1], c3[2]}));
    // The triangle through (29, 29), (229, 169) and (29, 189).
    EXPECT_NEAR(rig.detector->objectCentroid().x, 95, 2);
    EXPECT_NEAR(rig.detector->objectCentroid().y, 129, 2);
}

TEST(DetectorFrames, ExceptionMaskAppliesOnlyWhileCalibrated)
{
    DetectorRig rig;
    // A region in the upper left of the layout; at the oval calibration it
    // covers camera x 37..148, y 43..97.
    rig.layout.exceptions = polylines({{{100, 100}, {300, 100}, {300, 200}, {100, 200}}});
    Frame blank(320, 240), block(320, 240);
    block.fill(80, 60, 12, 12);

    rig.feed(blank);
    rig.feed(block);
    EXPECT_EQ(rig.detector->polygonCount(), 1) << "not calibrated: the mask is off";

    ASSERT_TRUE(rig.calibrate());
    ASSERT_TRUE(rig.calibration->calibrated());
    rig.feed(blank);
    rig.feed(block);
    EXPECT_EQ(rig.detector->polygonCount(), 0);

    rig.configure([](DetectorSettings& s) { s.enableExcept = false; });
    rig.feed(blank);
    rig.feed(block);
    EXPECT_EQ(rig.detector->polygonCount(), 1);
}

TEST(DetectorFrames, FirstFrameOfAnotherSizeInvalidatesTheCalibration)
{
    DetectorRig rig;
    ASSERT_TRUE(rig.calibrate());
    rig.feed(Frame(640, 480));
    EXPECT_FALSE(rig.calibration->calibrated());
    EXPECT_EQ(rig.calibration->currentWidth(), 640);
}

TEST(DetectorPosition, TrainRunningRoundTheOvalStaysOnTheTrack)
{
    DetectorRig rig;
    ASSERT_TRUE(rig.calibrate());
    const auto& track = rig.layout.track();
    // 14 positions per frame move the 12-pixel block by 7 to 8 camera
    // pixels: enough for the changed strips to survive the erosion.
    rig.feed(rig.trainAt(track.position(0), 12));
    int analysed = 0, start = 0;
    for (int i = 14; i <= 1400; i += 14) {
        const Point truth = track.position(i % 1400);
        rig.feed(rig.trainAt(truth, 12));
        ASSERT_GT(rig.detector->polygonCount(), 0) << i;
        const Point p = rig.position();
        ASSERT_TRUE(isTrackPosition(rig.layout, p)) << i;
        const double dx = p.x - truth.x, dy = p.y - truth.y;
        EXPECT_LE(dx * dx + dy * dy, 32.0 * 32.0) << "frame " << i;
        EXPECT_EQ(track.position(rig.train.nearest.load()), p);
        if (analysed++ == 0)
            start = rig.train.accumulatedAngle.load();
    }
    EXPECT_EQ(analysed, 100);
    // Almost one lap forward after the first position, about the centre.
    EXPECT_NEAR(rig.train.accumulatedAngle.load() - start, 356, 8);
}

TEST(DetectorPosition, BackwardBitCountsTheLapTheOtherWay)
{
    DetectorRig rig;
    ASSERT_TRUE(rig.calibrate());
    rig.host.state = vardo::state::Running | vardo::state::Backward;
    const auto& track = rig.layout.track();
    rig.feed(rig.trainAt(track.position(1399), 12));
    rig.feed(rig.trainAt(track.position(1385), 12));
    const int start = rig.train.accumulatedAngle.load();
    for (int i = 1371; i >= 0; i -= 14)
        rig.feed(rig.trainAt(track.position(i), 12));
    // Running the other way with the backward bit set still counts up.
    EXPECT_NEAR(rig.train.accumulatedAngle.load() - start, 356, 8);
}

TEST(DetectorPosition, PublishesPositionOrBoundingBoxToOutsidePrograms)
{
    DetectorRig rig;
    ASSERT_TRUE(rig.calibrate());
    rig.host.sdk = true;
    Frame blank(320, 240);
    rig.feed(blank);
    rig.feed(rig.trainAt(rig.layout.track().position(350)));
    ASSERT_EQ(rig.host.published.size(), 1u);
    const int acc = rig.train.accumulatedAngle.load();
    const auto& pub = rig.host.published[0];
    EXPECT_EQ(pub[0], rig.position().x);
    EXPECT_EQ(pub[1], rig.position().y);
    EXPECT_EQ(pub[2], acc / 360);
    EXPECT_EQ(pub[3], acc % 360);

    rig.feed(blank); // the train vanishing is a movement too
    rig.host.boundingBoxModeOn = true;
    Frame block(320, 240);
    block.fill(100, 50, 20, 10); // columns 100..119, rows 50..59, eroded by one
    rig.feed(block);
    ASSERT_EQ(rig.host.boxes.size(), 1u);
    EXPECT_EQ(rig.host.boxes[0], (std::array<int, 4>{101, 51, 118, 58}));
    EXPECT_EQ(rig.host.published.size(), 2u);
}

TEST(DetectorPosition, PositionLogAppendsOneLinePerMovement)
{
    DetectorRig rig;
    ASSERT_TRUE(rig.calibrate());
    rig.configure([](DetectorSettings& s) { s.logPosition = true; });
    Frame blank(320, 240);
    rig.feed(blank);
    rig.feed(rig.trainAt(rig.layout.track().position(100)));
    const Point first = rig.position();
    rig.feed(rig.trainAt(rig.layout.track().position(100))); // still: no line
    rig.feed(rig.trainAt(rig.layout.track().position(300)));
    const Point second = rig.position();
    std::ifstream in(rig.dir.file("debug_position.log"));
    std::stringstream text;
    text << in.rdbuf();
    std::ostringstream expected;
    expected << "TrainPosition=" << first.x << "," << first.y << "\n"
             << "TrainPosition=" << second.x << "," << second.y << "\n";
    EXPECT_EQ(text.str(), expected.str());
}

TEST(DetectorPosition, PassPointCounterCountsFramesInsideTheCircle)
{
    DetectorRig rig; // outer loop only: the pass point is the home point
    ASSERT_TRUE(rig.calibrate());
    rig.host.parameterDialog = true;
    const Point home = rig.layout.positions().home;
    Frame blank(320, 240);
    // Appearing and vanishing at home are both analysed movements there.
    rig.feed(blank);
    rig.feed(rig.trainAt(home));
    rig.feed(blank);
    rig.feed(rig.trainAt(rig.layout.track().position(700))); // far away
    rig.feed(blank);
    rig.feed(rig.trainAt(home));
    EXPECT_EQ(rig.host.passCounts, (std::vector<int>{1, 2, 3}));
    rig.host.parameterDialog = false;
    rig.feed(blank);
    EXPECT_EQ(rig.detector->passPointCount(), 3);
    EXPECT_EQ(rig.host.passCounts.size(), 3u);
}

TEST(DetectorPosition, LayoutDisplayGetsVerticesInLayoutCoordinates)
{
    DetectorRig rig;
    ASSERT_TRUE(rig.calibrate());
    rig.host.mode = DisplayMode::Layout;
    rig.host.subMode = DisplaySubMode::Vector;
    Frame blank(320, 240), block(320, 240);
    block.fill(100, 50, 20, 10);
    rig.feed(blank);
    rig.feed(block);
    const AnalysisResult& r = rig.detector->result();
    ASSERT_TRUE(r.verticesInLayout);
    const Point camera{101, 51};
    const Point expected = rig.calibration->CameraToLayout(camera.x, camera.y);
    const Point* begin = r.polygons.vertices.data();
    EXPECT_NE(std::find(begin, begin + r.polygons.vertexTotal, expected),
              begin + r.polygons.vertexTotal);
    // The centroid the calibration run reads stays in camera coordinates.
    EXPECT_NEAR(rig.detector->objectCentroid().x, 109, 1);
}

TEST(DetectorSignals, PositionEventWhileAProgramRunsControlPointEventWhileCalibrated)
{
    DetectorRig rig;
    Frame f(320, 240);
    rig.feed(f);
    rig.feed(f);
    EXPECT_FALSE(rig.train.positionEvent.isSet());
    rig.host.program = true;
    rig.feed(f);
    EXPECT_TRUE(rig.train.positionEvent.wait(0));

    rig.layout.controlPoints.records.resize(1);
    rig.feed(f);
    EXPECT_FALSE(rig.train.controlPointEvent.isSet()) << "not calibrated";
    ASSERT_TRUE(rig.calibrate());
    rig.feed(f);
    EXPECT_TRUE(rig.train.controlPointEvent.isSet());
}

TEST(DetectorDebug, FramesAreDumpedOnlyInLiveDisplay)
{
    DetectorRig rig;
    rig.configure([](DetectorSettings& s) { s.captureFolder = "dump"; });
    rig.dir.write("dump/.keep", "");
    DetectorSettings s = rig.detector->settings();
    s.captureFolder = rig.dir.file("dump");
    rig.detector->setSettings(s);
    Frame a(320, 240), b(320, 240);
    b.fill(10, 10, 5, 5);
    rig.feed(a);
    rig.feed(b);
    rig.host.mode = DisplayMode::Difference;
    rig.feed(a);
    common::Bitmap first, second;
    ASSERT_TRUE(common::readBitmap(rig.dir.file("dump/000001.bmp"), first));
    ASSERT_TRUE(common::readBitmap(rig.dir.file("dump/000002.bmp"), second));
    EXPECT_EQ(first.bgr, a.bytes);
    EXPECT_EQ(second.bgr, b.bytes);
    EXPECT_FALSE(common::fileExists(rig.dir.file("dump/000003.bmp")));
}
