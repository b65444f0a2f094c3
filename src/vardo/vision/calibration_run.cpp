#include "vardo/vision/calibration_run.h"

#include "vardo/base/command_ids.h"
#include "vardo/vision/debug_files.h"

#include <algorithm>

namespace vardo::vision {

void QuadrantCounter::start(int perQuadrant, int laps)
{
    counts_ = {};
    perQuadrant_ = perQuadrant;
    laps_ = laps;
    base_ = 0;
    range_ = std::max(0, perQuadrant) * std::max(1, laps) * 4;
    end_ = -1;
}

int QuadrantCounter::quadrantOf(int x, int y, int width, int height)
{
    const bool right = x >= width / 2, lower = y >= height / 2;
    return (lower ? 2 : 0) + (right ? 1 : 0);
}

bool QuadrantCounter::add(int x, int y, int width, int height)
{
    const int q = quadrantOf(x, y, width, height);
    if (end_ < 0)
        end_ = (q + 1) % 4;
    int& count = counts_[size_t(q)];
    if (count < perQuadrant_)
        ++count;
    const bool full =
        std::all_of(counts_.begin(), counts_.end(), [this](int c) { return c == perQuadrant_; });
    if (q == end_ && full) {
        if (laps_ <= 1)
            return true;
        counts_ = {};
        base_ += 4 * perQuadrant_;
        --laps_;
    }
    return false;
}

int QuadrantCounter::progress() const
{
    return base_ + counts_[0] + counts_[1] + counts_[2] + counts_[3];
}

CalibrationRun::CalibrationRun(Calibration& calibration, ControlSide& control, Frontend& frontend,
                               const CentroidSource& centroids, TrainState& train,
                               CalibrationProgress& progress, std::string programFolder,
                               bool logPosition)
    : calibration_(calibration), control_(control), frontend_(frontend), centroids_(centroids),
      train_(train), progress_(progress), programFolder_(std::move(programFolder)),
      logPosition_(logPosition)
{
}

CalibrationRun::~CalibrationRun()
{
    AbortCalibration();
    join();
}

bool CalibrationRun::StartCalibration()
{
    if (running_.load())
        return false;
    join();
    calibration_.beginRun();
    progress_.open();
    train_.positionEvent.reset();
    running_.store(true);
    thread_ = std::thread([this] { run(); });
    return true;
}

void CalibrationRun::AbortCalibration()
{
    if (!calibration_.calibrating())
        return;
    calibration_.stopCalibrating();
    train_.positionEvent.set();
}

void CalibrationRun::join()
{
    if (thread_.joinable())
        thread_.join();
}

void CalibrationRun::startTrain()
{
    if (control_.speedControlEnabled())
        control_.setSpeed(1.0);
    control_.performAction(vardo::ActionForward);
    if (!control_.extendedPointMode1())
        control_.performAction(vardo::ActionPoint1Straight);
}

void CalibrationRun::run()
{
    const Settings& settings = calibration_.settings();
    QuadrantCounter counter;
    counter.start(settings.getInt(SettingId::CalibrationDimensionCount),
                  settings.getInt(SettingId::CalibrationLoopCount));
    progress_.setRange(counter.range());
    startTrain();
    bool completed = false;
    while (calibration_.calibrating()) {
        train_.positionEvent.wait();
        if (!calibration_.calibrating())
            break;
        const Point c = centroids_.objectCentroid();
        if (c == kNoCentroid)
            continue;
        completed =
            counter.add(c.x, c.y, calibration_.currentWidth(), calibration_.currentHeight());
        progress_.setPosition(counter.progress());
        calibration_.widenRectangle(c.x, c.y);
        if (completed)
            break;
    }
    finish(completed);
}

void CalibrationRun::finish(bool completed)
{
    if (logPosition_) {
        TrainState::Position p = train_.position(train_.current.load());
        recreatePositionLog(programFolder_, p.x, p.y);
    }
    control_.performAction(vardo::ActionStop);
    calibration_.finishRun(completed);
    progress_.close();
    frontend_.postCommand(cmd::AngleCorrection);
    running_.store(false);
}

} // namespace vardo::vision
