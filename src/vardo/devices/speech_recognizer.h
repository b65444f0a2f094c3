#pragma once
// Phrase recognition on 16 kHz mono audio. The search is restricted to the
// configured keyword phrases (a closed grammar), which keeps it fast and
// sure on those phrases. A closed grammar forces any utterance onto its
// nearest phrase; other talk shows itself in that the phrase then spans
// only a small part of the sound heard, the rest going to the silence
// model, so such an utterance is not reported as a phrase.
// Voice activity splits the stream into utterances; each one gives a sound
// start, a recognition (when accepted) and a sound end.
#include "vardo/devices/speech_events.h"
#include "vardo/devices/speech_loudness.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ps_decoder_s;

namespace vardo {

struct SpeechModel {
    std::string acousticModel; // folder of the acoustic model
    std::string dictionary;    // pronunciation dictionary file
    // The model Debian installs, or $VARDO_SPEECH_MODEL (a folder holding
    // en-us/ and cmudict-en-us.dict) when set.
    static SpeechModel standard();
};

class SpeechRecognizer {
public:
    static constexpr int kSampleRate = 16000;

    SpeechRecognizer() = default;
    ~SpeechRecognizer();
    SpeechRecognizer(const SpeechRecognizer&) = delete;
    SpeechRecognizer& operator=(const SpeechRecognizer&) = delete;

    // Loads the model and builds the grammar from the phrases. A phrase
    // with a word the dictionary does not know is left out and named in
    // skipped. False (with error) when the model cannot be loaded or no
    // phrase is left.
    bool open(const SpeechModel& model, const std::vector<std::string>& phrases, std::string& error,
              std::vector<std::string>& skipped);
    bool isOpen() const { return decoder_ != nullptr; }

    // Feeds samples; events go to the sink on the calling thread.
    void feed(const int16_t* samples, size_t count, const SpeechEventSink& sink);
    // The stream ended: an utterance still open is closed and reported.
    void finish(const SpeechEventSink& sink);

    // The keyword search's lines ("phrase /1e-N/"), one per distinct
    // phrase; needs an open recogniser (the dictionary gives the phones).
    std::vector<std::string> keyphraseList(const std::vector<std::string>& phrases) const;
    // A grammar of the phrases alone (lower-case words).
    static std::string grammarFor(const std::vector<std::string>& phrases);
    // Phones of the phrase, or -1 when a word is not in the dictionary.
    int phoneCount(const std::string& phrase) const;
    // Splits a keyword into lower-case words (blanks separate them).
    static std::vector<std::string> wordsOf(const std::string& phrase);

    // The frames the last utterance's phrase spanned per loud frame heard
    // (0 when nothing was recognised; above 1 when the phrase's quiet
    // sounds and pauses count too).
    double lastCoverage() const { return lastCoverage_; }
    // Utterances whose phrase spans less than this share of the speech are
    // rejected ($VARDO_SPEECH_COVERAGE overrides it).
    static constexpr double kDefaultMinCoverage = 0.6;

private:
    void endUtterance(const SpeechEventSink& sink);
    double coverageOfLastUtterance() const;
    void close();
    bool setKeyphrases(const std::vector<std::string>& phrases);

    ps_decoder_s* decoder_ = nullptr;
    bool inUtterance_ = false;
    bool inSpeech_ = false;
    uint64_t samplesFed_ = 0;
    SpeechLoudness loudness_;
    // Detection threshold exponent per phone ($VARDO_SPEECH_THRESHOLD).
    double thresholdPerPhone_ = 2.5;
    double minCoverage_ = kDefaultMinCoverage;
    double lastCoverage_ = 0;
};

} // namespace vardo
