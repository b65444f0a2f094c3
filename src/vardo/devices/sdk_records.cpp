#include "vardo/devices/sdk_records.h"

#include "sdk/registry.h"
#include "vardo_sdk.h"

#include <algorithm>
#include <cstring>

namespace vardo::devices {

namespace {

constexpr std::int32_t kRecordBytes = 12;

std::int16_t createSet(const char* name, const char* mutex)
{
    return vardo_create_record_set(name, mutex, kRecordBytes, 1);
}

} // namespace

std::int16_t toRecordValue(int value)
{
    return static_cast<std::int16_t>(std::clamp(value, -32768, 32767));
}

bool SdkRecords::open()
{
    close();
    if (vardo_registry_init() != VARDO_SDK_OK) {
        return false;
    }
    std::int16_t command = createSet(VARDO_SDK_COMMAND, VARDO_SDK_COMMAND_MUTEX);
    std::int16_t position = createSet(VARDO_SDK_POSITION, VARDO_SDK_POSITION_MUTEX);
    std::int16_t status = createSet(VARDO_SDK_STATUS, VARDO_SDK_STATUS_MUTEX);
    std::int16_t ball = createSet(VARDO_SDK_BALL, VARDO_SDK_BALL_MUTEX);
    position_ = position;
    status_ = status;
    ball_ = ball;
    command_ = command;
    if (command < 0 || position < 0 || status < 0 || ball < 0) {
        close();
        return false;
    }
    return true;
}

void SdkRecords::close()
{
    for (std::atomic<std::int16_t>* slot : {&command_, &position_, &status_, &ball_}) {
        std::int16_t open = slot->exchange(-1);
        if (open >= 0) {
            vardo_close_record_set(open);
        }
    }
}

bool SdkRecords::takeCommand(SdkCommand& command)
{
    std::int16_t slot = command_.load();
    if (slot < 0) {
        return false;
    }
    bool taken = false;
    sdk::Registry::instance().update(slot, 1, lockMs_, [&](unsigned char* bytes, std::int32_t) {
        vardo_command_record record{};
        std::memcpy(&record, bytes, sizeof record);
        if (record.flag != VARDO_SDK_FLAG_NEW) {
            return;
        }
        bytes[0] = VARDO_SDK_FLAG_TAKEN;
        command.code = record.code;
        command.value = record.value;
        taken = true;
    });
    return taken;
}

bool SdkRecords::writePosition(int x, int y, int laps, int angle)
{
    std::int16_t slot = position_.load();
    if (slot < 0) {
        return false;
    }
    vardo_position_record record{};
    record.flag = VARDO_SDK_FLAG_NEW;
    record.x = toRecordValue(x);
    record.y = toRecordValue(y);
    record.laps = toRecordValue(laps);
    record.angle = toRecordValue(angle);
    return vardo_write_record(slot, &record, 1, VARDO_SDK_LOCK, lockMs_) == VARDO_SDK_OK;
}

bool SdkRecords::writeStatus(int state)
{
    std::int16_t slot = status_.load();
    if (slot < 0) {
        return false;
    }
    vardo_status_record record{};
    record.flag = VARDO_SDK_FLAG_NEW;
    record.state = toRecordValue(state);
    return vardo_write_record(slot, &record, 1, VARDO_SDK_LOCK, lockMs_) == VARDO_SDK_OK;
}

} // namespace vardo::devices
