#include "vardo/devices/speech_recognizer.h"

#include <pocketsphinx.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>
#include <sstream>

namespace vardo {

namespace {

// Common words the filler rule offers, so that speech which is not a
// command is heard as these instead of the nearest command.
const char* const kFillerWords[] = {
    "the", "a", "and", "is", "it", "to", "of", "in", "that", "what", "this", "you",
    "we", "they", "was", "have", "has", "weather", "today", "tomorrow", "nice", "good",
    "morning", "hello", "thank", "very", "much", "like", "coffee", "tea", "please",
    "yes", "no", "maybe", "when", "where", "why", "how", "who", "time", "day", "night",
    "rain", "sun", "cold", "warm", "house", "dog", "cat", "book", "read", "write",
    "music", "eat", "lunch", "dinner", "friend", "happy", "see", "look", "think",
    "know", "want", "need", "nothing", "something", "people", "city", "water",
};

constexpr size_t kChunk = 1024;

} // namespace

SpeechModel SpeechModel::standard()
{
    std::string base = "/usr/share/pocketsphinx/model";
    if (const char* env = std::getenv("VARDO_SPEECH_MODEL"); env && *env)
        base = env;
    return {base + "/en-us/en-us", base + "/en-us/cmudict-en-us.dict"};
}

SpeechRecognizer::~SpeechRecognizer() { close(); }

void SpeechRecognizer::close()
{
    if (decoder_)
        ps_free(decoder_);
    decoder_ = nullptr;
    inUtterance_ = inSpeech_ = false;
}

std::vector<std::string> SpeechRecognizer::wordsOf(const std::string& phrase)
{
    std::vector<std::string> words;
    std::istringstream in(phrase);
    for (std::string w; in >> w;) {
        std::transform(w.begin(), w.end(), w.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        words.push_back(w);
    }
    return words;
}

std::string SpeechRecognizer::grammarFor(const std::vector<std::string>& phrases)
{
    std::set<std::string> unique;
    for (const auto& p : phrases) {
        std::string joined;
        for (const auto& w : wordsOf(p))
            joined += (joined.empty() ? "" : " ") + w;
        if (!joined.empty())
            unique.insert(joined);
    }
    std::string g = "#JSGF V1.0;\ngrammar commands;\npublic <utterance> = <command> | <filler>+;\n";
    g += "<command> = ";
    bool first = true;
    for (const auto& p : unique) {
        g += (first ? "" : " | ") + p;
        first = false;
    }
    g += ";\n<filler> = ";
    first = true;
    for (const char* w : kFillerWords) {
        if (unique.count(w))
            continue; // a command word is no filler
        g += (first ? "" : " | ") + std::string(w);
        first = false;
    }
    g += ";\n";
    return g;
}

bool SpeechRecognizer::open(const SpeechModel& model, const std::vector<std::string>& phrases,
                            std::string& error, std::vector<std::string>& skipped)
{
    close();
    cmd_ln_t* config = cmd_ln_init(nullptr, ps_args(), TRUE, "-hmm", model.acousticModel.c_str(),
                                   "-dict", model.dictionary.c_str(), "-samprate", "16000",
                                   "-logfn", "/dev/null", nullptr);
    if (!config) {
        error = "speech model not found: " + model.acousticModel;
        return false;
    }
    decoder_ = ps_init(config);
    cmd_ln_free_r(config);
    if (!decoder_) {
        error = "speech model could not be loaded: " + model.acousticModel;
        return false;
    }
    std::vector<std::string> known;
    for (const auto& p : phrases) {
        bool ok = !wordsOf(p).empty();
        for (const auto& w : wordsOf(p)) {
            char* pron = ps_lookup_word(decoder_, w.c_str());
            ok = ok && pron != nullptr;
            std::free(pron);
        }
        (ok ? known : skipped).push_back(p);
    }
    if (known.empty()) {
        error = "no keyword phrase is made of words the speech model knows";
        close();
        return false;
    }
    const std::string grammar = grammarFor(known);
    if (ps_set_jsgf_string(decoder_, "commands", grammar.c_str()) != 0 ||
        ps_set_search(decoder_, "commands") != 0 || ps_start_utt(decoder_) != 0) {
        error = "speech grammar could not be built";
        close();
        return false;
    }
    inUtterance_ = true;
    samplesFed_ = 0;
    return true;
}

void SpeechRecognizer::feed(const int16_t* samples, size_t count, const SpeechEventSink& sink)
{
    if (!decoder_)
        return;
    for (size_t at = 0; at < count; at += kChunk) {
        const size_t n = std::min(kChunk, count - at);
        ps_process_raw(decoder_, samples + at, n, FALSE, FALSE);
        samplesFed_ += n;
        const bool speech = ps_get_in_speech(decoder_) != 0;
        if (speech && !inSpeech_) {
            inSpeech_ = true;
            sink({SpeechEvent::Kind::SoundStart, {}, true, 0});
        } else if (!speech && inSpeech_) {
            endUtterance(sink);
        }
    }
}

void SpeechRecognizer::endUtterance(const SpeechEventSink& sink)
{
    ps_end_utt(decoder_);
    int32 score = 0;
    const char* hyp = ps_get_hyp(decoder_, &score);
    const double at = double(samplesFed_) / kSampleRate;
    if (hyp && *hyp)
        sink({SpeechEvent::Kind::Recognition, hyp, true, at});
    inSpeech_ = false;
    sink({SpeechEvent::Kind::SoundEnd, {}, true, at});
    inUtterance_ = ps_start_utt(decoder_) == 0;
}

void SpeechRecognizer::finish(const SpeechEventSink& sink)
{
    if (decoder_ && inSpeech_)
        endUtterance(sink);
}

} // namespace vardo
