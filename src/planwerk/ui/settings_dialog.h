#pragma once
// The editor settings dialog: six values with their ranges, written to
// Planwerk.ini on OK.
#include "planwerk/editor_settings.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QLineEdit;

namespace planwerk::ui {

struct SettingRange {
    const char* label;
    const char* section;
    const char* key;
    int low;
    int high;
};

// The five numeric fields in dialog order (the check box comes first).
const std::array<SettingRange, 5>& settingRanges();

// Writes the six keys as decimal text; false when a write failed.
bool writeEditorSettings(const std::string& iniPath, const EditorSettings& values);

class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    SettingsDialog(const EditorSettings& current, QWidget* parent = nullptr);

    // The values as entered; only meaningful after accept.
    EditorSettings values() const { return values_; }

    // Shows a refused value's message; a message box unless replaced.
    std::function<void(const QString&)> warn;

    QCheckBox* sortBox() const { return sort_; }
    QLineEdit* field(int i) const { return fields_[size_t(i)]; }

    void accept() override;

private:
    EditorSettings values_;
    QCheckBox* sort_ = nullptr;
    std::array<QLineEdit*, 5> fields_{};
};

// The integer in `text` when it lies in [low, high].
std::optional<int> parseInRange(const QString& text, int low, int high);

} // namespace planwerk::ui
