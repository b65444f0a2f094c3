#pragma once
// Speech recognition as one of the assembly's components: the session, the
// input it listens to and the window that shows the last phrase. The
// assembly finds it by type to hand it its targets and to route the
// posted speech events back to the user-interface thread.
#include "vardo/app/assembly_parts.h"
#include "vardo/devices/speech_input.h"
#include "vardo/operation/speech_session.h"

#include <functional>
#include <memory>
#include <string>

namespace vardo {

class SpeechComponent : public Component {
public:
    SpeechComponent(const Settings& settings, Frontend& frontend,
                    std::unique_ptr<SpeechInput> input);
    ~SpeechComponent() override;

    // The window is made once the session exists (it needs the session).
    void setWindow(std::unique_ptr<SpeechWindow> window);

    // Message 220 and false when the model or the audio cannot be opened.
    bool start() override { return session_.start(); }
    // Phrases are ignored from now on; the input ends with the component.
    void stop() override { session_.stop(); }

    SpeechSession& session() { return session_; }
    SpeechInput* input() { return input_.get(); }

private:
    std::unique_ptr<SpeechInput> input_;
    SpeechSession session_;
    std::unique_ptr<SpeechWindow> window_;
};

using SpeechInputMaker = std::function<std::unique_ptr<SpeechInput>()>;
using SpeechWindowMaker =
    std::function<std::unique_ptr<SpeechWindow>(SpeechSession&, const Settings&)>;
using SpeechPhraseObserver = std::function<void(const std::string&, int)>;

// A null input maker listens to the microphone; a null window maker shows
// no window; the observer hears every phrase with the command it ran.
SpeechFactory speechFactory(SpeechInputMaker makeInput = {}, SpeechWindowMaker makeWindow = {},
                            SpeechPhraseObserver observer = {});

} // namespace vardo
