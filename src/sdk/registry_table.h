#pragma once
// The registry as stored: the 456-byte table of six 76-byte entries, then
// who created and who holds each set. The holders are what tells that a set
// is no longer used by anyone, so that its objects can be removed.
#include "sdk/vardo_sdk.h"

#include <cstddef>
#include <cstdint>
#include <sys/types.h>

namespace vardo::sdk {

static_assert(sizeof(vardo_registry_entry) == VARDO_SDK_ENTRY_BYTES);
static_assert(offsetof(vardo_registry_entry, hasMutex) == 64);
static_assert(offsetof(vardo_registry_entry, inUse) == 66);
static_assert(offsetof(vardo_registry_entry, recordSize) == 68);
static_assert(offsetof(vardo_registry_entry, recordCount) == 72);
static_assert(sizeof(vardo_command_record) == 12);
static_assert(sizeof(vardo_position_record) == 12);
static_assert(sizeof(vardo_status_record) == 12);

constexpr int kSlots = VARDO_SDK_SLOTS;
constexpr int kMaxHolders = 16;

struct SlotOwners {
    std::int32_t creator;
    std::int32_t holders[kMaxHolders]; // 0 = free place
};

struct RegistryTable {
    vardo_registry_entry entries[kSlots];
    SlotOwners owners[kSlots];
};
static_assert(offsetof(RegistryTable, owners) == VARDO_SDK_REGISTRY_BYTES);

// Whether process `pid` still exists.
bool processAlive(pid_t pid);

// Drops holders that no longer exist; the number left.
int pruneHolders(SlotOwners& owners);
bool addHolder(SlotOwners& owners, pid_t pid);
void removeHolder(SlotOwners& owners, pid_t pid);

// Whether an entry in use names `name` as its mapping or its mutex.
bool nameTaken(const RegistryTable& table, const char* name);

} // namespace vardo::sdk
