#pragma once
// The generic command definition dialog: up to five choices, two numbers
// and one button (ﾚｲｱｳﾄ参照 or サウンド設定), relabelled per command kind.
#include "vardo/operation/command_form.h"
#include "vardo/ui/form_widgets.h"

#include <QDialog>
#include <array>

class QLabel;
class QPushButton;
class QRadioButton;

namespace vardo::ui {

class EventDialog : public QDialog {
    Q_OBJECT
public:
    // The sound settings: true when a sound was chosen, with its number and
    // the number of sound files now configured.
    using SoundSettings = std::function<bool(int& number, int& count)>;

    EventDialog(CommandForm form, const FormValues& shown, QWidget* parent = nullptr);

    void setRefusalSink(RefusalSink sink) { refuse_ = std::move(sink); }
    void setSoundSettings(SoundSettings settings) { soundSettings_ = std::move(settings); }

    FormValues values() const;
    // Closed through ﾚｲｱｳﾄ参照: the view picks the point.
    bool pickRequested() const { return pickRequested_; }

    void accept() override;

    // A relay switched by hand: a dialog defining an option output shows
    // that relay with its new state. False for dialogs of other kinds.
    bool showRelay(int relay, bool on);

    QRadioButton* radio(int option) const { return radios_[size_t(option)]; }
    FormSpinBox* field1() const { return spin1_; }
    FormSpinBox* field2() const { return spin2_; }
    QLabel* label1() const { return label1_; }
    QLabel* label2() const { return label2_; }
    QPushButton* button() const { return button_; }

private:
    void optionChosen(int option);
    void buttonPressed();
    void refresh();

    CommandForm form_;
    RefusalSink refuse_;
    SoundSettings soundSettings_;
    std::array<QRadioButton*, 5> radios_{};
    QLabel* label1_;
    QLabel* label2_;
    FormSpinBox* spin1_;
    FormSpinBox* spin2_;
    QPushButton* button_;
    bool pickRequested_ = false;
};

// Ticks the relay box of every open option-output command dialog.
void tickOpenRelayBoxes(int relay, bool on);

} // namespace vardo::ui
