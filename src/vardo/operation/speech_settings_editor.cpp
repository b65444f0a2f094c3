#include "vardo/operation/speech_settings_editor.h"

#include "vardo/base/settings.h"

namespace vardo {

SpeechSettingsEditor::SpeechSettingsEditor(const Settings& settings, SpeechKeywords& keywords)
    : settings_(settings), keywords_(keywords), names_(readCommandNames(settings)),
      enable_(settings.getInt(SettingId::SpeechEnable) == 1),
      field_(joinKeywords(keywords.words(0)))
{
}

bool SpeechSettingsEditor::store()
{
    const std::vector<std::string> words = splitKeywords(field_);
    keywords_.set(selected_, words);
    if (words.empty())
        return true; // the stored value stays as it was
    return settings_.write(SettingId::SpeechCommand, field_, selected_);
}

void SpeechSettingsEditor::select(int index)
{
    if (index < 0 || index >= kSpeechCommands || index == selected_)
        return;
    store();
    selected_ = index;
    field_ = joinKeywords(keywords_.words(index));
}

bool SpeechSettingsEditor::accept()
{
    const bool enableWritten = settings_.writeBool(SettingId::SpeechEnable, enable_);
    return store() && enableWritten;
}

} // namespace vardo
