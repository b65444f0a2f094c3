#pragma once
// Spoken commands: the 25 keyword lists, the matching rule and what each
// command index does. A phrase runs the first command (lowest index) that
// has a keyword contained in it; keywords are tried in their stored order.
#include "vardo/base/frontend.h"
#include "vardo/base/operation_seams.h"
#include "vardo/operation/auto_button.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace vardo {

class Settings;

inline constexpr int kSpeechCommands = 25;
inline constexpr int kSpeechTurntableToggle = 13;
inline constexpr int kSpeechFirstTrack = 14; // .. 18: tracks 1..5
inline constexpr int kSpeechFirstSound = 19; // .. 24: sounds 1..6

// The controller panel's turntable buttons, pressed as a click would.
class TurntableButtons {
public:
    virtual ~TurntableButtons() = default;
    virtual void pressTurntableToggle() = 0;
    virtual void pressTurntableTrack(int track) = 0; // 1..5
};

// Splits a comma-separated list; blanks around a keyword are dropped and
// empty pieces skipped.
std::vector<std::string> splitKeywords(const std::string& text);
// Joins a list back with ",".
std::string joinKeywords(const std::vector<std::string>& words);
// The command names of WORD1..3: a name counts only when a comma follows it.
std::vector<std::string> parseCommandNames(const std::string& value);
std::vector<std::string> readCommandNames(const Settings& settings);

class SpeechKeywords {
public:
    // Reads COMMAND0..COMMAND24.
    void load(const Settings& settings);
    void set(int index, std::vector<std::string> words);
    const std::vector<std::string>& words(int index) const { return lists_[size_t(index)]; }
    // Every keyword of every command, for the recogniser's grammar.
    std::vector<std::string> allKeywords() const;
    // The command the phrase runs, or -1. Letters compare without case.
    int match(const std::string& phrase) const;

private:
    std::array<std::vector<std::string>, kSpeechCommands> lists_;
};

// What a command reaches. Any seam may be missing; its commands then do
// nothing.
struct SpeechTargets {
    Controller* controller = nullptr;
    Operation* operation = nullptr;
    Frontend* frontend = nullptr;
    TurntableButtons* turntable = nullptr;
    SoundPort* sound = nullptr;
    // The program to start and the state the automatic-operation button
    // checks; asked at the moment command 12 (or 11) runs.
    std::function<const Program*()> program;
    std::function<AutoButtonContext()> autoContext;
    OperationObserver* observer = nullptr; // traces sound calls
};

// Carries out command index (0..24); false for an index outside the table
// or a command whose seam is missing.
bool runSpeechCommand(int index, const SpeechTargets& targets);

} // namespace vardo
