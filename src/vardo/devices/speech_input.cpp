#include "vardo/devices/speech_input.h"

#include "vardo/devices/speech_wav.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace vardo {

bool openRecognizer(SpeechRecognizer& recognizer, const std::vector<std::string>& keywords,
                    std::string& error)
{
    std::vector<std::string> skipped;
    const bool ok = recognizer.open(SpeechModel::standard(), keywords, error, skipped);
    for (const auto& k : skipped)
        std::fprintf(stderr,
                     "speech: keyword \"%s\" has a word the speech model does not know; "
                     "it is skipped\n",
                     k.c_str());
    return ok;
}

WavSpeechInput::WavSpeechInput(std::string path, bool paced) : path_(std::move(path)), paced_(paced)
{
}

WavSpeechInput::~WavSpeechInput()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
}

bool WavSpeechInput::start(const std::vector<std::string>& keywords, SpeechEventQueue& queue,
                           std::string& error)
{
    if (thread_.joinable())
        return true;
    if (!readSpeechWav(path_, samples_, error) || !openRecognizer(recognizer_, keywords, error))
        return false;
    thread_ = std::thread([this, &queue] {
        const SpeechEventSink sink = [&queue](const SpeechEvent& e) { queue.push(e); };
        constexpr size_t kBlock = SpeechRecognizer::kSampleRate / 10; // 100 ms
        const auto begin = std::chrono::steady_clock::now();
        for (size_t at = 0; at < samples_.size() && !stop_; at += kBlock) {
            if (paced_)
                std::this_thread::sleep_until(begin + std::chrono::milliseconds(at / 16));
            recognizer_.feed(samples_.data() + at, std::min(kBlock, samples_.size() - at), sink);
        }
        recognizer_.finish(sink);
        done_ = true;
    });
    return true;
}

void WavSpeechInput::wait()
{
    if (thread_.joinable())
        thread_.join();
}

} // namespace vardo
