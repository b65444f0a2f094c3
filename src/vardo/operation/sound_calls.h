#pragma once
// Sound requests of programs and control points, reported to the trace
// and passed on to the sound component when there is one.
#include "vardo/base/operation_seams.h"

#include <functional>

namespace vardo {

class SoundCalls {
public:
    void setPort(SoundPort* port) { port_ = port; }
    void setObserver(OperationObserver* observer) { observer_ = observer; }
    // Runs after every stopAll (control points forget which sounds they hold).
    void setStopAllHook(std::function<void()> hook) { stopAllHook_ = std::move(hook); }

    // Without a sound component nothing can be made ready: -1.
    int prepare(int number);
    int play(int number, bool loop);
    void stop(int number);
    void stopAll();

private:
    SoundPort* port_ = nullptr;
    OperationObserver* observer_ = nullptr;
    std::function<void()> stopAllHook_;
};

} // namespace vardo
