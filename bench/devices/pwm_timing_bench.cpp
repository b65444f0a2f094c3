// How closely the PWM driver keeps its pulses: at half speed and a 40 ms
// period, the on time and the period as the emulated board receives them
// over a pseudo-terminal, median and 99th percentile over 200 periods,
// beside what they should be (20 ms and 40 ms).
#include "board_emulator.h"
#include "common/profile.h"
#include "quiet_frontend.h"
#include "vardo/devices/serial_port.h"
#include "vardo/devices/usb_controller.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>
#include <unistd.h>
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
    boardsim::BoardEmulator board({});
    if (!board.open() || !board.start()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    const std::string folder =
        (std::filesystem::temp_directory_path() / ("pwm-bench-" + std::to_string(getpid())))
            .string();
    std::filesystem::create_directories(folder);
    const std::string ini = folder + "/option.ini";
    common::Profile::writeString(ini, "SERIAL", "COM3", board.devicePath());
    common::Profile::writeInt(ini, "USB", "COM_NO", 3);
    common::Profile::writeInt(ini, "USB", "PWM_CONTROL", 1);
    common::Profile::writeInt(ini, "USB", "PWM_INTERVAL", kPeriodMs);
    vardo::bench::QuietFrontend frontend;
    vardo::devices::SerialPortOpener opener(ini);
    vardo::devices::UsbController usb(frontend, opener, ini, folder);
    if (!usb.initController()) {
        state.SkipWithError("controller did not start");
        std::filesystem::remove_all(folder);
        return;
    }
    for (auto _ : state) {
        usb.setSpeed(0.5);
        usb.sendAction(1);
        std::this_thread::sleep_for(std::chrono::milliseconds(kPeriodMs * (kPeriods + 2)));
        usb.sendAction(0);
    }
    usb.shutdownController();
    std::filesystem::remove_all(folder);

    std::vector<double> on, period;
    const auto records = board.commands();
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
