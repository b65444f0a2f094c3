#pragma once
// Where spoken phrases come from: a recogniser over the microphone, or over
// a recording fed in as if spoken. Started once; it runs on its own thread
// and pushes its events into the queue it was given.
#include "vardo/devices/speech_events.h"
#include "vardo/devices/speech_recognizer.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace vardo {

class SpeechInput {
public:
    virtual ~SpeechInput() = default;
    // Builds the recogniser for the keywords and starts listening. False
    // with an error text when the model or the audio cannot be opened.
    virtual bool start(const std::vector<std::string>& keywords, SpeechEventQueue& queue,
                       std::string& error) = 0;
};

// The recogniser over a WAV recording, on a thread of its own. Paced, it
// feeds the audio at the speed it would be spoken; otherwise as fast as
// the recogniser goes.
class WavSpeechInput : public SpeechInput {
public:
    WavSpeechInput(std::string path, bool paced);
    ~WavSpeechInput() override;
    bool start(const std::vector<std::string>& keywords, SpeechEventQueue& queue,
               std::string& error) override;
    // Waits until the whole recording has been heard.
    void wait();
    bool finished() const { return done_.load(); }

private:
    std::string path_;
    bool paced_;
    std::vector<int16_t> samples_;
    SpeechRecognizer recognizer_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> done_{false};
};

// Opens the recogniser for the keywords; a keyword with a word the model
// does not know is reported once on stderr and left out.
bool openRecognizer(SpeechRecognizer& recognizer, const std::vector<std::string>& keywords,
                    std::string& error);

} // namespace vardo
