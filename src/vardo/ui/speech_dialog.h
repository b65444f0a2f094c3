#pragma once
// The speech window "音声認識ダイアログ" (last phrase, 終了, 設定) and the
// settings dialog "音声認識設定ダイアログ"; the logic is SpeechSession and
// SpeechSettingsEditor below ui.
#include "vardo/operation/speech_session.h"
#include "vardo/operation/speech_settings_editor.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace vardo::ui {

class SpeechDialog : public QDialog, public SpeechWindow {
    Q_OBJECT
public:
    SpeechDialog(SpeechSession& session, const Settings& settings, QWidget* parent = nullptr);

    void open() override;
    void showPhrase(const std::string& text) override;

    void end();          // 終了
    void openSettings(); // 設定

private:
    SpeechSession& session_;
    const Settings& settings_;
    QLineEdit* phrase_;
};

class SpeechSettingsDialog : public QDialog {
    Q_OBJECT
public:
    SpeechSettingsDialog(const Settings& settings, SpeechKeywords& keywords,
                         QWidget* parent = nullptr);
    SpeechSettingsEditor& editor() { return editor_; }
    QComboBox* commands() const { return commands_; }
    QLineEdit* keywords() const { return field_; }
    QCheckBox* enable() const { return enable_; }

    void accept() override;

private:
    SpeechSettingsEditor editor_;
    QCheckBox* enable_;
    QComboBox* commands_;
    QLineEdit* field_;
};

} // namespace vardo::ui
