// Reading the largest polyline file the reader takes (1,024 polylines,
// 2^20 vertices): the checked parse against a bare copy of the vertex bytes,
// the least any reader has to do.
#include "layoutdata/layout_files.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const std::vector<uint8_t>& largestFile()
{
    static const std::vector<uint8_t> bytes = [] {
        layoutdata::PolylineFile f;
        f.vertexCounts.assign(layoutdata::kMaxPolylines,
                              layoutdata::kMaxPolylineVertices / layoutdata::kMaxPolylines);
        f.vertices.resize(layoutdata::kMaxPolylineVertices);
        for (size_t i = 0; i < f.vertices.size(); ++i)
            f.vertices[i] = {int32_t(i % 640), int32_t(i % 480)};
        return layoutdata::encodePolylineFile(f);
    }();
    return bytes;
}

void BM_ParsePolylineFile(benchmark::State& state)
{
    const auto& bytes = largestFile();
    for (auto _ : state) {
        layoutdata::PolylineFile f;
        benchmark::DoNotOptimize(layoutdata::parsePolylineFile(bytes, f));
        benchmark::DoNotOptimize(f.vertices.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(BM_ParsePolylineFile)->Unit(benchmark::kMillisecond);

void BM_CopyVertexBytes(benchmark::State& state)
{
    const auto& bytes = largestFile();
    size_t offset = 32 + 4 * size_t(layoutdata::kMaxPolylines);
    for (auto _ : state) {
        std::vector<layoutdata::Point> v(layoutdata::kMaxPolylineVertices);
        std::memcpy(v.data(), bytes.data() + offset, v.size() * sizeof(layoutdata::Point));
        benchmark::DoNotOptimize(v.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(BM_CopyVertexBytes)->Unit(benchmark::kMillisecond);

// Prints the parse time as a multiple of the bare copy, same process.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            double ns = r.GetAdjustedRealTime();
            if (r.benchmark_name().find("Parse") != std::string::npos)
                parse_ = ns;
            else
                copy_ = ns;
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        if (parse_ > 0 && copy_ > 0)
            std::printf("checked parse / bare copy: %.1f x\n", parse_ / copy_);
    }

private:
    double parse_ = 0, copy_ = 0;
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
