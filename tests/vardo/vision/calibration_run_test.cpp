// The calibration run: quadrant counting on its own, and the run thread fed
// with centroids one wake-up at a time.
#include "vardo/vision/angle_correction.h"
#include "vardo/vision/calibration_run.h"

#include "detector_rig.h"

#include <gtest/gtest.h>

#include <deque>

using namespace vision_fixtures;
using namespace vardo::vision;

namespace {

// Samples (x, y) of a 320 x 240 frame in the given quadrant.
Point in(int quadrant, int k = 0)
{
    const int x = (quadrant % 2 == 0) ? 40 + k : 200 + k;
    const int y = (quadrant < 2) ? 30 + k : 150 + k;
    return {x, y};
}

bool addAll(QuadrantCounter& c, std::initializer_list<int> quadrants)
{
    bool done = false;
    for (int q : quadrants) {
        EXPECT_FALSE(done) << "complete before the last sample";
        done = c.add(in(q).x, in(q).y, 320, 240);
    }
    return done;
}

} // namespace

TEST(Quadrants, NumberedByHalvesWithTheMiddleGoingRightAndDown)
{
    EXPECT_EQ(QuadrantCounter::quadrantOf(159, 119, 320, 240), 0);
    EXPECT_EQ(QuadrantCounter::quadrantOf(160, 119, 320, 240), 1);
    EXPECT_EQ(QuadrantCounter::quadrantOf(159, 120, 320, 240), 2);
    EXPECT_EQ(QuadrantCounter::quadrantOf(160, 120, 320, 240), 3);
}

TEST(Quadrants, OneLapEndsInTheQuadrantAfterTheFirst)
{
    QuadrantCounter c;
    c.start(2, 1);
    EXPECT_EQ(c.range(), 8);
    // Starting in quadrant 3: the lap ends with a sample in quadrant 0 once
    // every quadrant is full.
    EXPECT_FALSE(addAll(c, {3, 3, 3, 0, 0, 1, 1, 2}));
    EXPECT_EQ(c.endQuadrant(), 0);
    EXPECT_EQ(c.count(3), 2) << "a full quadrant counts no further";
    EXPECT_EQ(c.progress(), 7);
    EXPECT_FALSE(addAll(c, {3, 1}));
    EXPECT_TRUE(addAll(c, {2, 0}));
    EXPECT_EQ(c.progress(), 8);
}

TEST(Quadrants, TwoLapsRestartTheCountsAndReachEightTimesN)
{
    QuadrantCounter c;
    c.start(3, 2);
    EXPECT_EQ(c.range(), 24);
    EXPECT_FALSE(addAll(c, {0, 0, 0, 1, 1, 1, 3, 3, 3, 2, 2, 2}));
    EXPECT_EQ(c.progress(), 12);
    EXPECT_FALSE(addAll(c, {1})); // the end quadrant: first lap done
    EXPECT_EQ(c.lapsLeft(), 1);
    EXPECT_EQ(c.progress(), 12);
    EXPECT_EQ(c.count(1), 0);
    EXPECT_FALSE(addAll(c, {1, 1, 1, 3, 3, 3, 2, 2, 2, 0, 0}));
    EXPECT_TRUE(addAll(c, {0, 1}));
    EXPECT_EQ(c.progress(), 24);
}

namespace {

class ScriptedCentroids : public CentroidSource {
public:
    Point objectCentroid() const override
    {
        Point p = next.load() == 1 ? current : kNoCentroid;
        consumed.set();
        return p;
    }
    std::atomic<int> next{0};
    Point current{};
    mutable common::Event consumed;
};

class RecordingProgress : public CalibrationProgress {
public:
    void open() override { log("open"); }
    void setRange(int maximum) override { log("range " + std::to_string(maximum)); }
    void setPosition(int position) override { lastPosition.store(position); }
    void close() override { log("close"); }
    std::vector<std::string> calls()
    {
        std::lock_guard lock(mutex);
        return entries;
    }
    std::atomic<int> lastPosition{-1};

private:
    void log(const std::string& s)
    {
        std::lock_guard lock(mutex);
        entries.push_back(s);
    }
    std::mutex mutex;
    std::vector<std::string> entries;
};

struct RunRig {
    DetectorRig rig;
    ScriptedCentroids centroids;
    RecordingProgress progress;
    CalibrationRun run{*rig.calibration, rig.host,  rig.frontend, centroids,
                       rig.train,        progress,  rig.dir.path(), false};

    explicit RunRig(const std::string& vardoIni = "[CALIBRATION]\nDIMENSION_COUNT=2\n")
    {
        rig.dir.write("VARDO.ini", vardoIni);
        rig.calibration->frameSizeChanged(320, 240);
    }
    // Hands one sample to the waiting thread and waits until it read it.
    bool sample(Point p, bool valid = true)
    {
        centroids.current = p;
        centroids.next.store(valid ? 1 : 0);
        rig.train.positionEvent.set();
        return centroids.consumed.wait(2000);
    }
};

} // namespace

TEST(CalibrationRun, CompletedLapMakesTheCalibrationValid)
{
    RunRig r;
    r.rig.host.speedControl = true;
    ASSERT_TRUE(r.run.StartCalibration());
    EXPECT_TRUE(r.rig.calibration->calibrating());
    EXPECT_FALSE(r.run.StartCalibration()) << "one run at a time";
    ASSERT_TRUE(r.sample({40, 30}));
    ASSERT_TRUE(r.sample({0, 0}, false)); // nothing moved: skipped
    for (Point p : {Point{30, 40}, Point{250, 20}, Point{260, 25}, Point{280, 200},
                    Point{270, 210}, Point{50, 220}, Point{45, 215}})
        ASSERT_TRUE(r.sample(p));
    // Quadrant 0 is full, all are: the lap ends on a sample in quadrant 1.
    ASSERT_TRUE(r.sample({200, 50}));
    r.run.join();
    EXPECT_FALSE(r.rig.calibration->calibrating());
    EXPECT_TRUE(r.rig.calibration->calibrated());
    EXPECT_TRUE(r.rig.calibration->modified());
    const CalibrationRecord rec = r.rig.calibration->record();
    EXPECT_EQ(rec.left, 30);
    EXPECT_EQ(rec.top, 20);
    EXPECT_EQ(rec.right, 280);
    EXPECT_EQ(rec.bottom, 220);
    EXPECT_EQ(rec.frameWidth, 320);
    EXPECT_EQ(rec.frameHeight, 240);
    EXPECT_EQ(r.rig.host.speeds, std::vector<double>{1.0});
    EXPECT_EQ(r.rig.host.actionsSeen(),
              (std::vector<int>{vardo::ActionForward, vardo::ActionPoint1Straight, vardo::ActionStop}));
    EXPECT_EQ(r.progress.calls(), (std::vector<std::string>{"open", "range 8", "close"}));
    EXPECT_EQ(r.progress.lastPosition.load(), 8);
    EXPECT_EQ(r.rig.frontend.postedCommands(), std::vector<int>{vardo::cmd::AngleCorrection});
}

TEST(CalibrationRun, AbortLeavesTheCalibrationInvalidWithAPartRectangle)
{
    RunRig r;
    r.rig.host.pointMode1 = true; // the extended interface owns point 1
    ASSERT_TRUE(r.rig.calibrate());
    ASSERT_TRUE(r.run.StartCalibration());
    EXPECT_FALSE(r.rig.calibration->calibrated());
    ASSERT_TRUE(r.sample({100, 100}));
    ASSERT_TRUE(r.sample({120, 90}));
    r.run.AbortCalibration();
    r.run.join();
    EXPECT_FALSE(r.rig.calibration->calibrated());
    EXPECT_FALSE(r.rig.calibration->modified());
    const CalibrationRecord rec = r.rig.calibration->record();
    EXPECT_EQ((std::array<int, 4>{rec.left, rec.top, rec.right, rec.bottom}),
              (std::array<int, 4>{100, 90, 120, 100}));
    EXPECT_EQ(r.rig.host.actionsSeen(), (std::vector<int>{vardo::ActionForward, vardo::ActionStop}));
    EXPECT_EQ(r.rig.frontend.postedCommands(), std::vector<int>{vardo::cmd::AngleCorrection});
    // The posted angle correction cannot open on an invalid calibration.
    AngleCorrection ac(*r.rig.calibration);
    EXPECT_FALSE(ac.OpenAngleCorrection(false));
}

TEST(CalibrationRun, LapThatNeverWidenedTheBoxIsNotValid)
{
    // With DIMENSION_COUNT 0 every quadrant is full from the start: the
    // second sample, in the end quadrant, completes a box without height.
    RunRig flat("[CALIBRATION]\nDIMENSION_COUNT=0\n");
    ASSERT_TRUE(flat.run.StartCalibration());
    ASSERT_TRUE(flat.sample({100, 100}));
    ASSERT_TRUE(flat.sample({200, 100}));
    flat.run.join();
    EXPECT_FALSE(flat.rig.calibration->calibrating());
    EXPECT_FALSE(flat.rig.calibration->calibrated()) << "a box without height cannot map";
    EXPECT_TRUE(flat.rig.calibration->modified());
}
