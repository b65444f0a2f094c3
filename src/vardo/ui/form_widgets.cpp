#include "vardo/ui/form_widgets.h"

#include <QLabel>
#include <QMessageBox>

#include <algorithm>
#include <limits>

namespace vardo::ui {

FormSpinBox::FormSpinBox(QWidget* parent) : QSpinBox(parent)
{
    // Every value of a 16-bit record field that is not negative.
    setRange(0, std::numeric_limits<int16_t>::max());
}

void FormSpinBox::setSpinRange(int minimum, int maximum)
{
    spinMin_ = minimum;
    spinMax_ = maximum;
}

void FormSpinBox::stepBy(int steps)
{
    setValue(std::clamp(value() + steps, spinMin_, spinMax_));
}

RefusalSink messageBoxSink(QWidget* parent)
{
    return [parent](const QString& text) {
        QMessageBox::warning(parent, parent ? parent->windowTitle() : QString(), text);
    };
}

void applyField(const NumberField& field, QLabel* label, FormSpinBox* spin)
{
    label->setText(QString::fromStdString(field.label));
    label->setVisible(field.visible);
    spin->setVisible(field.visible);
    spin->setEnabled(field.enabled);
    spin->setSpinRange(field.minimum, field.maximum);
}

} // namespace vardo::ui
