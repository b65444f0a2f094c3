#include "vardo/app/speech_component.h"

#include "vardo/devices/speech_microphone.h"

namespace vardo {

SpeechComponent::SpeechComponent(const Settings& settings, Frontend& frontend,
                                 std::unique_ptr<SpeechInput> input)
    : input_(std::move(input)), session_(settings, frontend)
{
    session_.setInput(input_.get());
}

SpeechComponent::~SpeechComponent()
{
    // The input's thread pushes into the session's queue: it ends first.
    input_.reset();
    session_.setWindow(nullptr);
}

void SpeechComponent::setWindow(std::unique_ptr<SpeechWindow> window)
{
    window_ = std::move(window);
    session_.setWindow(window_.get());
}

SpeechFactory speechFactory(SpeechInputMaker makeInput, SpeechWindowMaker makeWindow,
                            SpeechPhraseObserver observer)
{
    return [makeInput, makeWindow,
            observer](const ComponentContext& c) -> Made<Component, SpeechComponent> {
        // The session keeps a reference to the settings: the assembly's own.
        if (!c.settings)
            return nullptr;
        std::unique_ptr<SpeechInput> input =
            makeInput ? makeInput() : std::make_unique<MicrophoneSpeechInput>();
        auto speech = std::make_unique<SpeechComponent>(*c.settings, c.frontend, std::move(input));
        if (makeWindow)
            speech->setWindow(makeWindow(speech->session(), *c.settings));
        if (observer)
            speech->session().setPhraseObserver(observer);
        return speech;
    };
}

} // namespace vardo
