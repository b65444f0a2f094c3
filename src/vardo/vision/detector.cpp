#include "vardo/vision/detector.h"

#include "vardo/vision/debug_files.h"
#include "vardo/vision/difference_image.h"

#include <algorithm>
#include <cstring>

namespace vardo::vision {

namespace {

int64_t packPoint(Point p)
{
    return int64_t(uint64_t(uint32_t(p.x)) << 32 | uint32_t(p.y));
}

Point unpackPoint(int64_t v)
{
    return {int32_t(uint32_t(uint64_t(v) >> 32)), int32_t(uint32_t(uint64_t(v)))};
}

} // namespace

Detector::Detector(const DetectionHost& host, Frontend& frontend, Calibration& calibration,
                   const layout::LayoutModel& layout, TrainState& train, std::string programFolder)
    : host_(host), frontend_(frontend), calibration_(calibration), layout_(layout), train_(train),
      programFolder_(std::move(programFolder)), result_(std::make_unique<AnalysisResult>()),
      trace_(std::make_unique<TraceBuffers>()), centroid_(packPoint(kNoCentroid))
{
    setSettings(settings_);
}

Detector::~Detector() = default;

void Detector::setSettings(const DetectorSettings& settings)
{
    std::lock_guard lock(mutex_);
    settings_ = settings;
    countdown_ = settings_.compareFrame;
    emergencyCountdown_ = settings_.emergencyCount;
    dumpCounter_ = settings_.captureFolder.empty() ? 0 : 1;
}

Point Detector::objectCentroid() const
{
    return unpackPoint(centroid_.load());
}

void Detector::ResetDetector(bool releaseAll)
{
    std::lock_guard lock(mutex_);
    width_ = height_ = 0;
    std::vector<uint8_t>().swap(reference_);
    std::vector<uint8_t>().swap(difference_);
    std::vector<uint8_t>().swap(scratch_);
    if (releaseAll) {
        result_.reset();
        trace_.reset();
    }
}

void Detector::AnalyzeFrame(std::span<const uint8_t> frame, int width, int height)
{
    if (!host_.frames.videoRunning() || host_.frames.simulationMode())
        return;
    const DisplayMode mode = host_.frames.displayMode();
    if (mode == DisplayMode::ProgramEditor && !host_.control.programRunning())
        return;
    if (width <= 0 || height <= 0 || frame.size() != size_t(width) * size_t(height) * 3)
        return;

    std::lock_guard lock(mutex_);
    if (reference_.empty() || width != width_ || height != height_) {
        firstFrame(frame, width, height);
    } else if (--countdown_ <= 0) {
        analyse(frame, mode);
        countdown_ = settings_.compareFrame;
        std::memcpy(reference_.data(), frame.data(), frame.size());
    }
    dumpFrame(frame, mode);
}

void Detector::firstFrame(std::span<const uint8_t> frame, int width, int height)
{
    width_ = width;
    height_ = height;
    calibration_.frameSizeChanged(width, height);
    reference_.assign(frame.begin(), frame.end());
    difference_.assign(frame.size() / 3, 0);
    scratch_.clear();
    if (!result_)
        result_ = std::make_unique<AnalysisResult>();
    if (!trace_)
        trace_ = std::make_unique<TraceBuffers>();
    countdown_ = settings_.compareFrame;
}

const uint8_t* Detector::maskInUse(ExceptionMask& hold) const
{
    if (!settings_.enableExcept || !calibration_.calibrated())
        return nullptr;
    hold = calibration_.exceptionMask();
    if (!hold || hold->size() != difference_.size())
        return nullptr;
    return hold->data();
}

void Detector::analyse(std::span<const uint8_t> frame, DisplayMode mode)
{
    AnalysisResult& r = *result_;
    ExceptionMask hold;
    computeDifference(frame.data(), reference_.data(), difference_.size(),
                      diffThreshold(settings_.diffLevel, width_), maskInUse(hold),
                      difference_.data());
    if (mode == DisplayMode::Difference)
        r.rawDifference = difference_;
    else
        r.rawDifference.clear();
    erode(difference_.data(), width_, height_, scratch_);

    r.verticesInLayout = r.centroidsInLayout = false;
    r.traceOverflow = tracePolygons(difference_.data(), width_, height_, r.polygons, *trace_) ==
                      TraceResult::Overflow;
    polygonCentroids(r.polygons, r.centroids);
    r.objectCentroid = vision::objectCentroid(
        std::span<const Point>(r.centroids.data(), size_t(r.polygons.count)));
    centroid_.store(packPoint(r.objectCentroid));
    polygonCount_.store(r.polygons.count);

    if (r.polygons.count > 0)
        trainMoved();
    else
        endOfLineCheck();
    signal();
    mapForLayoutDisplay(mode);
    analyses_.fetch_add(1);
}

void Detector::signal()
{
    if (host_.control.programRunning() || calibration_.calibrating())
        train_.positionEvent.set();
    if (calibration_.calibrated() && !layout_.controlPoints.records.empty())
        train_.controlPointEvent.set();
}

void Detector::mapForLayoutDisplay(DisplayMode mode)
{
    if (mode != DisplayMode::Layout)
        return;
    AnalysisResult& r = *result_;
    const DisplaySubMode sub = host_.frames.displaySubMode();
    const CalibrationRecord record = calibration_.record();
    const Extent& extent = layout_.track().extent();
    if (sub == DisplaySubMode::Vector) {
        for (int i = 0; i < r.polygons.vertexTotal; ++i) {
            Point& p = r.polygons.vertices[size_t(i)];
            p = CameraToLayout(record, extent, p.x, p.y);
        }
        r.verticesInLayout = true;
    } else if (sub == DisplaySubMode::Polygon) {
        for (int k = 0; k < r.polygons.count; ++k) {
            Point& p = r.centroids[size_t(k)];
            p = CameraToLayout(record, extent, p.x, p.y);
        }
        r.centroidsInLayout = true;
    }
}

void Detector::dumpFrame(std::span<const uint8_t> frame, DisplayMode mode)
{
    if (dumpCounter_ <= 0 || mode != DisplayMode::Live)
        return;
    writeFrameDump(settings_.captureFolder, dumpCounter_, frame, width_, height_);
    ++dumpCounter_;
}

} // namespace vardo::vision
