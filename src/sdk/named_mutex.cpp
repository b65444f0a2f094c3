#include "sdk/named_mutex.h"

#include <cerrno>
#include <chrono>
#include <ctime>
#include <thread>

// gcc and clang say "thread sanitizer" differently.
#if defined(__SANITIZE_THREAD__)
#define SDK_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define SDK_TSAN 1
#endif
#endif

#ifdef SDK_TSAN
#include <sanitizer/tsan_interface.h>
#endif

namespace vardo::sdk {

namespace {

constexpr std::uint32_t kReady = 0x5644534bu;
constexpr int kReadyPolls = 1000; // 1 ms each, for a creator still initialising

bool initialise(pthread_mutex_t* mutex)
{
    pthread_mutexattr_t attr;
    if (pthread_mutexattr_init(&attr) != 0) {
        return false;
    }
    bool ok = pthread_mutexattr_setpshared(&attr, PTHREAD_PROCESS_SHARED) == 0 &&
              pthread_mutexattr_setrobust(&attr, PTHREAD_MUTEX_ROBUST) == 0 &&
              pthread_mutex_init(mutex, &attr) == 0;
    pthread_mutexattr_destroy(&attr);
    return ok;
}

// pthread_mutex_timedlock measures against the realtime clock.
timespec deadlineAfter(int timeoutMs)
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    long long ns =
        static_cast<long long>(now.tv_nsec) + static_cast<long long>(timeoutMs) * 1000000LL;
    now.tv_sec += static_cast<time_t>(ns / 1000000000LL);
    now.tv_nsec = static_cast<long>(ns % 1000000000LL);
    return now;
}

} // namespace

bool NamedMutex::open(const std::string& name, SharedObject::Mode mode)
{
    if (!object_.map(name, sizeof(Block), mode)) {
        return false;
    }
    if (object_.created()) {
        if (!initialise(&block()->mutex)) {
            object_.unmap();
            SharedObject::remove(name);
            return false;
        }
        block()->ready.store(kReady, std::memory_order_release);
        return true;
    }
    for (int i = 0; i < kReadyPolls; ++i) {
        if (block()->ready.load(std::memory_order_acquire) == kReady) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    object_.unmap();
    return false;
}

LockResult NamedMutex::lock(int timeoutMs)
{
    if (!isOpen()) {
        return LockResult::Failed;
    }
    int rc = 0;
    if (timeoutMs < 0) {
        rc = pthread_mutex_lock(&block()->mutex);
    } else {
        timespec deadline = deadlineAfter(timeoutMs);
        rc = pthread_mutex_timedlock(&block()->mutex, &deadline);
    }
    switch (rc) {
    case 0:
        return LockResult::Locked;
    case EOWNERDEAD:
#ifdef SDK_TSAN
        // The sanitizer counts only a plain lock's EOWNERDEAD as taking it.
        if (timeoutMs >= 0) {
            __tsan_mutex_pre_lock(&block()->mutex, 0);
            __tsan_mutex_post_lock(&block()->mutex, 0, 0);
        }
#endif
        pthread_mutex_consistent(&block()->mutex);
        return LockResult::Abandoned;
    case ETIMEDOUT:
        return LockResult::Timeout;
    default:
        return LockResult::Failed;
    }
}

void NamedMutex::unlock()
{
    if (isOpen()) {
        pthread_mutex_unlock(&block()->mutex);
    }
}

} // namespace vardo::sdk
