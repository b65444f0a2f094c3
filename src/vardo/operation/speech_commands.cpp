#include "vardo/operation/speech_commands.h"

#include "vardo/base/settings.h"
#include "vardo/layout/layout_model.h"
#include "vardo/operation/controller_action.h"

#include <algorithm>
#include <cctype>

namespace vardo {

namespace {

std::string trim(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

bool containsNoCase(const std::string& text, const std::string& word)
{
    auto eq = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    };
    return std::search(text.begin(), text.end(), word.begin(), word.end(), eq) != text.end();
}

// Points 1..3 may be linked to the next one, which then follows without
// a send of its own.
void followLinkedPoint(int index, Controller& controller)
{
    const layout::LayoutModel* model = controller.model();
    const int k = (index - ActionPoint1Straight) / 2;
    if (!model || k >= model->pointRecordCount() || !model->point(k).record.linked ||
        k + 1 >= model->pointCount())
        return;
    controller.performAction(index + 2, false);
}

bool stopOperation(const SpeechTargets& t)
{
    if (!t.operation || !t.frontend)
        return false;
    const Program* program = t.program ? t.program() : nullptr;
    static const Program empty{};
    pressAutoButton(*t.operation, *t.controller, *t.frontend, program ? *program : empty, false,
                    t.autoContext ? t.autoContext() : AutoButtonContext{});
    return true;
}

bool startOperation(const SpeechTargets& t)
{
    const Program* program = t.program ? t.program() : nullptr;
    if (!t.operation || !t.frontend || !program)
        return false;
    // The same checks as the panel's button: a spoken start must not run a
    // program the button would refuse.
    const auto result = pressAutoButton(*t.operation, *t.controller, *t.frontend, *program, true,
                                        t.autoContext ? t.autoContext() : AutoButtonContext{});
    return result == AutoButtonResult::Started;
}

bool playSound(int number, const SpeechTargets& t)
{
    if (!t.sound)
        return false;
    if (t.observer)
        t.observer->soundCalled("play", number, false);
    return t.sound->playSound(number, false) >= 0;
}

} // namespace

std::vector<std::string> splitKeywords(const std::string& text)
{
    std::vector<std::string> words;
    size_t at = 0;
    while (at <= text.size()) {
        size_t comma = text.find(',', at);
        if (comma == std::string::npos)
            comma = text.size();
        std::string w = trim(text.substr(at, comma - at));
        if (!w.empty())
            words.push_back(std::move(w));
        at = comma + 1;
    }
    return words;
}

std::string joinKeywords(const std::vector<std::string>& words)
{
    std::string s;
    for (const auto& w : words)
        s += (s.empty() ? "" : ",") + w;
    return s;
}

std::vector<std::string> parseCommandNames(const std::string& value)
{
    std::vector<std::string> names;
    size_t at = 0;
    for (size_t comma; (comma = value.find(',', at)) != std::string::npos; at = comma + 1)
        names.push_back(value.substr(at, comma - at));
    return names; // text after the last comma is no name
}

std::vector<std::string> readCommandNames(const Settings& settings)
{
    std::vector<std::string> names;
    for (int n = 1; n <= 3; ++n)
        for (auto& name : parseCommandNames(settings.getString(SettingId::SpeechWord, n)))
            names.push_back(std::move(name));
    return names;
}

void SpeechKeywords::load(const Settings& settings)
{
    for (int k = 0; k < kSpeechCommands; ++k)
        lists_[size_t(k)] = splitKeywords(settings.getString(SettingId::SpeechCommand, k));
}

void SpeechKeywords::set(int index, std::vector<std::string> words)
{
    if (index >= 0 && index < kSpeechCommands)
        lists_[size_t(index)] = std::move(words);
}

std::vector<std::string> SpeechKeywords::allKeywords() const
{
    std::vector<std::string> all;
    for (const auto& list : lists_)
        all.insert(all.end(), list.begin(), list.end());
    return all;
}

int SpeechKeywords::match(const std::string& phrase) const
{
    for (int k = 0; k < kSpeechCommands; ++k)
        for (const auto& w : lists_[size_t(k)])
            if (containsNoCase(phrase, w))
                return k;
    return -1;
}

bool runSpeechCommand(int index, const SpeechTargets& t)
{
    if (index < 0 || index >= kSpeechCommands)
        return false;
    if (index <= kLastAction && !t.controller)
        return false;
    if (index == ActionStop) {
        const bool lampOn = t.controller->state() & state::AutoLamp;
        t.controller->performAction(ActionStop);
        return lampOn ? stopOperation(t) : true;
    }
    if (index == ActionLampOff)
        return stopOperation(t);
    if (index == ActionLampOn)
        return startOperation(t);
    if (index <= kLastAction) {
        const bool ok = t.controller->performAction(index);
        if (index >= ActionPoint1Straight && index <= ActionPoint3Branch)
            followLinkedPoint(index, *t.controller);
        return ok;
    }
    if (index == kSpeechTurntableToggle || index < kSpeechFirstSound) {
        if (!t.turntable)
            return false;
        if (index == kSpeechTurntableToggle)
            t.turntable->pressTurntableToggle();
        else
            t.turntable->pressTurntableTrack(index - kSpeechFirstTrack + 1);
        return true;
    }
    return playSound(index - kSpeechFirstSound + 1, t);
}

} // namespace vardo
