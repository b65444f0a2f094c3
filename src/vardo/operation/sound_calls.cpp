#include "vardo/operation/sound_calls.h"

namespace vardo {

int SoundCalls::prepare(int number)
{
    if (observer_)
        observer_->soundCalled("prepare", number, false);
    return port_ ? port_->prepareSound(number) : -1;
}

int SoundCalls::play(int number, bool loop)
{
    if (observer_)
        observer_->soundCalled("play", number, loop);
    return port_ ? port_->playSound(number, loop) : -1;
}

void SoundCalls::stop(int number)
{
    if (observer_)
        observer_->soundCalled("stop", number, false);
    if (port_)
        port_->stopSound(number);
}

void SoundCalls::stopAll()
{
    if (observer_)
        observer_->soundCalled("stopAll", 0, false);
    if (port_)
        port_->stopAllSounds();
    if (stopAllHook_)
        stopAllHook_();
}

} // namespace vardo
