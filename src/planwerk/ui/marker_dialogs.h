#pragma once
// The crossing and sensor settings dialogs. The editor does not open them
// yet (its marker commands are still to come), so they work on plain
// values that the marker commands will hand in and take back.
#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace planwerk::ui {

// drive 1..4: a point number; 7..10: an option relay.
struct CrossingDialogValues {
    bool barrier = true;
    bool light = true;
    int drive = 1;
};

class CrossingDialog : public QDialog {
    Q_OBJECT
public:
    CrossingDialog(const CrossingDialogValues& values, QWidget* parent = nullptr);
    CrossingDialogValues values() const;

    QCheckBox* barrier() const { return barrier_; }
    QCheckBox* light() const { return light_; }
    QRadioButton* pointDrive() const { return pointDrive_; }
    QRadioButton* relayDrive() const { return relayDrive_; }
    QComboBox* points() const { return points_; }
    QComboBox* relays() const { return relays_; }

private:
    void keepOneGroup(QCheckBox* changed, QCheckBox* other);
    void followDrive();

    QCheckBox* barrier_ = nullptr;
    QCheckBox* light_ = nullptr;
    QRadioButton* pointDrive_ = nullptr;
    QRadioButton* relayDrive_ = nullptr;
    QComboBox* points_ = nullptr;
    QComboBox* relays_ = nullptr;
};

class SensorDialog : public QDialog {
    Q_OBJECT
public:
    SensorDialog(int sensitivity, QWidget* parent = nullptr);
    // The value entered; meaningful after accept.
    int sensitivity() const { return sensitivity_; }
    QLineEdit* field() const { return field_; }
    // Shows a refused value's message; a message box unless replaced.
    std::function<void(const QString&)> warn;
    void accept() override;

private:
    int sensitivity_;
    QLineEdit* field_ = nullptr;
};

} // namespace planwerk::ui
