// The whole chain a user cares about, through the one assembly: a 640x480
// video of a car going round the oval (looping, at its own 30 fps) ->
// detection -> a position wait of the running program ends -> a point
// command -> its bytes reach the emulated board on a pseudo-terminal.
//
// The program waits in turn at the four ends of the oval and switches the
// point after each wait, straight and branch alternately, so every command
// goes out on the line. Reported: median and 99th percentile from the
// arrival of the frame that ended the wait (stamped before the assembly
// sees it) to the board's receipt of the command, beside one plain pass
// (a byte sum) over a frame of the same size.
#include "board_emulator.h"
#include "oval_track.h"
#include "oval_video.h"
#include "program_description.h"
#include "recording_frontend.h"
#include "temp_dir.h"

#include "common/byte_io.h"
#include "layoutdata/layout_files.h"
#include "vardo/app/assembly.h"
#include "vardo/base/command_ids.h"
#include "vardo/operation/program_file.h"
#include "vardo/vision/calibration_file.h"
#include "vardo/vision/video_gst_backend.h"

#include <benchmark/benchmark.h>
#include <gst/gst.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <deque>
#include <map>
#include <mutex>
#include <numeric>
#include <thread>

namespace {

using namespace vardo;
using Clock = std::chrono::steady_clock;

// How long the chain is sampled; about three point commands a second.
constexpr auto kSampling = std::chrono::seconds(60);

testing::OvalVideo videoSpec()
{
    testing::OvalVideo v;
    v.width = 640;
    v.height = 480;
    v.frames = 48;
    v.lapFrames = 48;
    v.fps = 30;
    return v;
}

// Waits at each end of the oval and switches the point there: one lap to
// the branch, the next back to straight. A point stays busy for a second
// after its pulse, and a lap takes 1.6 s, so no command waits for its point.
const char* const kProgram = "Start\n"
                             "@a PositionWait 3 520 240\n"
                             "SwitchPoint 1 0 0\n"
                             "PositionWait 3 320 390\n"
                             "SwitchPoint 1 0 1\n"
                             "PositionWait 3 120 240\n"
                             "SwitchPoint 1 0 2\n"
                             "PositionWait 3 320 90\n"
                             "SwitchPoint 1 0 3\n"
                             "PositionWait 3 520 240\n"
                             "SwitchPoint 0 0 0\n"
                             "PositionWait 3 320 390\n"
                             "SwitchPoint 0 0 1\n"
                             "PositionWait 3 120 240\n"
                             "SwitchPoint 0 0 2\n"
                             "PositionWait 3 320 90\n"
                             "SwitchPoint 0 0 3\n"
                             "Repeat 0 30000 -> a\n";

// The box the car's centre sweeps in the picture, mapped onto the track.
vision::CalibrationRecord calibrationRecord()
{
    const testing::OvalVideo v = videoSpec();
    vision::CalibrationRecord r;
    r.frameWidth = v.width;
    r.frameHeight = v.height;
    r.angle = 0.0f;
    r.left = int(v.centreX() - v.radiusX());
    r.top = int(v.centreY() - v.radiusY());
    r.right = int(v.centreX() + v.radiusX());
    r.bottom = int(v.centreY() + v.radiusY());
    return r;
}

// Frame arrivals, stamped on the streaming thread before anything else.
class ArrivalLog {
public:
    void stamp()
    {
        last_.store(Clock::now().time_since_epoch().count());
        frames_.fetch_add(1);
    }
    int64_t last() const { return last_.load(); }
    int frames() const { return frames_.load(); }

private:
    std::atomic<int64_t> last_{0};
    std::atomic<int> frames_{0};
};

// A frame source that stamps each frame's arrival and hands it on.
class StampingSource : public vision::FrameSource {
public:
    StampingSource(std::unique_ptr<vision::FrameSource> inner, ArrivalLog& log)
        : inner_(std::move(inner)), log_(log)
    {
    }
    void setCallback(vision::FrameCallback callback) override
    {
        inner_->setCallback(
            [this, callback = std::move(callback)](std::span<const uint8_t> f, int w, int h) {
                log_.stamp();
                if (callback)
                    callback(f, w, h);
            });
    }
    bool start(vision::VideoError& error) override { return inner_->start(error); }
    bool stop() override { return inner_->stop(); }
    bool running() const override { return inner_->running(); }
    vision::FrameSize frameSize() const override { return inner_->frameSize(); }
    bool ended() const override { return inner_->ended(); }
    vision::VideoError streamError() const override { return inner_->streamError(); }
    bool lastFrame(std::vector<uint8_t>& frame, vision::FrameSize& size) const override
    {
        return inner_->lastFrame(frame, size);
    }

private:
    std::unique_ptr<vision::FrameSource> inner_;
    ArrivalLog& log_;
};

// The real video backend with the stamping source around its files.
class StampingBackend : public vision::VideoBackend {
public:
    explicit StampingBackend(ArrivalLog& log) : log_(log) {}
    bool initialise(std::string& errorText) override { return inner_.initialise(errorText); }
    std::vector<std::string> cameraNames() override { return {}; }
    std::vector<vision::CameraFormat> cameraFormats(int) override { return {}; }
    vision::OpenedSource openCamera(int, const vision::CameraRequest&,
                                    vision::VideoError& error) override
    {
        error.step = "camera";
        error.text = "no camera in this benchmark";
        return {};
    }
    vision::OpenedSource openFile(const std::string& path, const vision::FileOptions& options,
                                  vision::VideoError& error) override
    {
        vision::OpenedSource opened = inner_.openFile(path, options, error);
        if (opened.source)
            opened.source = std::make_unique<StampingSource>(std::move(opened.source), log_);
        return opened;
    }

private:
    vision::GstVideoBackend inner_{[] { return std::vector<vision::CameraDevice>{}; }};
    ArrivalLog& log_;
};

// When a point command starts (its wait has just ended), the arrival of
// the frame being analysed is the one that ended the wait: the next frame
// is a frame period away.
class PointObserver : public OperationObserver {
public:
    explicit PointObserver(const ArrivalLog& log) : log_(log) {}
    struct Cause {
        int64_t arrival = 0;
        int pulseRelay = 0; // the relay the point's pulse drives
    };
    void commandExecuted(int, int kind, int option, int, int value2) override
    {
        if (kind != int(CommandKind::SwitchPoint))
            return;
        std::lock_guard lock(mutex_);
        causes_.push_back({log_.last(), 3 + 2 * value2 + (option ? 1 : 0)});
    }
    // The oldest unpaired cause of this pulse; older causes whose pulse
    // never came are dropped with it.
    bool takeCause(int pulseRelay, int64_t& arrival)
    {
        std::lock_guard lock(mutex_);
        auto it = std::find_if(causes_.begin(), causes_.end(),
                               [&](const Cause& c) { return c.pulseRelay == pulseRelay; });
        if (it == causes_.end())
            return false;
        arrival = it->arrival;
        causes_.erase(causes_.begin(), it + 1);
        return true;
    }
    void forget()
    {
        std::lock_guard lock(mutex_);
        causes_.clear();
    }

private:
    const ArrivalLog& log_;
    std::mutex mutex_;
    std::deque<Cause> causes_;
};

bool writeProgram(const testing::TempDir& dir, const std::string& name, std::string& error)
{
    Program p;
    const auto parsed = mkprogram::parseDescription(kProgram, p);
    if (!parsed.ok) {
        error = parsed.error;
        return false;
    }
    p.compact();
    return common::writeFileAtomic(dir.file(name), serialiseProgram(p));
}

// The bench's thread stands in for the window's event loop: it fires the
// timers the core starts (a point's busy time among them) when they are due.
class TimerPump {
public:
    explicit TimerPump(testing::RecordingFrontend& frontend) : frontend_(frontend) {}
    void pump()
    {
        const auto now = Clock::now();
        const std::map<int, int> running = frontend_.runningTimers();
        std::erase_if(since_, [&](const auto& e) { return !running.contains(e.first); });
        for (const auto& [id, intervalMs] : running) {
            auto [it, added] = since_.try_emplace(id, now);
            if (added || now - it->second < std::chrono::milliseconds(intervalMs))
                continue;
            it->second = now; // a repeating timer runs on
            frontend_.fireTimer(id);
        }
    }
    void pumpFor(std::chrono::milliseconds span)
    {
        const auto end = Clock::now() + span;
        while (Clock::now() < end) {
            pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

private:
    testing::RecordingFrontend& frontend_;
    std::map<int, Clock::time_point> since_;
};

// The program folder: the oval layout with a point at each end, the board on the
// pseudo-terminal, a looping capture, the video, program and calibration.
bool makeFolder(const testing::TempDir& dir, const std::string& boardPath, std::string& error)
{
    dir.write("VARDO.ini", "[CAPTURE]\nLOOP=1\n");
    dir.write("option.ini", "[AGREEMENT]\nAGREEMENT=1\n[CAPTURE]\nDEVICE=0\n"
                            "[LAYOUT]\nSURPRESS_MESSAGE=1\n[USB]\nSURPRESS_MESSAGE=1\nCOM_NO=1\n"
                            "[SERIAL]\nCOM1=" +
                                boardPath + "\n");
    dir.write("layout/.keep", "");
    layoutdata::PointFile points;
    const layoutdata::Point ends[4] = {{520, 240}, {320, 390}, {120, 240}, {320, 90}};
    points.count = 4;
    for (size_t k = 0; k < 4; ++k) {
        points.records[k].direction = 1;
        points.records[k].number = uint8_t(k + 1);
        points.records[k].x = ends[k].x;
        points.records[k].y = ends[k].y;
    }
    if (!layoutdata::writePolylineFile(dir.file("layout/layout.dat"),
                                       vardo::testing::ovalTrack()) ||
        !layoutdata::writePointFile(dir.file("layout/point.dat"), points)) {
        error = "cannot write the layout";
        return false;
    }
    if (!common::writeFileAtomic(dir.file("oval.clb"),
                                 vision::encodeCalibrationFile(calibrationRecord()))) {
        error = "cannot write the calibration";
        return false;
    }
    return testing::writeOvalVideo(dir.file("oval.avi"), videoSpec(), error) &&
           writeProgram(dir, "points.vpr", error);
}

double percentile(const std::vector<double>& sorted, int percent)
{
    const size_t at = std::min(sorted.size() - 1, sorted.size() * size_t(percent) / 100);
    return sorted[at];
}

double g_medianUs = 0;
double g_plainPassUs = 0;

void BM_FrameToPointCommandOnTheLine(benchmark::State& state)
{
    boardsim::BoardEmulator board({});
    if (!board.open() || !board.start())
        return state.SkipWithError("no pseudo-terminal for the board");
    testing::TempDir dir;
    std::string error;
    if (!makeFolder(dir, board.devicePath(), error))
        return state.SkipWithError(error.c_str());

    ArrivalLog arrivals;
    PointObserver observer(arrivals);
    testing::RecordingFrontend frontend;
    AssemblyParts parts;
    parts.videoBackend = std::make_unique<StampingBackend>(arrivals);
    parts.videoPath = dir.file("oval.avi");
    parts.calibrationPath = dir.file("oval.clb");
    parts.programPath = dir.file("points.vpr");
    parts.observer = &observer;
    VardoAssembly rail(frontend, dir.path(), std::move(parts));
    if (rail.start() != StartupOutcome::Started || !rail.videoOpened())
        return state.SkipWithError("the assembly did not come up on the video");
    if (!rail.usb().connected() || !rail.calibrationLoaded() || !rail.programLoaded())
        return state.SkipWithError("board, calibration or program missing");

    TimerPump timers(frontend);
    // The start pulses' busy time passes before the program runs.
    timers.pumpFor(std::chrono::milliseconds(1500));
    std::vector<double> latencies;
    int unmatched = 0;
    for (auto _ : state) {
        rail.autoOperationCommand();
        if (!rail.operation().operating()) {
            state.SkipWithError("the program did not start");
            break;
        }
        // The program's start pulses the points again; the first lap, whose
        // commands wait out that busy time, is not measured.
        timers.pumpFor(std::chrono::milliseconds(2000));
        size_t seen = size_t(board.commandCount());
        observer.forget();
        const auto end = Clock::now() + kSampling;
        while (Clock::now() < end) {
            timers.pumpFor(std::chrono::milliseconds(20));
            const std::vector<boardsim::CommandRecord> records = board.commands();
            for (; seen < records.size(); ++seen) {
                if (records[seen].pulseRelay == 0)
                    continue;
                int64_t arrival = 0;
                if (!observer.takeCause(records[seen].pulseRelay, arrival) || arrival == 0) {
                    ++unmatched;
                    continue;
                }
                const int64_t byte = records[seen].time.time_since_epoch().count();
                latencies.push_back(double(byte - arrival) / 1000.0);
            }
        }
        rail.autoOperationCommand(); // stops it
        rail.operation().waitForEnd(5000);
    }
    const int frames = arrivals.frames();
    rail.shutdown();
    board.requestStop();
    if (latencies.empty())
        return state.SkipWithError("no point command reached the board");
    std::sort(latencies.begin(), latencies.end());
    g_medianUs = percentile(latencies, 50);
    state.counters["commands"] = double(latencies.size());
    state.counters["unmatched"] = unmatched;
    state.counters["frames"] = frames;
    state.counters["median_us"] = g_medianUs;
    state.counters["p99_us"] = percentile(latencies, 99);
    state.counters["max_us"] = latencies.back();
}
BENCHMARK(BM_FrameToPointCommandOnTheLine)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

// The baseline: one pass over a frame of the video's size, summing its bytes.
void BM_PlainPassOverFrame(benchmark::State& state)
{
    const testing::OvalVideo v = videoSpec();
    const std::vector<uint8_t> frame = testing::drawOvalFrame(v, 0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(frame.data());
        const uint64_t sum = std::accumulate(frame.begin(), frame.end(), uint64_t{0});
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(frame.size()));
}
BENCHMARK(BM_PlainPassOverFrame)->Unit(benchmark::kMicrosecond);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.benchmark_name().find("PlainPass") != std::string::npos && r.iterations > 0)
                g_plainPassUs = r.GetAdjustedRealTime(); // in the run's unit: microseconds
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        if (g_medianUs > 0 && g_plainPassUs > 0)
            std::printf("frame -> point command on the line: median %.0f us, "
                        "%.0f plain passes over a frame (%.1f us each)\n",
                        g_medianUs, g_medianUs / g_plainPassUs, g_plainPassUs);
    }
};

} // namespace

int main(int argc, char** argv)
{
    gst_init(&argc, &argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
