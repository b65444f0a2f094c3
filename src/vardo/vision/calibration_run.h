#pragma once
// The calibration run: the train runs laps while the centroid of what
// moves is sampled in each quarter of the image; every sample widens the
// calibration rectangle. It ends after LOOP_COUNT laps with
// DIMENSION_COUNT samples in every quarter, or when aborted.
#include "vardo/base/train_state.h"
#include "vardo/vision/calibration.h"
#include "vardo/vision/detection_host.h"
#include "vardo/vision/detector.h"

#include <array>
#include <atomic>
#include <string>
#include <thread>

namespace vardo::vision {

// The lap logic on its own: counts samples per quadrant and tells when the
// laps are complete.
class QuadrantCounter {
public:
    void start(int perQuadrant, int laps);
    static int quadrantOf(int x, int y, int width, int height);
    // Takes one sample; true when the run is complete.
    bool add(int x, int y, int width, int height);
    int progress() const;
    int range() const { return range_; }
    int lapsLeft() const { return laps_; }
    int count(int quadrant) const { return counts_[size_t(quadrant)]; }
    int endQuadrant() const { return end_; }

private:
    std::array<int, 4> counts_{};
    int perQuadrant_ = 0;
    int laps_ = 0;
    int base_ = 0;
    int range_ = 0;
    int end_ = -1;
};

class CalibrationRun {
public:
    CalibrationRun(Calibration& calibration, ControlSide& control, Frontend& frontend,
                   const CentroidSource& centroids, TrainState& train,
                   CalibrationProgress& progress, std::string programFolder, bool logPosition);
    ~CalibrationRun();
    CalibrationRun(const CalibrationRun&) = delete;
    CalibrationRun& operator=(const CalibrationRun&) = delete;

    // Starts a run on its own thread; false while one is still running.
    bool StartCalibration();
    // The abort button: the run stops at its next wake-up.
    void AbortCalibration();
    // Waits for the thread of the last run to end.
    void join();
    bool running() const { return running_.load(); }

private:
    void run();
    void startTrain();
    void finish(bool completed);

    Calibration& calibration_;
    ControlSide& control_;
    Frontend& frontend_;
    const CentroidSource& centroids_;
    TrainState& train_;
    CalibrationProgress& progress_;
    const std::string programFolder_;
    const bool logPosition_;
    std::thread thread_;
    std::atomic<bool> running_{false};
};

} // namespace vardo::vision
