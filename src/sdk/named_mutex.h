#pragma once
// A named mutex shared between processes: a shared-memory object holding
// one robust, process-shared pthread mutex, initialised by its creator. A
// holder that dies leaves it "abandoned": the next locker is told so once
// and the mutex is made consistent.
#include "sdk/shared_object.h"

#include <atomic>
#include <cstdint>
#include <pthread.h>

namespace vardo::sdk {

enum class LockResult { Locked, Abandoned, Timeout, Failed };

class NamedMutex {
public:
    // Opens the mutex, or creates it (CreateFresh / OpenOrCreate).
    bool open(const std::string& name, SharedObject::Mode mode);
    void close() { object_.unmap(); }
    void forget() { object_.forget(); }
    bool isOpen() const { return object_.data() != nullptr; }

    // Waits at most timeoutMs (negative: no limit). On Abandoned the mutex
    // is held and consistent again.
    LockResult lock(int timeoutMs);
    void unlock();

private:
    struct Block {
        std::atomic<std::uint32_t> ready;
        pthread_mutex_t mutex;
    };
    Block* block() const { return static_cast<Block*>(object_.data()); }

    SharedObject object_;
};

} // namespace vardo::sdk
