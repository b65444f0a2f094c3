#pragma once
// Pieces the command definition dialogs share: a number field whose arrows
// stay inside the kind's range while any stored value can be typed (the
// dialog's OK checks judge it), and the seam that shows a refusal.
#include "vardo/operation/command_form.h"

#include <QSpinBox>
#include <functional>

class QLabel;

namespace vardo::ui {

class FormSpinBox : public QSpinBox {
    Q_OBJECT
public:
    explicit FormSpinBox(QWidget* parent = nullptr);
    // The range of the arrows; typing takes any value a record can hold.
    void setSpinRange(int minimum, int maximum);
    void stepBy(int steps) override;

private:
    int spinMin_ = 0;
    int spinMax_ = 0;
};

// Shows a refusal; a message box unless a test installs another.
using RefusalSink = std::function<void(const QString& text)>;
RefusalSink messageBoxSink(QWidget* parent);

// Applies a field description to its label and spin box.
void applyField(const NumberField& field, QLabel* label, FormSpinBox* spin);

} // namespace vardo::ui
