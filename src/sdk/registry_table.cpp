#include "sdk/registry_table.h"

#include <cerrno>
#include <csignal>
#include <cstring>

namespace vardo::sdk {

bool processAlive(pid_t pid)
{
    if (pid <= 0) {
        return false;
    }
    return kill(pid, 0) == 0 || errno == EPERM;
}

int pruneHolders(SlotOwners& owners)
{
    int left = 0;
    for (std::int32_t& holder : owners.holders) {
        if (holder != 0 && !processAlive(holder)) {
            holder = 0;
        }
        left += holder != 0 ? 1 : 0;
    }
    return left;
}

bool addHolder(SlotOwners& owners, pid_t pid)
{
    for (std::int32_t holder : owners.holders) {
        if (holder == pid) {
            return true;
        }
    }
    for (std::int32_t& holder : owners.holders) {
        if (holder == 0) {
            holder = pid;
            return true;
        }
    }
    return false;
}

void removeHolder(SlotOwners& owners, pid_t pid)
{
    for (std::int32_t& holder : owners.holders) {
        if (holder == pid) {
            holder = 0;
        }
    }
}

bool nameTaken(const RegistryTable& table, const char* name)
{
    for (const vardo_registry_entry& entry : table.entries) {
        if (entry.inUse == 0) {
            continue;
        }
        if (strncmp(entry.mappingName, name, 32) == 0 ||
            (entry.hasMutex != 0 && strncmp(entry.mutexName, name, 32) == 0)) {
            return true;
        }
    }
    return false;
}

} // namespace vardo::sdk
