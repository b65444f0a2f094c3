#pragma once
// The turntable command dialog: power off or on, or a track with the
// reversal and automatic-start flags.
#include "vardo/operation/command_form.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QRadioButton;

namespace vardo::ui {

class TurnDialog : public QDialog {
    Q_OBJECT
public:
    TurnDialog(const FormValues& shown, QWidget* parent = nullptr);

    FormValues values() const;
    QRadioButton* choice(int option) const { return choices_[size_t(option)]; }
    QCheckBox* reverse() const { return reverse_; }
    QCheckBox* autoStart() const { return autoStart_; }

private:
    void refresh();

    std::array<QRadioButton*, TurnForm::kChoices> choices_{};
    QCheckBox* reverse_;
    QCheckBox* autoStart_;
    int option_ = 0;
};

} // namespace vardo::ui
