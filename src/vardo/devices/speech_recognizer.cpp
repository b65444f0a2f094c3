#include "vardo/devices/speech_recognizer.h"

#include <pocketsphinx.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>
#include <unistd.h>

namespace vardo {

namespace {

constexpr size_t kChunk = 1024;
// Segments that are not words: silence, noise, sentence marks, null arcs.
bool isWord(const char* word)
{
    return word && *word && *word != '<' && *word != '[' && *word != '(';
}

} // namespace

SpeechModel SpeechModel::standard()
{
    std::string base = "/usr/share/pocketsphinx/model";
    if (const char* env = std::getenv("VARDO_SPEECH_MODEL"); env && *env)
        base = env;
    return {base + "/en-us/en-us", base + "/en-us/cmudict-en-us.dict"};
}

bool SpeechRecognizer::setKeyphrases(const std::vector<std::string>& phrases)
{
    char path[] = "/tmp/vardo-speech-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0)
        return false;
    FILE* f = fdopen(fd, "w");
    if (!f) {
        ::close(fd);
        std::remove(path);
        return false;
    }
    for (const auto& p : keyphraseList(phrases))
        std::fprintf(f, "%s\n", p.c_str());
    std::fclose(f);
    // The closed grammar of the phrases is the default; keyword spotting
    // ($VARDO_SPEECH_MODE=kws) hears phrases inside longer speech.
    const char* mode = std::getenv("VARDO_SPEECH_MODE");
    const int set = mode && std::string(mode) == "kws"
                        ? ps_set_kws(decoder_, "commands", path)
                        : ps_set_jsgf_string(decoder_, "commands", grammarFor(phrases).c_str());
    const bool ok =
        set == 0 && ps_set_search(decoder_, "commands") == 0 && ps_start_utt(decoder_) == 0;
    std::remove(path);
    return ok;
}

SpeechRecognizer::~SpeechRecognizer()
{
    close();
}

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
    std::string g = "#JSGF V1.0;\ngrammar commands;\npublic <utterance> = ";
    bool first = true;
    for (const auto& p : unique) {
        g += (first ? "" : " | ") + p;
        first = false;
    }
    return g + ";\n";
}

int SpeechRecognizer::phoneCount(const std::string& phrase) const
{
    int phones = 0;
    for (const auto& w : wordsOf(phrase)) {
        char* pron = ps_lookup_word(decoder_, w.c_str());
        if (!pron)
            return -1;
        phones += int(wordsOf(pron).size());
        std::free(pron);
    }
    return phones;
}

std::vector<std::string>
SpeechRecognizer::keyphraseList(const std::vector<std::string>& phrases) const
{
    std::set<std::string> unique;
    std::vector<std::string> lines;
    for (const auto& p : phrases) {
        std::string joined;
        for (const auto& w : wordsOf(p))
            joined += (joined.empty() ? "" : " ") + w;
        const int phones = phoneCount(joined);
        if (joined.empty() || phones <= 0 || !unique.insert(joined).second)
            continue;
        // A longer phrase accumulates a lower score: its threshold falls
        // with the number of phones, so short and long keywords are
        // detected with a like rate of false alarms.
        const int exponent = std::clamp(int(double(phones) * thresholdPerPhone_ + 0.5), 1, 80);
        lines.push_back(joined + " /1e-" + std::to_string(exponent) + "/");
    }
    return lines;
}

bool SpeechRecognizer::open(const SpeechModel& model, const std::vector<std::string>& phrases,
                            std::string& error, std::vector<std::string>& skipped)
{
    close();
    cmd_ln_t* config =
        cmd_ln_init(nullptr, ps_args(), TRUE, "-hmm", model.acousticModel.c_str(), "-dict",
                    model.dictionary.c_str(), "-samprate", "16000", "-logfn", "/dev/null", nullptr);
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
    if (const char* env = std::getenv("VARDO_SPEECH_THRESHOLD"); env && *env)
        thresholdPerPhone_ = std::atof(env);
    if (const char* env = std::getenv("VARDO_SPEECH_COVERAGE"); env && *env)
        minCoverage_ = std::atof(env);
    std::vector<std::string> known;
    for (const auto& p : phrases)
        (phoneCount(p) > 0 ? known : skipped).push_back(p);
    if (known.empty()) {
        error = "no keyword phrase is made of words the speech model knows";
        close();
        return false;
    }
    if (!setKeyphrases(known)) {
        error = "speech keyword search could not be built";
        close();
        return false;
    }
    inUtterance_ = true;
    samplesFed_ = 0;
    loudness_.reset();
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
        loudness_.add(samples + at, n);
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
    lastCoverage_ = hyp && *hyp ? coverageOfLastUtterance() : 0;
    const bool accepted = hyp && *hyp && lastCoverage_ >= minCoverage_;
    if (accepted)
        sink({SpeechEvent::Kind::Recognition, hyp, true, at});
    inSpeech_ = false;
    loudness_.reset();
    sink({SpeechEvent::Kind::SoundEnd, {}, true, at});
    inUtterance_ = ps_start_utt(decoder_) == 0;
}

double SpeechRecognizer::coverageOfLastUtterance() const
{
    int wordFrames = 0;
    for (ps_seg_t* seg = ps_seg_iter(decoder_); seg; seg = ps_seg_next(seg)) {
        int first = 0, last = 0;
        ps_seg_frames(seg, &first, &last);
        if (isWord(ps_seg_word(seg)))
            wordFrames += last - first + 1;
    }
    return double(wordFrames) / std::max(1, loudness_.loudFrames());
}

void SpeechRecognizer::finish(const SpeechEventSink& sink)
{
    if (decoder_ && inSpeech_)
        endUtterance(sink);
}

} // namespace vardo
