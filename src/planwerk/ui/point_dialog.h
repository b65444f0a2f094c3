#pragma once
// The point dialog: which way the siding branches off, and whether the
// point moves together with the next one. The terminal box is shown but
// cannot be changed.
#include "planwerk/editor_frontend.h"

#include <QDialog>

class QCheckBox;
class QRadioButton;

namespace planwerk::ui {

class PointDialog : public QDialog {
    Q_OBJECT
public:
    PointDialog(const PointDialogValues& values, QWidget* parent = nullptr);

    // The values as the controls show them now.
    PointDialogValues values() const;

    QRadioButton* forward() const { return forward_; }
    QRadioButton* backward() const { return backward_; }
    QCheckBox* terminal() const { return terminal_; }
    QCheckBox* linked() const { return linked_; }

private:
    QRadioButton* forward_ = nullptr;
    QRadioButton* backward_ = nullptr;
    QCheckBox* terminal_ = nullptr;
    QCheckBox* linked_ = nullptr;
};

} // namespace planwerk::ui
