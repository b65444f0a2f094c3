#include "vardo/ui/time_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>

namespace vardo::ui {

TimeDialog::TimeDialog(TimeFormKind kind, int first, int second, bool realClock, QWidget* parent)
    : QDialog(parent), form_(kind), refuse_(messageBoxSink(this)), spin1_(new FormSpinBox(this)),
      spin2_(new FormSpinBox(this)), unit1_(new QLabel(this)), unit2_(new QLabel(this)),
      realClock_(new QCheckBox("実際の時刻で行う", this))
{
    setWindowTitle(QString::fromStdString(form_.title()));
    auto* grid = new QGridLayout(this);
    grid->addWidget(spin1_, 0, 0);
    grid->addWidget(unit1_, 0, 1);
    grid->addWidget(spin2_, 0, 2);
    grid->addWidget(unit2_, 0, 3);
    grid->addWidget(realClock_, 1, 0, 1, 4);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    grid->addWidget(buttons, 2, 0, 1, 4);
    realClock_->setVisible(form_.showsRealClock());
    spin1_->setValue(first);
    spin2_->setValue(second);
    realClock_->setChecked(realClock && form_.showsRealClock());
    form_.setRealClock(realClock_->isChecked());
    refresh();
    connect(realClock_, &QCheckBox::toggled, this, [this](bool on) {
        form_.setRealClock(on);
        refresh();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &TimeDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TimeDialog::reject);
}

void TimeDialog::refresh()
{
    applyField(form_.first(), unit1_, spin1_);
    applyField(form_.second(), unit2_, spin2_);
}

int TimeDialog::first() const
{
    return spin1_->value();
}
int TimeDialog::second() const
{
    return spin2_->value();
}

void TimeDialog::accept()
{
    const FormRefusal refusal = form_.check(first(), second());
    if (!refusal.refused()) {
        QDialog::accept();
        return;
    }
    refuse_(QString::fromStdString(refusal.text));
    FormSpinBox* focus = refusal.focus == FormField::Value2 ? spin2_ : spin1_;
    focus->setFocus();
    focus->selectAll();
}

} // namespace vardo::ui
