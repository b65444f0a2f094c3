#pragma once
// The two-number dialog: alarm time, timer and the virtual current time
// (with 実際の時刻で行う).
#include "vardo/operation/command_form.h"
#include "vardo/ui/form_widgets.h"

#include <QDialog>

class QCheckBox;
class QLabel;

namespace vardo::ui {

class TimeDialog : public QDialog {
    Q_OBJECT
public:
    TimeDialog(TimeFormKind kind, int first, int second, bool realClock = false,
               QWidget* parent = nullptr);

    void setRefusalSink(RefusalSink sink) { refuse_ = std::move(sink); }
    int first() const;
    int second() const;
    bool realClock() const { return form_.realClock(); }
    void accept() override;

    FormSpinBox* field1() const { return spin1_; }
    FormSpinBox* field2() const { return spin2_; }
    QCheckBox* realClockBox() const { return realClock_; }

private:
    void refresh();

    TimeForm form_;
    RefusalSink refuse_;
    FormSpinBox* spin1_;
    FormSpinBox* spin2_;
    QLabel* unit1_;
    QLabel* unit2_;
    QCheckBox* realClock_;
};

} // namespace vardo::ui
