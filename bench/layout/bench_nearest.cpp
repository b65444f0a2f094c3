// The indexed nearest-track-position search against a plain scan of every
// position, on a layout of 4,000 positions (outer loop and sidings), with
// queries anywhere on the picture and queries near the track.
#include "vardo/layout/track.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using layoutdata::Point;
using vardo::layout::Track;

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

// Where detected trains are: within a few pixels of a track position.
std::vector<Point> queriesNearTrack()
{
    const Track& t = layoutOf4000();
    std::mt19937 random(5);
    std::vector<Point> q(1024);
    for (auto& p : q) {
        const Point& at = t.position(int(random() % unsigned(t.positionCount())));
        p = {at.x + int(random() % 9) - 4, at.y + int(random() % 9) - 4};
    }
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

void BM_NearestIndexed_Anywhere(benchmark::State& state)
{
    const Track& t = layoutOf4000();
    auto q = queries();
    size_t i = 0;
    for (auto _ : state) {
        const Point& p = q[i++ & 1023];
        benchmark::DoNotOptimize(t.nearest(p.x, p.y));
    }
}
BENCHMARK(BM_NearestIndexed_Anywhere);

void BM_NearestBruteForce_Anywhere(benchmark::State& state)
{
    const Track& t = layoutOf4000();
    auto q = queries();
    size_t i = 0;
    for (auto _ : state) {
        const Point& p = q[i++ & 1023];
        benchmark::DoNotOptimize(bruteNearest(t, p.x, p.y));
    }
}
BENCHMARK(BM_NearestBruteForce_Anywhere);

void BM_NearestIndexed_NearTrack(benchmark::State& state)
{
    const Track& t = layoutOf4000();
    auto q = queriesNearTrack();
    size_t i = 0;
    for (auto _ : state) {
        const Point& p = q[i++ & 1023];
        benchmark::DoNotOptimize(t.nearest(p.x, p.y));
    }
}
BENCHMARK(BM_NearestIndexed_NearTrack);

void BM_NearestBruteForce_NearTrack(benchmark::State& state)
{
    const Track& t = layoutOf4000();
    auto q = queriesNearTrack();
    size_t i = 0;
    for (auto _ : state) {
        const Point& p = q[i++ & 1023];
        benchmark::DoNotOptimize(bruteNearest(t, p.x, p.y));
    }
}
BENCHMARK(BM_NearestBruteForce_NearTrack);

// Building the indexes happens once, when the layout is loaded.
void BM_IndexBuild(benchmark::State& state)
{
    const Track& t = layoutOf4000();
    layoutdata::PolylineFile f;
    for (int k = 0; k < t.polylineCount(); ++k)
        f.vertexCounts.push_back(t.polylineSize(k));
    f.vertices = t.positions();
    for (auto _ : state) {
        Track copy;
        copy.assign(f);
        benchmark::DoNotOptimize(copy.positionCount());
    }
}
BENCHMARK(BM_IndexBuild)->Unit(benchmark::kMillisecond);

// Reports brute force / indexed for each query set, in the same process.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            std::string name = r.benchmark_name();
            size_t cut = name.find('_', 3);
            if (cut == std::string::npos)
                continue;
            std::string set = name.substr(name.find('_', cut) + 1);
            (name.find("Indexed") != std::string::npos ? indexed_ : brute_)[set] =
                r.GetAdjustedRealTime();
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const auto& [set, ns] : indexed_) {
            auto b = brute_.find(set);
            if (ns > 0 && b != brute_.end())
                std::printf("brute force / indexed, %s: %.1f x\n", set.c_str(), b->second / ns);
        }
    }

private:
    std::map<std::string, double> indexed_, brute_;
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
