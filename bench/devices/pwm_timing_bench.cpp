// How closely the PWM driver keeps its pulses: at half speed and a 40 ms
// period, the on time and the period as the emulated board receives them
// over a pseudo-terminal, median and 99th percentile over 200 periods,
// beside what they should be (20 ms and 40 ms).
#include "usb_bench_rig.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

namespace {

constexpr int kPeriodMs = 40;
constexpr int kPeriods = 200;

double ms(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

void report(benchmark::State& state, const char* name, std::vector<double> values, double goal)
{
    if (values.empty())
        return;
    std::sort(values.begin(), values.end());
    const double median = values[values.size() / 2];
    const double p99 = values[values.size() * 99 / 100];
    state.counters[std::string(name) + "_median_ms"] = median;
    state.counters[std::string(name) + "_p99_ms"] = p99;
    state.counters[std::string(name) + "_median_vs_goal"] = median / goal;
}

void BM_PwmHalfSpeedPulses(benchmark::State& state)
{
    vardo::bench::UsbBenchRig rig(
        "pwm-bench", "PWM_CONTROL=1\nPWM_INTERVAL=" + std::to_string(kPeriodMs) + "\n");
    if (rig.error) {
        state.SkipWithError(rig.error);
        return;
    }
    vardo::devices::UsbController& usb = *rig.usb;
    for (auto _ : state) {
        usb.setSpeed(0.5);
        usb.sendAction(1);
        std::this_thread::sleep_for(std::chrono::milliseconds(kPeriodMs * (kPeriods + 2)));
        usb.sendAction(0);
    }
    std::vector<double> on, period;
    const auto records = rig.board.commands();
    const std::chrono::steady_clock::time_point* lastOn = nullptr;
    for (size_t i = 0; i + 1 < records.size(); ++i) {
        if (records[i].command != "PCR81")
            continue;
        if (records[i + 1].command == "PCR80")
            on.push_back(ms(records[i + 1].time - records[i].time));
        if (lastOn)
            period.push_back(ms(records[i].time - *lastOn));
        lastOn = &records[i].time;
    }
    report(state, "on", on, kPeriodMs / 2.0);
    report(state, "period", period, kPeriodMs);
    state.counters["periods"] = double(period.size());
}

BENCHMARK(BM_PwmHalfSpeedPulses)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
