// Detection fed by the video source, as vardo-run run -i wires it, on a
// 640x480 file of a car going round the layout's oval:
//  - frames per second delivered and analysed when the file decodes as fast
//    as it can, against delivery alone in the same process;
//  - at the file's own 30 fps, the time from a frame's arrival on the
//    streaming thread to the position event a waiting control loop wakes
//    on (median and 99th percentile).
#include "oval_video.h"
#include "recording_frontend.h"
#include "vardo/app/detection_host_impl.h"
#include "vardo/operation/sound_calls.h"
#include "vardo/vision/calibration.h"
#include "vardo/vision/detector.h"
#include "vardo/vision/video_gst_backend.h"

#include <benchmark/benchmark.h>
#include <gst/gst.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>
#include <unistd.h>

namespace {

using namespace vardo;
using Clock = std::chrono::steady_clock;

constexpr int kFrames = 120;

testing::OvalVideo videoSpec()
{
    testing::OvalVideo v;
    v.width = 640;
    v.height = 480;
    v.frames = kFrames;
    v.lapFrames = 60;
    return v;
}

const std::string& testFile()
{
    static std::string path = [] {
        std::string file = "/tmp/vardo_bench_integration_" + std::to_string(getpid()) + ".avi";
        std::string error;
        if (!testing::writeOvalVideo(file, videoSpec(), error))
            std::fprintf(stderr, "test video: %s\n", error.c_str());
        return file;
    }();
    return path;
}

// A program is taken to run, so that every position sets the event; the
// bench's own thread stands in for the control loop waiting on it.
class RunningHost : public ControlDetectionHost {
public:
    using ControlDetectionHost::ControlDetectionHost;
    bool programRunning() const override { return true; }
};

// The layout, its calibration to the video and the detector.
struct Detection {
    Detection()
    {
        layoutdata::PolylineFile track;
        const int count = 200;
        for (int i = 0; i < count; ++i) {
            const double a = 2 * 3.141592653589793 * i / count;
            track.vertices.push_back({int(std::lround(320 + 200 * std::cos(a))),
                                      int(std::lround(240 + 150 * std::sin(a)))});
        }
        track.vertexCounts.push_back(count);
        model.setTrack(track);
        model.findJunctions();
        model.buildLinks();
        model.computeHomePositions("/nonexistent/VARDO.ini", "/nonexistent/option.ini");
        // The rectangle the car's centre sweeps in the picture.
        const testing::OvalVideo v = videoSpec();
        calibration.frameSizeChanged(v.width, v.height);
        calibration.beginRun();
        calibration.widenRectangle(int(v.centreX() - v.radiusX()), int(v.centreY() - v.radiusY()));
        calibration.widenRectangle(int(v.centreX() + v.radiusX()), int(v.centreY() + v.radiusY()));
        calibration.stopCalibrating();
        calibration.finishRun(true);
        vision::DetectorSettings s = vision::DetectorSettings::read(settings);
        s.captureFolder.clear();
        detector.setSettings(s);
        host.setVideoRunning(true);
    }

    testing::RecordingFrontend frontend;
    Settings settings{"/nonexistent/VARDO.ini", "/nonexistent/option.ini"};
    layout::LayoutModel model;
    TrainState trains;
    SoundCalls sounds;
    Controller controller{frontend, &model};
    SpeedControl speed{frontend, controller};
    Operation operation{frontend, controller, speed, trains, sounds, &model};
    RunningHost host{controller, operation, speed};
    vision::Calibration calibration{frontend, settings, model};
    vision::Detector detector{host.roles(), frontend, calibration, model, trains, "/nonexistent"};
};

std::unique_ptr<vision::FrameSource> openFile(bool realTime, vision::VideoError& error)
{
    static vision::GstVideoBackend backend([] { return std::vector<vision::CameraDevice>{}; });
    return backend.openFile(testFile(), {false, realTime}, error).source;
}

bool playToEnd(vision::FrameSource& source, vision::VideoError& error)
{
    if (!source.start(error))
        return false;
    while (!source.ended())
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    source.stop();
    return true;
}

void BM_DeliverOnly(benchmark::State& state)
{
    vision::VideoError error;
    auto source = openFile(false, error);
    if (!source) {
        state.SkipWithError(error.text.c_str());
        return;
    }
    std::atomic<int> frames{0};
    std::atomic<uint32_t> checksum{0};
    source->setCallback([&](std::span<const uint8_t> frame, int, int) {
        checksum.fetch_add(frame[frame.size() / 2]);
        frames.fetch_add(1);
    });
    for (auto _ : state) {
        frames.store(0);
        if (!playToEnd(*source, error))
            return state.SkipWithError(error.text.c_str());
        if (frames.load() != kFrames)
            state.SkipWithError("frames were lost");
    }
    benchmark::DoNotOptimize(checksum.load());
    state.counters["fps"] =
        benchmark::Counter(double(kFrames), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_DeliverOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DeliverAndAnalyse(benchmark::State& state)
{
    vision::VideoError error;
    auto source = openFile(false, error);
    if (!source) {
        state.SkipWithError(error.text.c_str());
        return;
    }
    Detection d;
    source->setCallback([&](std::span<const uint8_t> frame, int w, int h) {
        d.detector.AnalyzeFrame(frame, w, h);
    });
    uint64_t analysed = 0;
    for (auto _ : state) {
        const uint64_t before = d.detector.analysisCount();
        d.detector.ResetDetector(false);
        if (!playToEnd(*source, error))
            return state.SkipWithError(error.text.c_str());
        analysed += d.detector.analysisCount() - before;
    }
    if (d.trains.nearest.load() < 0)
        state.SkipWithError("the car was never placed on the track");
    state.counters["fps"] =
        benchmark::Counter(double(kFrames), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["analysed"] = double(analysed) / double(state.iterations());
}
BENCHMARK(BM_DeliverAndAnalyse)->Unit(benchmark::kMillisecond)->UseRealTime();

// Latency of the position event, measured by a waiter thread against the
// arrival time the frame callback noted before the analysis.
void BM_PositionEventLatency(benchmark::State& state)
{
    vision::VideoError error;
    auto source = openFile(true, error);
    if (!source) {
        state.SkipWithError(error.text.c_str());
        return;
    }
    Detection d;
    std::atomic<int64_t> arrival{0};
    source->setCallback([&](std::span<const uint8_t> frame, int w, int h) {
        arrival.store(Clock::now().time_since_epoch().count());
        d.detector.AnalyzeFrame(frame, w, h);
    });
    std::vector<double> latencies;
    for (auto _ : state) {
        std::atomic<bool> done{false};
        std::thread waiter([&] {
            while (!done.load()) {
                if (!d.trains.positionEvent.wait(100))
                    continue;
                const int64_t now = Clock::now().time_since_epoch().count();
                latencies.push_back(double(now - arrival.load()) / 1000.0);
            }
        });
        if (!playToEnd(*source, error))
            state.SkipWithError(error.text.c_str());
        done.store(true);
        waiter.join();
    }
    if (latencies.empty())
        return state.SkipWithError("no position event");
    std::sort(latencies.begin(), latencies.end());
    state.counters["events"] = double(latencies.size());
    state.counters["median_us"] = latencies[latencies.size() / 2];
    state.counters["p99_us"] =
        latencies[std::min(latencies.size() - 1, latencies.size() * 99 / 100)];
}
BENCHMARK(BM_PositionEventLatency)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            auto fps = r.counters.find("fps");
            if (fps == r.counters.end())
                continue;
            (r.benchmark_name().find("Only") != std::string::npos ? deliver_ : analyse_) =
                fps->second.value;
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        if (deliver_ > 0 && analyse_ > 0)
            std::printf("delivered and analysed: %.0f fps, delivered only: %.0f fps, ratio: %.2f\n",
                        analyse_, deliver_, analyse_ / deliver_);
    }

private:
    double deliver_ = 0, analyse_ = 0;
};

} // namespace

int main(int argc, char** argv)
{
    gst_init(&argc, &argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::remove(testFile().c_str());
    return 0;
}
