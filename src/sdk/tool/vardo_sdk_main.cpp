// vardo-sdk: a command-line client of Vardo's outside-program interface.
#include "vardo_sdk.h"
#include "watch.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kDefaultTimeoutMs = 5000;

int usage()
{
    std::fprintf(stderr, "usage: vardo-sdk send CODE [VALUE] [--timeout MS]\n"
                         "       vardo-sdk watch [--json] [--seconds S]\n"
                         "       vardo-sdk registry\n");
    return 2;
}

bool parseInt(const char* text, long long low, long long high, long long& value)
{
    errno = 0;
    char* end = nullptr;
    value = std::strtoll(text, &end, 0);
    return errno == 0 && end != text && *end == '\0' && value >= low && value <= high;
}

vardo_sdk* connect()
{
    vardo_sdk* sdk = vardo_sdk_connect();
    if (sdk == nullptr) {
        std::fprintf(stderr, "vardo-sdk: Vardo's interface is not running (start Vardo with -s)\n");
    }
    return sdk;
}

int send(int argc, char** argv)
{
    long long values[2] = {0, 0};
    int given = 0;
    long long timeoutMs = kDefaultTimeoutMs;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--timeout") == 0 && i + 1 < argc) {
            if (!parseInt(argv[++i], -1, 3600000, timeoutMs)) {
                return usage();
            }
        } else if (given < 2 && parseInt(argv[i], INT32_MIN, INT32_MAX, values[given])) {
            ++given;
        } else {
            return usage();
        }
    }
    if (given == 0) {
        return usage();
    }
    vardo_sdk* sdk = connect();
    if (sdk == nullptr) {
        return 2;
    }
    int result = vardo_sdk_send(sdk, static_cast<int32_t>(values[0]),
                                static_cast<int32_t>(values[1]), static_cast<int32_t>(timeoutMs));
    vardo_sdk_disconnect(sdk);
    if (result == VARDO_SDK_TIMEOUT) {
        std::fprintf(stderr, "vardo-sdk: the command was not taken in time\n");
        return 1;
    }
    if (result != VARDO_SDK_OK) {
        std::fprintf(stderr, "vardo-sdk: the command could not be written (%d)\n", result);
        return 2;
    }
    return 0;
}

int watch(int argc, char** argv)
{
    bool json = false;
    double seconds = -1.0;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0) {
            json = true;
        } else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            char* end = nullptr;
            seconds = std::strtod(argv[++i], &end);
            if (*end != '\0' || seconds < 0) {
                return usage();
            }
        } else {
            return usage();
        }
    }
    vardo_sdk* sdk = connect();
    if (sdk == nullptr) {
        return 2;
    }
    int result = vardo::sdk_tool::watch(sdk, json, seconds, stdout);
    vardo_sdk_disconnect(sdk);
    return result;
}

int registry()
{
    if (vardo_registry_init() != VARDO_SDK_OK) {
        std::fprintf(stderr, "vardo-sdk: the registry cannot be opened\n");
        return 2;
    }
    std::printf("slot  name                             mutex                            "
                "in-use  size  count  creator  holders\n");
    for (int16_t slot = 0; slot < VARDO_SDK_SLOTS; ++slot) {
        vardo_registry_entry entry{};
        int32_t creator = 0;
        int32_t holders = 0;
        if (vardo_registry_entry_get(slot, &entry) != VARDO_SDK_OK ||
            vardo_registry_holders(slot, &creator, &holders) != VARDO_SDK_OK) {
            std::fprintf(stderr, "vardo-sdk: the registry cannot be locked\n");
            return 2;
        }
        std::printf("%4d  %-31.31s  %-31.31s  %6d  %4d  %5d  %7d  %7d\n", slot, entry.mappingName,
                    entry.mutexName, entry.inUse, entry.recordSize, entry.recordCount, creator,
                    holders);
    }
    vardo_registry_close();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        return usage();
    }
    std::string verb = argv[1];
    if (verb == "send") {
        return send(argc - 2, argv + 2);
    }
    if (verb == "watch") {
        return watch(argc - 2, argv + 2);
    }
    if (verb == "registry" && argc == 2) {
        return registry();
    }
    return usage();
}
