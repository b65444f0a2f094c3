#pragma once
// Runs a function on a Qt object's thread through its event queue. Qt
// passes the call over under its own lock, which the thread sanitizer
// cannot see; the call therefore marks the hand-over itself: Qt's copy of
// it releases once it is made, just before the post, and acquires before
// it runs or is thrown away on the receiving thread.
#include "common/tsan_handoff.h"

#include <QMetaObject>
#include <QObject>

#include <utility>

namespace vardo::ui {

template <typename Fn> class HandedOverCall {
public:
    explicit HandedOverCall(Fn fn) : fn_(std::move(fn)) { common::handOffRelease(this); }
    HandedOverCall(HandedOverCall&& other) : fn_(std::move(other.fn_)) { common::handOffRelease(this); }
    HandedOverCall(const HandedOverCall& other) : fn_(other.fn_) { common::handOffRelease(this); }
    HandedOverCall& operator=(const HandedOverCall&) = delete;
    ~HandedOverCall() { common::handOffAcquire(this); }

    void operator()()
    {
        common::handOffAcquire(this);
        fn_();
    }

private:
    Fn fn_;
};

// Every call another thread hands to a Qt object goes through here. The
// connection type stays the caller's: an automatic one runs at once on the
// object's own thread.
template <typename Fn>
void postTo(QObject* context, Fn fn, Qt::ConnectionType type = Qt::QueuedConnection)
{
    QMetaObject::invokeMethod(context, HandedOverCall<Fn>(std::move(fn)), type);
}

} // namespace vardo::ui
