#include "sdk/registry.h"

#include "sdk/checked_copy.h"

#include <cstring>
#include <mutex>
#include <pthread.h>
#include <unistd.h>
#include <vector>

namespace vardo::sdk {

namespace {

Registry* g_registry = nullptr;
std::once_flag g_once;

constexpr std::int64_t kMaxSetBytes = 64LL * 1024 * 1024;

void copyName(char (&field)[32], const char* name)
{
    std::memset(field, 0, sizeof field);
    if (name != nullptr) {
        std::memcpy(field, name, strnlen(name, 31));
    }
}

std::string entryName(const char (&field)[32])
{
    return std::string(field, strnlen(field, sizeof field));
}

} // namespace

class Registry::TableLock {
public:
    explicit TableLock(NamedMutex& mutex) : mutex_(mutex)
    {
        LockResult result = mutex_.lock(kRegistryLockMs);
        ok = result == LockResult::Locked || result == LockResult::Abandoned;
    }
    ~TableLock()
    {
        if (ok) {
            mutex_.unlock();
        }
    }
    TableLock(const TableLock&) = delete;
    TableLock& operator=(const TableLock&) = delete;
    bool ok = false;

private:
    NamedMutex& mutex_;
};

Registry& Registry::instance()
{
    std::call_once(g_once, [] {
        g_registry = new Registry();
        pthread_atfork(nullptr, nullptr, &Registry::resetAfterFork);
    });
    return *g_registry;
}

void Registry::resetAfterFork()
{
    // The parent's handles stay mapped in the child but are not its own:
    // the child forgets them (its locks may have been held by other threads).
    Registry* old = g_registry;
    g_registry = new Registry();
    if (old != nullptr) {
        old->forgetAll();
    }
}

void Registry::forgetAll()
{
    table_.forget();
    tableMutex_.forget();
    for (LocalSet& set : sets_) {
        set.mapping.forget();
        set.mutex.forget();
        set.open = false;
    }
}

std::int16_t Registry::init()
{
    std::unique_lock guard(guard_);
    return ensureInit() ? VARDO_SDK_OK : VARDO_SDK_FAILED;
}

bool Registry::ensureInit()
{
    if (table_.data() != nullptr) {
        return true;
    }
    if (!tableMutex_.isOpen() &&
        !tableMutex_.open(VARDO_SDK_REGISTRY_MUTEX, SharedObject::Mode::OpenOrCreate)) {
        return false;
    }
    TableLock lock(tableMutex_);
    if (!lock.ok) {
        return false;
    }
    return table_.map(VARDO_SDK_REGISTRY_NAME, sizeof(RegistryTable),
                      SharedObject::Mode::OpenOrCreate);
}

void Registry::release(RegistryTable& copy, int slot)
{
    vardo_registry_entry& entry = copy.entries[slot];
    SharedObject::remove(entryName(entry.mappingName));
    if (entry.hasMutex != 0) {
        SharedObject::remove(entryName(entry.mutexName));
    }
    std::memset(&entry, 0, sizeof entry);
    std::memset(&copy.owners[slot], 0, sizeof copy.owners[slot]);
}

void Registry::releaseDeadCreators(RegistryTable& copy)
{
    for (int slot = 0; slot < kSlots; ++slot) {
        if (copy.entries[slot].inUse == 0 || processAlive(copy.owners[slot].creator)) {
            continue;
        }
        // Our own handles of a dead creator's set go with it.
        sets_[slot].mapping.unmap();
        sets_[slot].mutex.close();
        sets_[slot].open = false;
        release(copy, slot);
    }
}

std::int16_t Registry::create(const char* name, const char* mutexName, std::int32_t recordSize,
                              std::int32_t count)
{
    std::unique_lock guard(guard_);
    bool withMutex = mutexName != nullptr && *mutexName != '\0';
    if (!validName(name) || (withMutex && !validName(mutexName)) ||
        (withMutex && strncmp(name, mutexName, 32) == 0) || recordSize <= 0 || count <= 0 ||
        static_cast<std::int64_t>(recordSize) * count > kMaxSetBytes) {
        return VARDO_SDK_BAD_ARGUMENT;
    }
    if (!ensureInit()) {
        return VARDO_SDK_FAILED;
    }
    TableLock lock(tableMutex_);
    if (!lock.ok) {
        return VARDO_SDK_FAILED;
    }
    RegistryTable copy = table();
    releaseDeadCreators(copy);
    if (nameTaken(copy, name) || (withMutex && nameTaken(copy, mutexName))) {
        table() = copy;
        return VARDO_SDK_BAD_ARGUMENT;
    }
    int slot = 0;
    while (slot < kSlots && copy.entries[slot].inUse != 0) {
        ++slot;
    }
    if (slot == kSlots) {
        table() = copy;
        return VARDO_SDK_NO_SLOT;
    }
    if (sets_[slot].open) {
        return VARDO_SDK_FAILED;
    }
    vardo_registry_entry& entry = copy.entries[slot];
    copyName(entry.mappingName, name);
    copyName(entry.mutexName, withMutex ? mutexName : nullptr);
    entry.hasMutex = withMutex ? 1 : 0;
    entry.inUse = 1;
    entry.recordSize = recordSize;
    entry.recordCount = count;
    std::int16_t mapped = mapSet(slot, entry, getpid(), SharedObject::Mode::CreateFresh);
    if (mapped != VARDO_SDK_OK) {
        std::memset(&entry, 0, sizeof entry);
        table() = copy;
        return mapped;
    }
    copy.owners[slot] = SlotOwners{};
    copy.owners[slot].creator = getpid();
    addHolder(copy.owners[slot], getpid());
    table() = copy;
    return static_cast<std::int16_t>(slot);
}

std::int16_t Registry::mapSet(int slot, const vardo_registry_entry& entry, std::int32_t creator,
                              SharedObject::Mode mode)
{
    LocalSet& set = sets_[slot];
    std::size_t bytes = static_cast<std::size_t>(entry.recordSize) * entry.recordCount;
    std::string name = entryName(entry.mappingName);
    if (!set.mapping.map(name, bytes, mode)) {
        return VARDO_SDK_NO_MAPPING;
    }
    if (entry.hasMutex != 0 && !set.mutex.open(entryName(entry.mutexName), mode)) {
        set.mapping.unmap();
        if (mode == SharedObject::Mode::CreateFresh) {
            SharedObject::remove(name);
        }
        return VARDO_SDK_NO_MAPPING;
    }
    set.recordSize = entry.recordSize;
    set.count = entry.recordCount;
    set.creator = creator;
    set.references = 1;
    set.open = true;
    return VARDO_SDK_OK;
}

std::int16_t Registry::open(const char* name)
{
    std::unique_lock guard(guard_);
    if (!validName(name)) {
        return VARDO_SDK_BAD_ARGUMENT;
    }
    if (!ensureInit()) {
        return VARDO_SDK_FAILED;
    }
    TableLock lock(tableMutex_);
    if (!lock.ok) {
        return VARDO_SDK_FAILED;
    }
    RegistryTable copy = table();
    for (int slot = 0; slot < kSlots; ++slot) {
        const vardo_registry_entry& entry = copy.entries[slot];
        if (entry.inUse == 0 || strncmp(entry.mappingName, name, 32) != 0) {
            continue;
        }
        if (sets_[slot].open && sets_[slot].creator == copy.owners[slot].creator) {
            ++sets_[slot].references;
            return static_cast<std::int16_t>(slot);
        }
        sets_[slot].mapping.unmap();
        sets_[slot].mutex.close();
        sets_[slot].open = false;
        pruneHolders(copy.owners[slot]);
        if (!addHolder(copy.owners[slot], getpid())) {
            return VARDO_SDK_NO_MAPPING;
        }
        std::int16_t mapped =
            mapSet(slot, entry, copy.owners[slot].creator, SharedObject::Mode::OpenExisting);
        if (mapped != VARDO_SDK_OK) {
            return mapped;
        }
        table() = copy;
        return static_cast<std::int16_t>(slot);
    }
    return VARDO_SDK_BAD_ARGUMENT;
}

std::int16_t Registry::close(std::int16_t slot)
{
    std::unique_lock guard(guard_);
    if (slot < 0 || slot >= kSlots || !sets_[slot].open) {
        return VARDO_SDK_BAD_ARGUMENT;
    }
    LocalSet& set = sets_[slot];
    if (--set.references > 0) {
        return VARDO_SDK_OK; // another part of this process still uses it
    }
    set.mapping.unmap();
    set.mutex.close();
    set.open = false;
    TableLock lock(tableMutex_);
    if (!lock.ok) {
        return VARDO_SDK_FAILED;
    }
    RegistryTable copy = table();
    SlotOwners& owners = copy.owners[slot];
    if (copy.entries[slot].inUse == 0 || owners.creator != set.creator) {
        return VARDO_SDK_OK; // taken over meanwhile: nothing of ours is left there
    }
    removeHolder(owners, getpid());
    if (pruneHolders(owners) == 0) {
        release(copy, slot);
    }
    table() = copy;
    return VARDO_SDK_OK;
}

std::int16_t Registry::locate(std::int16_t slot, std::int32_t index, unsigned char*& record)
{
    if (slot < 0 || slot >= kSlots) {
        return VARDO_SDK_BAD_ARGUMENT;
    }
    LocalSet& set = sets_[slot];
    if (!set.open || table_.data() == nullptr) {
        return VARDO_SDK_FAILED;
    }
    if (index < 1 || index > set.count) {
        return VARDO_SDK_BAD_ARGUMENT;
    }
    // A set released or taken over by a new creator is no longer the one
    // this process mapped.
    const RegistryTable& shared = table();
    std::int16_t inUse = __atomic_load_n(&shared.entries[slot].inUse, __ATOMIC_ACQUIRE);
    std::int32_t creator = __atomic_load_n(&shared.owners[slot].creator, __ATOMIC_ACQUIRE);
    if (inUse == 0 || creator != set.creator) {
        return VARDO_SDK_NOT_IN_USE;
    }
    record = static_cast<unsigned char*>(set.mapping.data()) +
             static_cast<std::size_t>(set.recordSize) * static_cast<std::size_t>(index - 1);
    return VARDO_SDK_OK;
}

std::int16_t Registry::lockSet(LocalSet& set, std::int32_t lock, std::int32_t timeoutMs)
{
    if (lock == VARDO_SDK_NO_LOCK) {
        return VARDO_SDK_OK;
    }
    if (lock != VARDO_SDK_LOCK || !set.mutex.isOpen()) {
        return VARDO_SDK_BAD_ARGUMENT;
    }
    switch (set.mutex.lock(timeoutMs)) {
    case LockResult::Locked:
        return VARDO_SDK_OK;
    case LockResult::Abandoned:
        // Consistent again, but what the dead holder left is not to be
        // trusted blindly: the caller is told and calls again.
        set.mutex.unlock();
        return VARDO_SDK_ABANDONED;
    case LockResult::Timeout:
        return VARDO_SDK_TIMEOUT;
    case LockResult::Failed:
        break;
    }
    return VARDO_SDK_FAILED;
}

std::int16_t Registry::read(std::int16_t slot, void* destination, std::int32_t index,
                            std::int32_t lock, std::int32_t timeoutMs)
{
    std::shared_lock guard(guard_);
    unsigned char* record = nullptr;
    std::int16_t result = locate(slot, index, record);
    if (result != VARDO_SDK_OK) {
        return result;
    }
    LocalSet& set = sets_[slot];
    result = lockSet(set, lock, timeoutMs);
    if (result != VARDO_SDK_OK) {
        return result;
    }
    bool copied = checkedCopy(destination, record, static_cast<std::size_t>(set.recordSize));
    if (lock == VARDO_SDK_LOCK) {
        set.mutex.unlock();
    }
    return copied ? VARDO_SDK_OK : VARDO_SDK_NO_MAPPING;
}

std::int16_t Registry::write(std::int16_t slot, const void* source, std::int32_t index,
                             std::int32_t lock, std::int32_t timeoutMs)
{
    std::shared_lock guard(guard_);
    unsigned char* record = nullptr;
    std::int16_t result = locate(slot, index, record);
    if (result != VARDO_SDK_OK) {
        return result;
    }
    LocalSet& set = sets_[slot];
    // Check the source whole before touching the record, so that a bad
    // pointer cannot leave it half written.
    std::vector<unsigned char> staged(static_cast<std::size_t>(set.recordSize));
    if (!checkedCopy(staged.data(), source, staged.size())) {
        return VARDO_SDK_NO_MAPPING;
    }
    result = lockSet(set, lock, timeoutMs);
    if (result != VARDO_SDK_OK) {
        return result;
    }
    std::memcpy(record, staged.data(), staged.size());
    if (lock == VARDO_SDK_LOCK) {
        set.mutex.unlock();
    }
    return VARDO_SDK_OK;
}

std::int16_t Registry::entry(std::int16_t slot, vardo_registry_entry& entry, std::int32_t* creator,
                             std::int32_t* holders)
{
    std::unique_lock guard(guard_);
    if (slot < 0 || slot >= kSlots) {
        return VARDO_SDK_BAD_ARGUMENT;
    }
    if (!ensureInit()) {
        return VARDO_SDK_FAILED;
    }
    TableLock lock(tableMutex_);
    if (!lock.ok) {
        return VARDO_SDK_FAILED;
    }
    RegistryTable copy = table();
    entry = copy.entries[slot];
    if (creator != nullptr) {
        *creator = copy.owners[slot].creator;
    }
    if (holders != nullptr) {
        *holders = pruneHolders(copy.owners[slot]);
    }
    return VARDO_SDK_OK;
}

void Registry::closeAll()
{
    for (int slot = 0; slot < kSlots; ++slot) {
        while (sets_[slot].open) {
            close(static_cast<std::int16_t>(slot));
        }
    }
    std::unique_lock guard(guard_);
    table_.unmap();
    tableMutex_.close();
}

} // namespace vardo::sdk
