// Simulation timing and the cost of a system that runs but has nothing to
// do. Step jitter: the measured time of each simulation step against the
// planned SPEED / speed, beside a bare sleep loop of the same period (the
// ratio shows what the simulation adds). Idle CPU: process CPU time over
// 10 s with the simulation idling and the control-point watcher waiting,
// beside 10 s of plain sleep.
#include "vardo/base/quiet_frontend.h"
#include "vardo/layout/layout_model.h"
#include "vardo/operation/control_points.h"
#include "vardo/operation/simulation.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

void buildLoop(vardo::layout::LayoutModel& model)
{
    layoutdata::PolylineFile track;
    const int count = 400;
    for (int i = 0; i < count; ++i) {
        const double a = 2 * 3.141592653589793 * i / count;
        track.vertices.push_back(
            {int(std::lround(320 + 250 * std::cos(a))), int(std::lround(240 + 170 * std::sin(a)))});
    }
    track.vertexCounts.push_back(count);
    model.setTrack(track);
    model.setPoints({});
    model.findJunctions();
    model.buildLinks();
}

struct System {
    System()
    {
        buildLoop(model);
        simulation.setStepTime(2);
    }
    vardo::QuietFrontend frontend;
    vardo::layout::LayoutModel model;
    vardo::TrainState trains;
    vardo::SoundCalls sounds;
    vardo::Controller controller{frontend, &model};
    vardo::SpeedControl speed{frontend, controller};
    vardo::Simulation simulation{controller, speed, trains};
    vardo::ControlPoints controlPoints{controller, trains, sounds};
};

struct Jitter {
    double mean = 0, p99 = 0, max = 0;
};

Jitter summarise(std::vector<double> errors)
{
    Jitter j;
    if (errors.empty())
        return j;
    std::sort(errors.begin(), errors.end());
    for (double e : errors)
        j.mean += e;
    j.mean /= double(errors.size());
    j.p99 = errors[std::min(errors.size() - 1, errors.size() * 99 / 100)];
    j.max = errors.back();
    return j;
}

// The same period with nothing but sleep_until.
Jitter baselineJitter(double periodMs, int steps)
{
    std::vector<double> errors;
    auto due = Clock::now();
    auto last = due;
    for (int i = 0; i < steps; ++i) {
        due += std::chrono::microseconds(int64_t(periodMs * 1000));
        std::this_thread::sleep_until(due);
        const auto now = Clock::now();
        errors.push_back(
            std::abs(std::chrono::duration<double, std::milli>(now - last).count() - periodMs));
        last = now;
    }
    return summarise(errors);
}

void BM_SimulationStepJitter(benchmark::State& state)
{
    const double speed = double(state.range(0)) / 100;
    const double planned = std::min(1000.0, 2 / speed);
    const int steps = int(1000 / planned) + 20;
    Jitter sim, base;
    for (auto _ : state) {
        System system;
        std::mutex mutex;
        std::vector<double> errors;
        system.simulation.setStepHook([&](double plannedMs, double actualMs) {
            std::lock_guard lock(mutex);
            errors.push_back(std::abs(actualMs - plannedMs));
        });
        system.speed.set(speed);
        system.controller.performAction(vardo::ActionForward);
        system.simulation.start(0);
        std::this_thread::sleep_for(std::chrono::milliseconds(int(planned * steps)));
        system.simulation.stop();
        std::lock_guard lock(mutex);
        // The first step runs from the start, before the train was running.
        if (errors.size() > 1)
            errors.erase(errors.begin());
        sim = summarise(errors);
        base = baselineJitter(planned, int(errors.size()));
    }
    state.counters["planned_ms"] = planned;
    state.counters["jitter_mean_ms"] = sim.mean;
    state.counters["jitter_p99_ms"] = sim.p99;
    state.counters["jitter_max_ms"] = sim.max;
    state.counters["baseline_mean_ms"] = base.mean;
    state.counters["ratio_mean"] = base.mean > 0 ? sim.mean / base.mean : 0;
}
BENCHMARK(BM_SimulationStepJitter)
    ->Arg(100)
    ->Arg(50)
    ->Arg(10)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

double processCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000 + double(t.tv_nsec) / 1e6;
}

void BM_IdleSystemCpu(benchmark::State& state)
{
    constexpr int kSeconds = 10;
    double idleCpu = 0, baseCpu = 0;
    for (auto _ : state) {
        {
            System system;
            system.controlPoints.setRecords({layoutdata::ControlPointRecord{}});
            system.controlPoints.startWatcher();
            system.simulation.start(0);
            const double before = processCpuMs();
            std::this_thread::sleep_for(std::chrono::seconds(kSeconds));
            idleCpu = processCpuMs() - before;
        }
        const double before = processCpuMs();
        std::this_thread::sleep_for(std::chrono::seconds(kSeconds));
        baseCpu = processCpuMs() - before;
    }
    state.counters["cpu_ms"] = idleCpu;
    state.counters["cpu_percent"] = idleCpu / (kSeconds * 10.0);
    state.counters["baseline_cpu_ms"] = baseCpu;
    state.counters["ratio"] = baseCpu > 0 ? idleCpu / baseCpu : 0;
}
BENCHMARK(BM_IdleSystemCpu)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
