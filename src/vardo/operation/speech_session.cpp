#include "vardo/operation/speech_session.h"

#include "common/string_table.h"
#include "vardo/base/settings.h"

#include <cstdio>

namespace vardo {

namespace {

// Cuts text to at most n bytes without splitting a UTF-8 character.
std::string cutUtf8(std::string text, size_t n)
{
    if (text.size() <= n)
        return text;
    size_t end = n;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    text.resize(end);
    return text;
}

} // namespace

SpeechSession::SpeechSession(const Settings& settings, Frontend& frontend)
    : settings_(settings), frontend_(frontend)
{
}

bool SpeechSession::start()
{
    if (!started_) {
        keywords_.load(settings_);
        std::string error = "no speech input";
        if (!input_ || !input_->start(keywords_.allKeywords(), queue_, error)) {
            std::fprintf(stderr, "speech: %s\n", error.c_str());
            frontend_.showMessage(common::msg::SpeechInitFailed, Icon::Warning);
            return false;
        }
        started_ = true;
    }
    active_ = true;
    soundInProgress_ = recognisedSinceSound_ = false;
    if (window_)
        window_->open();
    return true;
}

void SpeechSession::handleEvents()
{
    SpeechEvent event;
    while (queue_.take(event))
        handle(event);
}

void SpeechSession::show(const std::string& text)
{
    shown_ = text;
    if (window_)
        window_->showPhrase(text);
}

void SpeechSession::handle(const SpeechEvent& event)
{
    if (!active_)
        return;
    switch (event.kind) {
    case SpeechEvent::Kind::SoundStart:
        soundInProgress_ = true;
        break;
    case SpeechEvent::Kind::SoundEnd:
        if (soundInProgress_) {
            soundInProgress_ = false;
            if (!recognisedSinceSound_)
                show({});
        }
        recognisedSinceSound_ = false;
        break;
    case SpeechEvent::Kind::Recognition:
        recognised(event);
        break;
    }
}

void SpeechSession::recognised(const SpeechEvent& event)
{
    recognisedSinceSound_ = true;
    const std::string phrase =
        cutUtf8((event.textRead ? event.text : std::string(kUnreadable)) + " ", kMaxPhraseBytes);
    show(phrase);
    const int command = keywords_.match(phrase);
    if (command >= 0)
        runSpeechCommand(command, targets_);
    if (phraseObserver_)
        phraseObserver_(phrase, command);
}

} // namespace vardo
