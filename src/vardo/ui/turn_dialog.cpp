#include "vardo/ui/turn_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

namespace vardo::ui {

TurnDialog::TurnDialog(const FormValues& shown, QWidget* parent)
    : QDialog(parent), reverse_(new QCheckBox("反転方向", this)),
      autoStart_(new QCheckBox("自動発進", this))
{
    setWindowTitle(TurnForm::title());
    auto* box = new QVBoxLayout(this);
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < TurnForm::kChoices; ++i) {
        choices_[size_t(i)] = new QRadioButton(TurnForm::choice(i), this);
        group->addButton(choices_[size_t(i)], i);
        box->addWidget(choices_[size_t(i)]);
    }
    box->addWidget(reverse_);
    box->addWidget(autoStart_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    box->addWidget(buttons);

    option_ = std::clamp(shown.option, 0, TurnForm::kChoices - 1);
    choices_[size_t(option_)]->setChecked(true);
    reverse_->setChecked(shown.value1 != 0);
    autoStart_->setChecked(shown.value2 != 0);
    refresh();
    connect(group, &QButtonGroup::idClicked, this, [this](int option) {
        option_ = option;
        refresh();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &TurnDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TurnDialog::reject);
}

void TurnDialog::refresh()
{
    const bool track = TurnForm::flagsEnabled(option_);
    reverse_->setEnabled(track);
    autoStart_->setEnabled(track);
}

FormValues TurnDialog::values() const
{
    return {option_, reverse_->isChecked() ? 1 : 0, autoStart_->isChecked() ? 1 : 0};
}

} // namespace vardo::ui
