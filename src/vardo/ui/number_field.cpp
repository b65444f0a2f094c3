#include "vardo/ui/number_field.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace vardo::ui {

NumberField::NumberField(panel::ParameterField field, bool withSpin, QWidget* parent)
    : QWidget(parent), field_(field), edit_(new QLineEdit(this))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    edit_->setMaximumWidth(70);
    row->addWidget(edit_);
    if (withSpin) {
        auto* arrows = new QVBoxLayout;
        arrows->setSpacing(0);
        for (int delta : {1, -1}) {
            auto* b = new QToolButton(this);
            b->setArrowType(delta > 0 ? Qt::UpArrow : Qt::DownArrow);
            b->setFixedSize(16, 11);
            b->setObjectName(delta > 0 ? "up" : "down");
            connect(b, &QToolButton::clicked, this, [this, delta] { step(delta); });
            arrows->addWidget(b);
        }
        row->addLayout(arrows);
    }
    connect(edit_, &QLineEdit::textEdited, this, &NumberField::typed);
}

void NumberField::setValue(int v)
{
    value_ = v;
    edit_->setText(QString::number(v));
}

void NumberField::typed(const QString& text)
{
    if (text.isEmpty())
        return; // the user is about to type a new number
    const auto v = panel::acceptTyped(field_, text.toStdString());
    if (!v) {
        edit_->setText(QString::number(value_));
        return;
    }
    value_ = *v;
    emit valueChanged(value_);
}

void NumberField::step(int delta)
{
    const auto r = panel::spinRange(field_);
    const int v = std::clamp(value_ + delta, r.min, r.max);
    if (v == value_)
        return;
    setValue(v);
    emit valueChanged(v);
}

} // namespace vardo::ui
