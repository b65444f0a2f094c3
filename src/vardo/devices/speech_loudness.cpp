#include "vardo/devices/speech_loudness.h"

#include <algorithm>

namespace vardo {

namespace {

// Mean square of a frame below which it is quiet whatever else was heard
// (an amplitude of about 100 in 32767).
constexpr float kFloor = 1.0e4f;
// Frames more than 30 dB below the loudest one are pauses, not speech.
constexpr float kBelowPeak = 1.0e-3f;

} // namespace

void SpeechLoudness::add(const int16_t* samples, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        sum_ += double(samples[i]) * samples[i];
        if (++inFrame_ == kFrameSamples)
            closeFrame();
    }
}

void SpeechLoudness::closeFrame()
{
    if (frames_.size() >= kMaxFrames)
        frames_.erase(frames_.begin(), frames_.begin() + kMaxFrames / 2);
    frames_.push_back(float(sum_ / kFrameSamples));
    sum_ = 0;
    inFrame_ = 0;
}

int SpeechLoudness::loudFrames() const
{
    if (frames_.empty())
        return 0;
    const float peak = *std::max_element(frames_.begin(), frames_.end());
    const float threshold = std::max(kFloor, peak * kBelowPeak);
    return int(std::count_if(frames_.begin(), frames_.end(),
                             [threshold](float f) { return f >= threshold; }));
}

void SpeechLoudness::reset()
{
    frames_.clear();
    sum_ = 0;
    inFrame_ = 0;
}

} // namespace vardo
