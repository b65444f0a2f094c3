// Frames per second the video source delivers from a 640x480 file, as fast
// as it decodes, against a bare decoding pipeline (decode and convert to
// blue-green-red, nothing else) in the same process. The difference is the
// cost of the hand-over: the bottom-up repack and the callback.
#include "vardo/vision/video_gst_backend.h"

#include "test_video.h"

#include <benchmark/benchmark.h>
#include <gst/gst.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

using namespace vardo;

constexpr int kFrames = 120;

const std::string& testFile()
{
    static std::string path = [] {
        std::string file = "/tmp/vardo_bench_" + std::to_string(getpid()) + ".avi";
        testing::TestVideoParams params;
        params.width = 640;
        params.height = 480;
        params.frames = kFrames;
        std::string error;
        if (!testing::writeTestVideo(file, params, error))
            std::fprintf(stderr, "test video: %s\n", error.c_str());
        return file;
    }();
    return path;
}

void BM_BareDecode(benchmark::State& state)
{
    std::string description = "filesrc location=\"" + testFile() +
                              "\" ! decodebin ! videoconvert ! video/x-raw,format=BGR ! fakesink sync=false";
    for (auto _ : state) {
        GstElement* pipeline = gst_parse_launch(description.c_str(), nullptr);
        gst_element_set_state(pipeline, GST_STATE_PLAYING);
        GstBus* bus = gst_element_get_bus(pipeline);
        GstMessage* done = gst_bus_timed_pop_filtered(
            bus, 60 * GST_SECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
        if (done == nullptr || GST_MESSAGE_TYPE(done) != GST_MESSAGE_EOS)
            state.SkipWithError("decoding failed");
        if (done)
            gst_message_unref(done);
        gst_object_unref(bus);
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
    }
    state.counters["fps"] = benchmark::Counter(double(kFrames), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_BareDecode)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_VideoSource(benchmark::State& state)
{
    vision::GstVideoBackend backend([] { return std::vector<vision::CameraDevice>{}; });
    vision::VideoError error;
    vision::OpenedSource opened = backend.openFile(testFile(), {false, false}, error);
    if (!opened.source) {
        state.SkipWithError(error.text.c_str());
        return;
    }
    std::atomic<int> frames{0};
    std::atomic<uint32_t> checksum{0};
    opened.source->setCallback([&](std::span<const uint8_t> frame, int, int) {
        checksum.fetch_add(frame[frame.size() / 2]);
        frames.fetch_add(1);
    });
    for (auto _ : state) {
        frames.store(0);
        if (!opened.source->start(error)) {
            state.SkipWithError(error.text.c_str());
            return;
        }
        while (!opened.source->ended())
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        opened.source->stop();
        if (frames.load() != kFrames)
            state.SkipWithError("frames were lost");
    }
    benchmark::DoNotOptimize(checksum.load());
    state.counters["fps"] = benchmark::Counter(double(kFrames), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_VideoSource)->Unit(benchmark::kMillisecond)->UseRealTime();

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            auto fps = r.counters.find("fps");
            if (fps == r.counters.end())
                continue;
            (r.benchmark_name().find("Bare") != std::string::npos ? bare_ : source_) = fps->second.value;
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        if (bare_ > 0 && source_ > 0)
            std::printf("video source: %.0f fps, bare decoding: %.0f fps, source / bare: %.2f\n",
                        source_, bare_, source_ / bare_);
    }

private:
    double bare_ = 0, source_ = 0;
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
