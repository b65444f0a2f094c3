#pragma once
// "拡張インタフェイス設定": the extended interface's settings dialog. All
// rules live in ServoSettingsEditor; this window shows its values and
// forwards each edit, so a refused value springs back at once.
#include "vardo/devices/extended_settings_editor.h"

#include <QDialog>
#include <array>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace vardo::ui {

class ServoDialog : public QDialog {
    Q_OBJECT
public:
    using Group = devices::ServoSettingsEditor::Group;
    using Angle = devices::ServoSettingsEditor::Angle;

    ServoDialog(devices::ServoSettingsEditor& editor, QWidget* parent);

    // For tests: the widgets by role.
    QGroupBox* group(Group g) const { return groups_[size_t(g)]; }
    QLineEdit* idField(Group g) const { return ids_[size_t(g)]; }
    QLineEdit* angleField(Angle a) const { return angles_[size_t(a)]; }
    QLineEdit* turnField(int track) const { return turnAngles_[size_t(track - 1)]; }
    QButtonGroup* rowButtons() const { return rows_; }
    QButtonGroup* trackButtons() const { return tracks_; }
    QComboBox* comBox() const { return com_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

    void accept() override;
    void reject() override;

private:
    QGroupBox* makeGroup(Group g, const QString& title);
    QLineEdit* makeAngle(Angle a);
    void buildTurntable(QGroupBox* box);
    void refresh();
    void onComChosen(int index);

    devices::ServoSettingsEditor& editor_;
    std::array<QGroupBox*, size_t(Group::Count)> groups_{};
    std::array<QLineEdit*, size_t(Group::Count)> ids_{};
    std::array<QLineEdit*, size_t(Angle::Count)> angles_{};
    std::array<QLineEdit*, devices::kTurnTracks> turnAngles_{};
    QComboBox* com_ = nullptr;
    QCheckBox* link_ = nullptr;
    QCheckBox* torqueOff_ = nullptr;
    QLineEdit* turnSpeed_ = nullptr;
    QButtonGroup* rows_ = nullptr;
    QButtonGroup* tracks_ = nullptr;
    QPushButton* testForward_ = nullptr;
    QPushButton* testBackward_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool refreshing_ = false;
};

} // namespace vardo::ui
