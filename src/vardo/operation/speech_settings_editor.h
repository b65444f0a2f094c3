#pragma once
// The speech settings dialog without a window: the start-up check box, the
// command chosen in the combo box and its keyword field. Leaving a command
// stores its field: a non-empty field is written and becomes the keyword
// list; an empty one leaves the command without keywords for this run but
// keeps the stored value.
#include "vardo/operation/speech_commands.h"

#include <string>
#include <vector>

namespace vardo {

class SpeechSettingsEditor {
public:
    SpeechSettingsEditor(const Settings& settings, SpeechKeywords& keywords);

    const std::vector<std::string>& commandNames() const { return names_; }
    bool enableAtStart() const { return enable_; }
    void setEnableAtStart(bool on) { enable_ = on; }
    int selected() const { return selected_; }
    const std::string& field() const { return field_; }
    void setField(std::string text) { field_ = std::move(text); }

    // Stores the field for the command left, then shows the new one's words.
    void select(int index);
    // OK: writes ENABLE and stores the field. False when a write failed.
    bool accept();

private:
    bool store();

    const Settings& settings_;
    SpeechKeywords& keywords_;
    std::vector<std::string> names_;
    bool enable_ = false;
    int selected_ = 0;
    std::string field_;
};

} // namespace vardo
