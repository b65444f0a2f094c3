// Round trip of one controller action with its "OK" over a pseudo-terminal
// to the emulated board: median and 99th percentile over 1,000 actions,
// against a baseline of the bare write and answer on the same line.
#include "board_emulator.h"
#include "usb_bench_rig.h"
#include "vardo/devices/serial_port.h"
#include "vardo/devices/usb_controller.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kActions = 1000;

struct Figures {
    double medianUs;
    double p99Us;
};

// The bare line's figures, the baseline of the action's.
Figures baseline{0, 0};

Figures summarise(std::vector<double>& us)
{
    std::sort(us.begin(), us.end());
    return {us[us.size() / 2], us[us.size() * 99 / 100]};
}

// The bare line: write a command, poll until the answer is complete.
void BM_BareLineRoundTrip(benchmark::State& state)
{
    boardsim::BoardEmulator board({});
    if (!board.open() || !board.start()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    auto port = vardo::devices::SerialPort::open(board.devicePath(), 9600);
    const std::string command = "PCR01R10\r";
    std::vector<double> us;
    for (auto _ : state) {
        us.clear();
        for (int i = 0; i < kActions; ++i) {
            const auto start = Clock::now();
            port->writeBytes(command.data(), static_cast<int>(command.size()));
            int got = 0;
            char buffer[16];
            while (got < 4) {
                port->waitReadable(100);
                got += port->readBytes(buffer, sizeof buffer);
            }
            us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        }
    }
    Figures f = summarise(us);
    state.counters["median_us"] = f.medianUs;
    state.counters["p99_us"] = f.p99Us;
    baseline = f;
}

void BM_ActionRoundTrip(benchmark::State& state)
{
    vardo::bench::UsbBenchRig rig("usb-bench");
    if (rig.error) {
        state.SkipWithError(rig.error);
        return;
    }
    vardo::devices::UsbController& usb = *rig.usb;
    std::vector<double> us;
    bool allOk = true;
    for (auto _ : state) {
        us.clear();
        for (int i = 0; i < kActions; ++i) {
            const auto start = Clock::now();
            allOk = usb.sendAction(1 + i % 2) && allOk;
            us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        }
    }
    if (!allOk)
        state.SkipWithError("an action went unanswered");
    Figures f = summarise(us);
    state.counters["median_us"] = f.medianUs;
    state.counters["p99_us"] = f.p99Us;
    if (baseline.medianUs > 0) {
        state.counters["median_vs_bare"] = f.medianUs / baseline.medianUs;
        state.counters["p99_vs_bare"] = f.p99Us / baseline.p99Us;
    }
}

BENCHMARK(BM_BareLineRoundTrip)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ActionRoundTrip)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
