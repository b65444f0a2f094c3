#pragma once
// Loudness of the audio heard since the last utterance ended, in 10 ms
// frames: how many frames carry sound well above the quiet. A phrase is
// judged by how much of that sound it accounts for.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vardo {

class SpeechLoudness {
public:
    static constexpr size_t kFrameSamples = 160; // 10 ms at 16 kHz

    void add(const int16_t* samples, size_t count);
    // Frames louder than both an absolute floor and a fixed fraction of the
    // loudest frame, so that quiet between words and faint noise are left out.
    int loudFrames() const;
    void reset();

private:
    void closeFrame();

    // Only the most recent audio matters; older quiet is dropped.
    static constexpr size_t kMaxFrames = 3000;
    std::vector<float> frames_; // mean square per frame
    double sum_ = 0;
    size_t inFrame_ = 0;
};

} // namespace vardo
