// Latency from vardo_sdk_send until Vardo has taken the command, at the
// polling intervals that matter (COMM_INTERVAL 100 and 10 ms). Commands
// arrive at random moments of the interval, as an outside program's do.
#include "vardo/devices/sdk_interface.h"
#include "vardo_sdk.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <random>
#include <string>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using vardo::devices::SdkHost;

class QuietHost : public SdkHost {
public:
    void showMessage(int) override {}
    void setCaption(const std::string&) override {}
    bool isCalibrated() const override { return true; }
    bool isSimulation() const override { return true; }
    bool controllerConnected() const override { return true; }
    int programCommandCount() const override { return 2; }
    int controllerState() const override { return 2; }
    bool pointCoupledWithNext(int) const override { return false; }
    void performAction(int, bool) override {}
    void playSound(int, bool) override {}
    void prepareSound(int) override {}
    void stopSound(int) override {}
    void stopAllSounds() override {}
    void setRelay(int, bool) override {}
    void changeSpeed(int, int) override {}
    void turnTurntable(int, bool) override {}
    void waitForSensor(int, int) override {}
    bool clipboardText(std::string&) override { return false; }
    void runProgramFile(const std::string&) override {}
    void setOperating(bool) override {}
    void startOperation() override {}
    void stopOperation() override {}
    void attachWindow(std::uint32_t) override {}
};

double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    auto index = static_cast<size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

void BM_SendUntilTaken(benchmark::State& state)
{
    const int intervalMs = static_cast<int>(state.range(0));
    std::string prefix = "vardo-sdk-bench-" + std::to_string(getpid());
    setenv("VARDO_SDK_PREFIX", prefix.c_str(), 1);
    QuietHost host;
    vardo::devices::SdkInterface sdk(host, vardo::devices::SdkSettings{intervalMs, 20});
    if (!sdk.sdkStart()) {
        state.SkipWithError("the record sets cannot be created");
        return;
    }
    vardo_sdk* client = vardo_sdk_connect();
    if (client == nullptr || vardo_sdk_send(client, 101, 0, 5000) != VARDO_SDK_OK) {
        state.SkipWithError("no connection");
        return;
    }
    std::mt19937 random(17);
    std::uniform_int_distribution<int> phaseUs(0, intervalMs * 1000);
    std::vector<double> latenciesMs;
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::microseconds(phaseUs(random)));
        auto start = std::chrono::steady_clock::now();
        int result = vardo_sdk_send(client, 999, 0, 5000);
        auto taken = std::chrono::steady_clock::now();
        if (result != VARDO_SDK_OK) {
            state.SkipWithError("a command was not taken");
            break;
        }
        double seconds = std::chrono::duration<double>(taken - start).count();
        state.SetIterationTime(seconds);
        latenciesMs.push_back(seconds * 1000.0);
    }
    if (!latenciesMs.empty()) {
        double median = percentile(latenciesMs, 0.5);
        state.counters["median_ms"] = median;
        state.counters["p99_ms"] = percentile(latenciesMs, 0.99);
        // Against the baseline of a poll at a random moment: half an interval.
        state.counters["median_vs_half_interval"] = median / (intervalMs / 2.0);
    }
    vardo_sdk_disconnect(client);
    sdk.sdkStop();
    vardo_registry_close();
    for (const char* name : {VARDO_SDK_REGISTRY_NAME, VARDO_SDK_REGISTRY_MUTEX}) {
        shm_unlink(("/" + prefix + "." + name).c_str());
    }
}

BENCHMARK(BM_SendUntilTaken)
    ->Arg(100)
    ->Iterations(200)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SendUntilTaken)
    ->Arg(10)
    ->Iterations(1000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
