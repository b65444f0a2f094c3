#pragma once
// The recogniser over the microphone: GStreamer's default audio source,
// converted to 16 kHz mono, pulled on a thread of its own.
#include "vardo/devices/speech_input.h"

#include <atomic>
#include <string>
#include <thread>

struct _GstElement;

namespace vardo {

class MicrophoneSpeechInput : public SpeechInput {
public:
    // pipelineSource: the source element description ("autoaudiosrc" by
    // default; tests give a file or test source).
    explicit MicrophoneSpeechInput(std::string pipelineSource = "autoaudiosrc");
    ~MicrophoneSpeechInput() override;
    bool start(const std::vector<std::string>& keywords, SpeechEventQueue& queue,
               std::string& error) override;
    void stop();

private:
    std::string source_;
    SpeechRecognizer recognizer_;
    _GstElement* pipeline_ = nullptr;
    std::thread thread_;
    std::atomic<bool> stop_{false};
};

} // namespace vardo
