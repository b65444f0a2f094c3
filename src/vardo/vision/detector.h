#pragma once
// Train detection: each frame from the video source is compared with the
// frame analysed last time; what changed is cleaned, traced into polygons
// and reduced to one centroid, which the calibration maps onto the layout
// and the layout snaps to the nearest track position. Runs on the video
// source's streaming thread; results are published for other threads
// through TrainState and a few atomics. Nothing is drawn here: the view
// draws from result() after AnalyzeFrame returns.
#include "vardo/base/frontend.h"
#include "vardo/base/train_state.h"
#include "vardo/layout/layout_model.h"
#include "vardo/vision/calibration.h"
#include "vardo/vision/centroid.h"
#include "vardo/vision/detection_host.h"
#include "vardo/vision/detector_settings.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace vardo::vision {

// Where the calibration run reads the moving object's centroid.
class CentroidSource {
public:
    virtual ~CentroidSource() = default;
    virtual Point objectCentroid() const = 0;
};

// What one analysis produced, for the display.
struct AnalysisResult {
    PolygonSet polygons;
    std::array<Point, kPolygonSlots> centroids{};
    Point objectCentroid = kNoCentroid;
    bool traceOverflow = false;
    // Polygon vertices (vector sub-mode) or centroids (polygon sub-mode)
    // were mapped to layout coordinates for the layout display.
    bool verticesInLayout = false;
    bool centroidsInLayout = false;
    // 0/1 before erosion, kept only while the difference display shows.
    std::vector<uint8_t> rawDifference;
};

class Detector : public CentroidSource {
public:
    Detector(const DetectionHost& host, Frontend& frontend, Calibration& calibration,
             const layout::LayoutModel& layout, TrainState& train, std::string programFolder);
    ~Detector() override;
    Detector(const Detector&) = delete;
    Detector& operator=(const Detector&) = delete;

    // Read once when the view starts (the runner may override values).
    void setSettings(const DetectorSettings& settings);
    const DetectorSettings& settings() const { return settings_; }

    // One frame: width x height pixels, blue-green-red, rows bottom-up
    // without padding. A buffer of any other length is ignored.
    void AnalyzeFrame(std::span<const uint8_t> frame, int width, int height);
    // Frees the frame-size buffers so the next frame starts afresh; with
    // releaseAll also the polygon buffers.
    void ResetDetector(bool releaseAll);

    // ---- results (the last analysis)
    // Streaming thread only, between frames.
    const AnalysisResult& result() const { return *result_; }
    // The eroded difference image with the tracing marks.
    const std::vector<uint8_t>& difference() const { return difference_; }
    int frameWidth() const { return width_; }
    int frameHeight() const { return height_; }

    // Any thread.
    Point objectCentroid() const override;
    int polygonCount() const { return polygonCount_.load(); }
    uint64_t analysisCount() const { return analyses_.load(); }
    bool autoStopFlag() const { return autoStop_.load(); }
    int passPointCount() const { return passPoints_.load(); }
    void resetPassPointCount() { passPoints_.store(0); }

private:
    void firstFrame(std::span<const uint8_t> frame, int width, int height);
    void analyse(std::span<const uint8_t> frame, DisplayMode mode);
    const uint8_t* maskInUse(ExceptionMask& hold) const;
    void dumpFrame(std::span<const uint8_t> frame, DisplayMode mode);
    void signal();
    void mapForLayoutDisplay(DisplayMode mode);

    // After something moved (detector_position.cpp).
    void trainMoved();
    void publish();
    void turntableCheck();
    void passPointCheck();
    bool outsideWindowAttached() const;
    // After nothing moved.
    void endOfLineCheck();
    void emergencyStop(bool notice);
    Point currentTrainPosition() const;
    bool onTrack(int index) const;

    DetectionHost host_;
    Frontend& frontend_;
    Calibration& calibration_;
    const layout::LayoutModel& layout_;
    TrainState& train_;
    const std::string programFolder_;
    DetectorSettings settings_;

    std::mutex mutex_; // one frame or reset at a time
    int width_ = 0;
    int height_ = 0;
    std::vector<uint8_t> reference_;
    std::vector<uint8_t> difference_;
    std::vector<uint8_t> scratch_;
    std::unique_ptr<AnalysisResult> result_;
    std::unique_ptr<TraceBuffers> trace_;
    int countdown_ = 0;
    int emergencyCountdown_ = 0;
    int dumpCounter_ = 0;

    std::atomic<int64_t> centroid_;
    std::atomic<int> polygonCount_{0};
    std::atomic<uint64_t> analyses_{0};
    std::atomic<bool> autoStop_{false};
    std::atomic<int> passPoints_{0};
};

} // namespace vardo::vision
