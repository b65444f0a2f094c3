#pragma once
// Hand-overs the thread sanitizer cannot see. GLib, GStreamer and Qt are
// built without it, and their own locks wait on futexes directly, so data
// one thread passes to another through them looks unsynchronised. The
// sending side calls handOffRelease(key) once everything it passes on is
// written; the receiving side calls handOffAcquire(key) with the same key
// before it reads any of it. Only for hand-overs that really are ordered
// by the library: a race of our own is fixed, never annotated away.
// Without the sanitizer both are empty.

#if defined(__SANITIZE_THREAD__)
#define COMMON_TSAN_HANDOFF 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define COMMON_TSAN_HANDOFF 1
#endif
#endif

#ifdef COMMON_TSAN_HANDOFF
extern "C" void __tsan_acquire(void* addr);
extern "C" void __tsan_release(void* addr);
#endif

namespace common {

inline void handOffRelease([[maybe_unused]] const void* key)
{
#ifdef COMMON_TSAN_HANDOFF
    __tsan_release(const_cast<void*>(key));
#endif
}

inline void handOffAcquire([[maybe_unused]] const void* key)
{
#ifdef COMMON_TSAN_HANDOFF
    __tsan_acquire(const_cast<void*>(key));
#endif
}

} // namespace common
