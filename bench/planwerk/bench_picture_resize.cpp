// Making the 640 x 480 layout picture from a 4000 x 3000 JPEG photograph:
// the decode and the area-averaging stretch, each against one plain pass
// over the decoded pixels (the least any step over the picture costs).
#include "planwerk/picture/jpeg_reader.h"
#include "planwerk/picture/jpeg_writer.h"
#include "planwerk/picture/resize.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

// Smooth shading with fine grain, so the JPEG is about as large as a
// photograph's.
common::Bitmap photograph()
{
    common::Bitmap p;
    p.width = kWidth;
    p.height = kHeight;
    p.bgr.resize(size_t(kWidth) * 3 * kHeight);
    uint32_t noise = 12345;
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* row = p.pixel(0, y);
        for (int x = 0; x < kWidth; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int grain = int(noise >> 28) - 8;
            row[3 * x] = uint8_t(std::clamp(x * 255 / kWidth + grain, 0, 255));
            row[3 * x + 1] = uint8_t(std::clamp(y * 255 / kHeight + grain, 0, 255));
            row[3 * x + 2] =
                uint8_t(std::clamp(((x / 50 + y / 50) % 2) * 160 + grain + 40, 0, 255));
        }
    }
    return p;
}

const std::vector<uint8_t>& jpegFile()
{
    static const std::vector<uint8_t> bytes = planwerk::encodeJpeg(photograph(), 90);
    return bytes;
}

const common::Bitmap& decoded()
{
    static const common::Bitmap picture = [] {
        common::Bitmap p;
        const auto& bytes = jpegFile();
        if (!planwerk::decodeJpeg(bytes.data(), bytes.size(), p))
            std::fprintf(stderr, "the generated JPEG did not decode\n");
        return p;
    }();
    return picture;
}

void BM_DecodeJpeg(benchmark::State& state)
{
    const auto& bytes = jpegFile();
    for (auto _ : state) {
        common::Bitmap p;
        benchmark::DoNotOptimize(planwerk::decodeJpeg(bytes.data(), bytes.size(), p));
        benchmark::DoNotOptimize(p.bgr.data());
    }
    state.counters["jpeg_bytes"] = double(bytes.size());
}
BENCHMARK(BM_DecodeJpeg)->Unit(benchmark::kMillisecond);

void BM_StretchTo640x480(benchmark::State& state)
{
    const common::Bitmap& source = decoded();
    for (auto _ : state) {
        auto r = planwerk::resizePicture(source, planwerk::SourceKind::Layout, std::nullopt,
                                         [] { return true; });
        benchmark::DoNotOptimize(r.picture.bgr.data());
    }
}
BENCHMARK(BM_StretchTo640x480)->Unit(benchmark::kMillisecond);

// One read of every decoded byte: the floor for any pass over the picture.
void BM_PlainPass(benchmark::State& state)
{
    const common::Bitmap& source = decoded();
    for (auto _ : state) {
        uint64_t sum = 0;
        for (uint8_t b : source.bgr)
            sum += b;
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_PlainPass)->Unit(benchmark::kMillisecond);

// Prints decode and stretch as multiples of the plain pass, same process.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        // CPU time: the machine is shared, so wall time carries others' load.
        // With repetitions the medians are compared.
        for (const Run& r : runs)
            if (r.run_type != Run::RT_Aggregate || r.aggregate_name == "median")
                times_[r.run_name.function_name] = r.GetAdjustedCPUTime();
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const double pass = times_["BM_PlainPass"];
        if (pass <= 0)
            return;
        for (const char* name : {"BM_DecodeJpeg", "BM_StretchTo640x480"})
            if (times_[name] > 0)
                std::printf("%s / plain pass: %.1f x\n", name, times_[name] / pass);
    }

private:
    std::map<std::string, double> times_;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
