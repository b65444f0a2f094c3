#pragma once
// The control point settings dialog: which way a train must run to trigger
// the point, and what happens then (train, turnout or barrier, option
// relay, sound). Like the other marker dialogs it works on plain values
// until the editor's control point commands hand them in.
#include <QDialog>
#include <QStringList>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QRadioButton;

namespace planwerk::ui {

struct ControlDialogValues {
    int direction = 0;   // 0 both, 1 clockwise, 2 counter-clockwise
    int trackAction = 0; // 1 straight, 2 branch (with pointIndex); 7 stop, 8 reverse
    int pointIndex = 0;
    int optionOutput = 0; // 1 off, 2 on (with relayIndex)
    int relayIndex = 0;
    int sound = 0; // 1 stop, 2 play, 3 repeat (with soundNumber from 1)
    int soundNumber = 0;
};

class ControlDialog : public QDialog {
    Q_OBJECT
public:
    ControlDialog(const ControlDialogValues& values, const QStringList& soundFiles,
                  QWidget* parent = nullptr);
    // The values as the controls show them now.
    ControlDialogValues values() const;

    QRadioButton* directionButton(int i) const { return direction_[i]; }
    QCheckBox* trainBox() const { return trainBox_; }
    QRadioButton* stop() const { return stop_; }
    QRadioButton* reverse() const { return reverse_; }
    QCheckBox* pointBox() const { return pointBox_; }
    QRadioButton* straight() const { return straight_; }
    QRadioButton* branch() const { return branch_; }
    QComboBox* points() const { return points_; }
    QCheckBox* optionBox() const { return optionBox_; }
    QRadioButton* relayOn() const { return relayOn_; }
    QComboBox* relays() const { return relays_; }
    QCheckBox* soundBox() const { return soundBox_; }
    QRadioButton* soundButton(int i) const { return soundButtons_[i]; }
    QComboBox* sounds() const { return sounds_; }

private:
    void followTrain();
    void followPoint();
    void followOption();
    void followSound();

    QRadioButton* direction_[3]{};
    QCheckBox* trainBox_ = nullptr;
    QRadioButton* stop_ = nullptr;
    QRadioButton* reverse_ = nullptr;
    QCheckBox* pointBox_ = nullptr;
    QRadioButton* straight_ = nullptr;
    QRadioButton* branch_ = nullptr;
    QComboBox* points_ = nullptr;
    QCheckBox* optionBox_ = nullptr;
    QRadioButton* relayOff_ = nullptr;
    QRadioButton* relayOn_ = nullptr;
    QComboBox* relays_ = nullptr;
    QCheckBox* soundBox_ = nullptr;
    QRadioButton* soundButtons_[3]{};
    QComboBox* sounds_ = nullptr;
};

} // namespace planwerk::ui
