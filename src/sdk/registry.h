#pragma once
// This process's view of the registry: its handles of the registry and of
// every record set it created or opened. One instance per process.
#include "sdk/named_mutex.h"
#include "sdk/registry_table.h"
#include "sdk/shared_object.h"

#include <cstdint>
#include <shared_mutex>

namespace vardo::sdk {

class Registry {
public:
    static Registry& instance();

    std::int16_t init();
    std::int16_t create(const char* name, const char* mutexName, std::int32_t recordSize,
                        std::int32_t count);
    std::int16_t open(const char* name);
    std::int16_t close(std::int16_t slot);
    std::int16_t read(std::int16_t slot, void* destination, std::int32_t index, std::int32_t lock,
                      std::int32_t timeoutMs);
    std::int16_t write(std::int16_t slot, const void* source, std::int32_t index, std::int32_t lock,
                       std::int32_t timeoutMs);
    std::int16_t entry(std::int16_t slot, vardo_registry_entry& entry, std::int32_t* creator,
                       std::int32_t* holders);
    void closeAll();

    // Runs `change` on record `index` of `slot` with the set's mutex held
    // (waiting at most timeoutMs): a read-modify-write no other locker sees
    // half done. Same results as read/write.
    template <typename Change>
    std::int16_t update(std::int16_t slot, std::int32_t index, std::int32_t timeoutMs,
                        Change&& change);

    // A forked child starts with no handles of its own.
    static void resetAfterFork();

private:
    struct LocalSet {
        SharedObject mapping;
        NamedMutex mutex;
        std::int32_t recordSize = 0;
        std::int32_t count = 0;
        std::int32_t creator = 0;
        int references = 0; // opens in this process, the creation included
        bool open = false;
    };
    static constexpr int kRegistryLockMs = 5000;

    // Registry lock held for the scope; `ok` false when it was not had.
    class TableLock;

    bool ensureInit();
    RegistryTable& table() const { return *static_cast<RegistryTable*>(table_.data()); }
    void release(RegistryTable& copy, int slot);
    void releaseDeadCreators(RegistryTable& copy);
    std::int16_t mapSet(int slot, const vardo_registry_entry& entry, std::int32_t creator,
                        SharedObject::Mode mode);
    // Checks slot, index and the entry; on success the record's address.
    std::int16_t locate(std::int16_t slot, std::int32_t index, unsigned char*& record);
    std::int16_t lockSet(LocalSet& set, std::int32_t lock, std::int32_t timeoutMs);
    void forgetAll();

    std::shared_mutex guard_;
    SharedObject table_;
    NamedMutex tableMutex_;
    LocalSet sets_[kSlots];
};

template <typename Change>
std::int16_t Registry::update(std::int16_t slot, std::int32_t index, std::int32_t timeoutMs,
                              Change&& change)
{
    std::shared_lock guard(guard_);
    unsigned char* record = nullptr;
    std::int16_t result = locate(slot, index, record);
    if (result != VARDO_SDK_OK) {
        return result;
    }
    LocalSet& set = sets_[slot];
    result = lockSet(set, VARDO_SDK_LOCK, timeoutMs);
    if (result != VARDO_SDK_OK) {
        return result;
    }
    change(record, set.recordSize);
    set.mutex.unlock();
    return VARDO_SDK_OK;
}

} // namespace vardo::sdk
