// The registry operations as the C interface.
#include "sdk/registry.h"
#include "sdk/vardo_sdk.h"

using vardo::sdk::Registry;

extern "C" {

int16_t vardo_registry_init(void)
{
    return Registry::instance().init();
}

int16_t vardo_create_record_set(const char* name, const char* mutexName, int32_t recordSize,
                                int32_t count)
{
    return Registry::instance().create(name, mutexName, recordSize, count);
}

int16_t vardo_open_record_set(const char* name)
{
    return Registry::instance().open(name);
}

int16_t vardo_close_record_set(int16_t slot)
{
    return Registry::instance().close(slot);
}

int16_t vardo_read_record(int16_t slot, void* destination, int32_t index, int32_t lock,
                          int32_t timeoutMs)
{
    return Registry::instance().read(slot, destination, index, lock, timeoutMs);
}

int16_t vardo_write_record(int16_t slot, const void* source, int32_t index, int32_t lock,
                           int32_t timeoutMs)
{
    return Registry::instance().write(slot, source, index, lock, timeoutMs);
}

int16_t vardo_registry_entry_get(int16_t slot, vardo_registry_entry* entry)
{
    if (entry == nullptr) {
        return VARDO_SDK_BAD_ARGUMENT;
    }
    return Registry::instance().entry(slot, *entry, nullptr, nullptr);
}

int16_t vardo_registry_holders(int16_t slot, int32_t* creatorPid, int32_t* holderCount)
{
    vardo_registry_entry entry{};
    return Registry::instance().entry(slot, entry, creatorPid, holderCount);
}

void vardo_registry_close(void)
{
    Registry::instance().closeAll();
}

} // extern "C"
