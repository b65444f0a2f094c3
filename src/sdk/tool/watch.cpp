#include "watch.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

namespace vardo::sdk_tool {

namespace {

constexpr int kPollMs = 5;

volatile std::sig_atomic_t g_stop = 0;

void onSignal(int)
{
    g_stop = 1;
}

} // namespace

std::string positionLine(const vardo_position_record& p, long long ms, bool json)
{
    char line[160];
    if (json) {
        std::snprintf(line, sizeof line,
                      "{\"t_ms\":%lld,\"kind\":\"position\",\"x\":%d,\"y\":%d,\"laps\":%d,"
                      "\"angle\":%d}",
                      ms, p.x, p.y, p.laps, p.angle);
    } else {
        std::snprintf(line, sizeof line, "%lld ms position x=%d y=%d laps=%d angle=%d", ms, p.x,
                      p.y, p.laps, p.angle);
    }
    return line;
}

std::string statusLine(const vardo_status_record& s, long long ms, bool json)
{
    char line[120];
    if (json) {
        std::snprintf(line, sizeof line, "{\"t_ms\":%lld,\"kind\":\"status\",\"state\":%d}", ms,
                      s.state);
    } else {
        std::snprintf(line, sizeof line, "%lld ms status state=%d", ms, s.state);
    }
    return line;
}

int watch(vardo_sdk* sdk, bool json, double seconds, std::FILE* out)
{
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    using Clock = std::chrono::steady_clock;
    Clock::time_point start = Clock::now();
    while (g_stop == 0) {
        long long ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        if (seconds >= 0 && ms >= static_cast<long long>(seconds * 1000.0)) {
            break;
        }
        vardo_position_record position{};
        int fresh = vardo_sdk_read_position(sdk, &position);
        if (fresh == 1) {
            std::fprintf(out, "%s\n", positionLine(position, ms, json).c_str());
        }
        vardo_status_record status{};
        int freshStatus = vardo_sdk_read_status(sdk, &status);
        if (freshStatus == 1) {
            std::fprintf(out, "%s\n", statusLine(status, ms, json).c_str());
        }
        if (fresh < 0 && fresh != VARDO_SDK_TIMEOUT && fresh != VARDO_SDK_ABANDONED) {
            std::fprintf(stderr, "vardo-sdk: the Position record cannot be read (%d)\n", fresh);
            return 2;
        }
        std::fflush(out);
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    }
    return 0;
}

} // namespace vardo::sdk_tool
