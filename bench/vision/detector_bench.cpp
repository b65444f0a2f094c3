// AnalyzeFrame per frame with a train moving round an oval, next to one
// plain pass over the same frame (a byte-by-byte comparison with the
// reference frame) timed in the same loop. Reports the median and the
// 99th percentile of both and their ratio.
#include "vardo/vision/calibration_file.h"
#include "vardo/vision/detector.h"

#include "common/byte_io.h"
#include "recording_frontend.h"
#include "temp_dir.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace {

using namespace vardo;
using layoutdata::Point;

// A program runs and nothing is driven.
class IdleHost : public vision::FrameGate, public vision::ControlSide {
public:
    bool videoRunning() const override { return true; }
    bool simulationMode() const override { return false; }
    vision::DisplayMode displayMode() const override { return vision::DisplayMode::Live; }
    vision::DisplaySubMode displaySubMode() const override { return vision::DisplaySubMode::Centroid; }
    int controllerState() const override { return state::Running; }
    bool programRunning() const override { return true; }
    void stopOperation() override {}
    void performAction(int) override {}
    bool speedControlEnabled() const override { return false; }
    void setSpeed(double) override {}
    bool extendedPointMode1() const override { return false; }
};

layoutdata::PolylineFile ovalTrack()
{
    layoutdata::PolylineFile f;
    const int n = 1400;
    f.vertexCounts.push_back(n);
    for (int i = 0; i < n; ++i) {
        double a = 2 * M_PI * i / n;
        f.vertices.push_back(
            {int(std::lround(320 + 250 * std::cos(a))), int(std::lround(240 + 180 * std::sin(a)))});
    }
    return f;
}

// Frames of a textured scene with a bright block running round an oval,
// with a little sensor noise everywhere.
std::vector<std::vector<uint8_t>> movingTrain(int width, int height, int frames)
{
    std::mt19937 random(7);
    std::vector<uint8_t> scene(size_t(width) * height * 3);
    for (auto& b : scene)
        b = uint8_t(60 + random() % 80);
    const int block = width / 20; // a 2b x b train
    std::vector<std::vector<uint8_t>> out;
    for (int f = 0; f < frames; ++f) {
        std::vector<uint8_t> frame = scene;
        for (size_t i = 0; i < frame.size(); i += 97)
            frame[i] = uint8_t(frame[i] + random() % 9);
        const double a = 2 * M_PI * f / frames;
        const int cx = int(width / 2 + width * 0.4 * std::cos(a));
        const int cy = int(height / 2 + height * 0.38 * std::sin(a));
        for (int y = cy - block / 2; y < cy + block / 2; ++y)
            for (int x = cx - block; x < cx + block; ++x)
                for (int c = 0; c < 3; ++c)
                    frame[(size_t(height - 1 - y) * width + x) * 3 + c] = 235;
        out.push_back(std::move(frame));
    }
    return out;
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5))];
}

void AnalyzeFrameVersusPlainPass(benchmark::State& state)
{
    const int width = int(state.range(0)), height = width * 3 / 4;
    testing::TempDir dir;
    testing::RecordingFrontend frontend;
    Settings settings(dir.file("VARDO.ini"), dir.file("option.ini"));
    layout::LayoutModel layout;
    layout.setTrack(ovalTrack());
    layout.setPoints({});
    layout.findJunctions();
    layout.buildLinks();
    vision::Calibration calibration(frontend, settings, layout);
    vision::CalibrationRecord rec;
    rec.frameWidth = width;
    rec.frameHeight = height;
    rec.left = width / 10;
    rec.right = width * 9 / 10;
    rec.top = height / 10;
    rec.bottom = height * 9 / 10;
    common::writeFileAtomic(dir.file("c.clb"), vision::encodeCalibrationFile(rec));
    calibration.LoadCalibration(dir.file("c.clb"));
    IdleHost host;
    TrainState train;
    vision::Detector detector(vision::DetectionHost{host, host}, frontend, calibration, layout,
                              train, dir.path());
    detector.setSettings(vision::DetectorSettings::read(settings));

    const auto frames = movingTrain(width, height, 120);
    detector.AnalyzeFrame(frames[0], width, height);
    std::vector<double> analyse, pass;
    size_t k = 1;
    int moved = 0;
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        const auto& frame = frames[k % frames.size()];
        const auto& previous = frames[(k - 1) % frames.size()];
        auto t0 = Clock::now();
        size_t differing = 0;
        for (size_t i = 0; i < frame.size(); ++i)
            differing += frame[i] != previous[i];
        benchmark::DoNotOptimize(differing);
        auto t1 = Clock::now();
        detector.AnalyzeFrame(frame, width, height);
        auto t2 = Clock::now();
        moved += detector.polygonCount() > 0;
        pass.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
        analyse.push_back(std::chrono::duration<double, std::micro>(t2 - t1).count());
        ++k;
    }
    const double am = percentile(analyse, 0.5), pm = percentile(pass, 0.5);
    state.counters["analyse_median_us"] = am;
    state.counters["analyse_p99_us"] = percentile(analyse, 0.99);
    state.counters["pass_median_us"] = pm;
    state.counters["pass_p99_us"] = percentile(pass, 0.99);
    state.counters["ratio_median"] = am / pm;
    state.counters["moved_fraction"] = double(moved) / double(analyse.size());
}

BENCHMARK(AnalyzeFrameVersusPlainPass)
    ->Arg(320)
    ->Arg(640)
    ->Iterations(2000)
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
