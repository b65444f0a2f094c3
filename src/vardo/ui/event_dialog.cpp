#include "vardo/ui/event_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

namespace vardo::ui {

EventDialog::EventDialog(CommandForm form, const FormValues& shown, QWidget* parent)
    : QDialog(parent), form_(std::move(form)), refuse_(messageBoxSink(this)),
      label1_(new QLabel(this)), label2_(new QLabel(this)), spin1_(new FormSpinBox(this)),
      spin2_(new FormSpinBox(this)), button_(new QPushButton(this))
{
    setWindowTitle(QString::fromStdString(form_.title()));
    auto* group = new QButtonGroup(this);
    auto* radioBox = new QVBoxLayout;
    for (int i = 0; i < int(radios_.size()); ++i) {
        radios_[size_t(i)] = new QRadioButton(this);
        group->addButton(radios_[size_t(i)], i);
        radioBox->addWidget(radios_[size_t(i)]);
        const bool used = size_t(i) < form_.radios().size();
        radios_[size_t(i)]->setVisible(used);
        if (used)
            radios_[size_t(i)]->setText(QString::fromStdString(form_.radios()[size_t(i)]));
    }
    auto* fields = new QGridLayout;
    fields->addWidget(label1_, 0, 0);
    fields->addWidget(spin1_, 0, 1);
    fields->addWidget(label2_, 1, 0);
    fields->addWidget(spin2_, 1, 1);
    fields->addWidget(button_, 2, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* top = new QGridLayout(this);
    top->addLayout(radioBox, 0, 0);
    top->addLayout(fields, 0, 1);
    top->addWidget(buttons, 1, 0, 1, 2);

    const bool hasOption = !form_.radios().empty();
    const int option = hasOption ? std::clamp(shown.option, 0, int(form_.radios().size()) - 1) : 0;
    if (hasOption)
        radios_[size_t(option)]->setChecked(true);
    form_.setOption(option);
    spin1_->setValue(shown.value1);
    spin2_->setValue(shown.value2);
    refresh();

    connect(group, &QButtonGroup::idClicked, this, &EventDialog::optionChosen);
    connect(button_, &QPushButton::clicked, this, &EventDialog::buttonPressed);
    connect(buttons, &QDialogButtonBox::accepted, this, &EventDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &EventDialog::reject);
}

void EventDialog::refresh()
{
    applyField(form_.value1(), label1_, spin1_);
    applyField(form_.value2(), label2_, spin2_);
    switch (form_.button()) {
    case FormButton::LayoutPick:
        button_->setText("ﾚｲｱｳﾄ参照");
        break;
    case FormButton::SoundSettings:
        button_->setText("サウンド設定");
        break;
    case FormButton::None:
        break;
    }
    button_->setVisible(form_.button() != FormButton::None);
    button_->setEnabled(form_.buttonEnabled());
}

void EventDialog::optionChosen(int option)
{
    form_.setOption(option);
    refresh();
}

void EventDialog::buttonPressed()
{
    if (form_.button() == FormButton::LayoutPick) {
        pickRequested_ = true;
        QDialog::accept();
        return;
    }
    int number = 0;
    int count = 0;
    if (form_.button() == FormButton::SoundSettings && soundSettings_ &&
        soundSettings_(number, count)) {
        form_.setSoundCount(count);
        refresh();
        spin1_->setValue(number);
    }
}

bool EventDialog::showRelay(int relay, bool on)
{
    if (form_.kind() != CommandKind::OptionOutput)
        return false;
    const int option = on ? 1 : 0; // the radios are オフ, オン
    radios_[size_t(option)]->setChecked(true);
    optionChosen(option);
    spin1_->setValue(relay);
    return true;
}

void tickOpenRelayBoxes(int relay, bool on)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<EventDialog*>(w); dialog && dialog->isVisible())
            dialog->showRelay(relay, on);
}

FormValues EventDialog::values() const
{
    return {form_.option(), spin1_->value(), spin2_->value()};
}

void EventDialog::accept()
{
    const FormRefusal refusal = form_.check(spin1_->value(), spin2_->value());
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
