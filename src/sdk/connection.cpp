// The convenience layer: Vardo's three record sets behind one handle.
#include "sdk/checked_copy.h"
#include "sdk/registry.h"
#include "sdk/vardo_sdk.h"

#include <chrono>
#include <cstring>
#include <thread>

using vardo::sdk::Registry;

struct vardo_sdk {
    int16_t command = -1;
    int16_t position = -1;
    int16_t status = -1;
};

namespace {

constexpr int kPollMs = 1;
constexpr int kLockMs = 1000;

using Clock = std::chrono::steady_clock;

bool expired(Clock::time_point start, int32_t timeoutMs)
{
    return timeoutMs >= 0 && Clock::now() - start >= std::chrono::milliseconds(timeoutMs);
}

// Reads a record under its mutex and marks it read, so that the next read
// tells whether new data came meanwhile.
int takeRecord(int16_t slot, void* out)
{
    bool fresh = false;
    bool copied = false;
    int16_t result = VARDO_SDK_ABANDONED;
    for (int attempt = 0; attempt < 2 && result == VARDO_SDK_ABANDONED; ++attempt) {
        result =
            Registry::instance().update(slot, 1, kLockMs, [&](unsigned char* record, int32_t size) {
                copied = vardo::sdk::checkedCopy(out, record, static_cast<std::size_t>(size));
                if (!copied) {
                    return;
                }
                fresh = record[0] == VARDO_SDK_FLAG_NEW;
                record[0] = 0;
            });
    }
    if (result != VARDO_SDK_OK) {
        return result;
    }
    if (!copied) {
        return VARDO_SDK_NO_MAPPING;
    }
    return fresh ? 1 : 0;
}

} // namespace

extern "C" {

vardo_sdk* vardo_sdk_connect(void)
{
    if (vardo_registry_init() != VARDO_SDK_OK) {
        return nullptr;
    }
    auto* sdk = new vardo_sdk;
    sdk->command = vardo_open_record_set(VARDO_SDK_COMMAND);
    sdk->position = vardo_open_record_set(VARDO_SDK_POSITION);
    sdk->status = vardo_open_record_set(VARDO_SDK_STATUS);
    if (sdk->command < 0 || sdk->position < 0 || sdk->status < 0) {
        vardo_sdk_disconnect(sdk);
        return nullptr;
    }
    return sdk;
}

int vardo_sdk_send(vardo_sdk* sdk, int32_t code, int32_t value, int32_t timeoutMs)
{
    if (sdk == nullptr) {
        return VARDO_SDK_BAD_ARGUMENT;
    }
    Clock::time_point start = Clock::now();
    // Wait for a command still pending to be taken, then put ours there.
    bool written = false;
    while (!written) {
        int16_t result = Registry::instance().update(
            sdk->command, 1, kLockMs, [&](unsigned char* record, int32_t) {
                if (record[0] == VARDO_SDK_FLAG_NEW) {
                    return;
                }
                vardo_command_record command{};
                command.flag = VARDO_SDK_FLAG_NEW;
                command.code = code;
                command.value = value;
                std::memcpy(record, &command, sizeof command);
                written = true;
            });
        if (result != VARDO_SDK_OK && result != VARDO_SDK_ABANDONED) {
            return result;
        }
        if (!written) {
            if (expired(start, timeoutMs)) {
                return VARDO_SDK_TIMEOUT;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
        }
    }
    for (;;) {
        vardo_command_record seen{};
        int16_t result = vardo_read_record(sdk->command, &seen, 1, VARDO_SDK_LOCK, kLockMs);
        if (result == VARDO_SDK_OK &&
            (seen.flag != VARDO_SDK_FLAG_NEW || seen.code != code || seen.value != value)) {
            return VARDO_SDK_OK;
        }
        if (result != VARDO_SDK_OK && result != VARDO_SDK_ABANDONED) {
            return result;
        }
        if (expired(start, timeoutMs)) {
            return VARDO_SDK_TIMEOUT;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    }
}

int vardo_sdk_read_position(vardo_sdk* sdk, vardo_position_record* position)
{
    if (sdk == nullptr || position == nullptr) {
        return VARDO_SDK_BAD_ARGUMENT;
    }
    return takeRecord(sdk->position, position);
}

int vardo_sdk_read_status(vardo_sdk* sdk, vardo_status_record* status)
{
    if (sdk == nullptr || status == nullptr) {
        return VARDO_SDK_BAD_ARGUMENT;
    }
    return takeRecord(sdk->status, status);
}

void vardo_sdk_disconnect(vardo_sdk* sdk)
{
    if (sdk == nullptr) {
        return;
    }
    for (int16_t slot : {sdk->command, sdk->position, sdk->status}) {
        if (slot >= 0) {
            vardo_close_record_set(slot);
        }
    }
    delete sdk;
}

} // extern "C"
