// The nearest-track-position search against a plain scan of every
// position, on a layout of 4,000 positions (outer loop and sidings).
#include "vardo/layout/track.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <random>
#include <vector>

namespace {

using vardo::layout::Track;
using layoutdata::Point;

Track& layoutOf4000()
{
    static Track track = [] {
        layoutdata::PolylineFile f;
        auto add = [&f](const std::vector<Point>& line) {
            f.vertexCounts.push_back(int32_t(line.size()));
            f.vertices.insert(f.vertices.end(), line.begin(), line.end());
        };
        std::vector<Point> loop;
        for (int i = 0; i < 3000; ++i) {
            double a = 2 * 3.141592653589793 * i / 3000;
            loop.push_back({int(std::lround(320 + 280 * std::cos(a))),
                            int(std::lround(240 + 200 * std::sin(a)))});
        }
        add(loop);
        for (int s = 0; s < 4; ++s) {
            std::vector<Point> siding;
            for (int i = 0; i < 250; ++i)
                siding.push_back({100 + i * 440 / 250, 120 + 80 * s});
            add(siding);
        }
        Track t;
        t.assign(f);
        return t;
    }();
    return track;
}

std::vector<Point> queries()
{
    std::mt19937 random(11);
    std::vector<Point> q(1024);
    for (auto& p : q)
        p = {int(random() % 640), int(random() % 480)};
    return q;
}

int bruteNearest(const Track& t, int x, int y)
{
    int best = -1, bestD = vardo::layout::kFarAway;
    for (int i = 0; i < t.positionCount(); ++i) {
        int d = vardo::layout::squaredDistance(t.position(i), x, y);
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

void BM_NearestCoarseFine(benchmark::State& state)
{
    const Track& t = layoutOf4000();
    auto q = queries();
    size_t i = 0;
    for (auto _ : state) {
        const Point& p = q[i++ & 1023];
        benchmark::DoNotOptimize(t.nearest(p.x, p.y));
    }
}
BENCHMARK(BM_NearestCoarseFine);

void BM_NearestBruteForce(benchmark::State& state)
{
    const Track& t = layoutOf4000();
    auto q = queries();
    size_t i = 0;
    for (auto _ : state) {
        const Point& p = q[i++ & 1023];
        benchmark::DoNotOptimize(bruteNearest(t, p.x, p.y));
    }
}
BENCHMARK(BM_NearestBruteForce);

// Reports the ratio of the two in the same process.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            double ns = r.GetAdjustedRealTime();
            if (r.benchmark_name().find("CoarseFine") != std::string::npos)
                fast_ = ns;
            else
                brute_ = ns;
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        if (fast_ > 0 && brute_ > 0)
            std::printf("brute force / coarse-fine: %.1f x\n", brute_ / fast_);
    }

private:
    double fast_ = 0, brute_ = 0;
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
