#pragma once
// A number field of the settings dialogs: typed text is taken only when it
// is a number in the field's range, otherwise the last accepted value comes
// back; the arrows step within the spin range.
#include "vardo/panel/parameter_settings.h"

#include <QWidget>

class QLineEdit;

namespace vardo::ui {

class NumberField : public QWidget {
    Q_OBJECT
public:
    NumberField(panel::ParameterField field, bool withSpin, QWidget* parent = nullptr);

    int value() const { return value_; }
    void setValue(int v);
    QLineEdit* edit() const { return edit_; }

signals:
    void valueChanged(int value);

private:
    void typed(const QString& text);
    void step(int delta);

    panel::ParameterField field_;
    QLineEdit* edit_;
    int value_ = 0;
};

} // namespace vardo::ui
