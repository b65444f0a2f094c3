#pragma once
// The small dialogs of the main window: the notice with its "do not show
// again" box, the disclaimer, the calibration progress, the angle dialog
// (also the emergency-stop form) and the train display settings.
#include "vardo/layout/train_figures.h"
#include "vardo/vision/detection_host.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace vardo::ui {

QString uiText(int messageId);
// "name (*.x)|*.x||" as a file dialog filter.
QString fileFilter(int messageId);

class NoticeDialog : public QDialog {
    Q_OBJECT
public:
    NoticeDialog(const QString& text, QWidget* parent);
    bool doNotShowAgain() const;

private:
    QCheckBox* box_;
};

class DisclaimerDialog : public QDialog {
    Q_OBJECT
public:
    explicit DisclaimerDialog(QWidget* parent);
    bool agreed() const;

private:
    QRadioButton* agree_;
    QRadioButton* disagree_;
    QPushButton* ok_;
};

// Modeless; the calibration thread reports through queued calls.
class CalibrationProgressDialog : public QDialog, public vision::CalibrationProgress {
    Q_OBJECT
public:
    CalibrationProgressDialog(QWidget* parent, std::function<void()> abort);
    void open() override;
    void setRange(int maximum) override;
    void setPosition(int position) override;
    void close() override;
    int maximum() const;
    int position() const;

private:
    QProgressBar* bar_;
    std::function<void()> abort_;
};

// The angle-correction dialog "角度補整" and, with one text and only OK,
// the emergency-stop form.
class AngleDialog : public QDialog {
    Q_OBJECT
public:
    enum class Form { AngleCorrection, EmergencyStop };
    AngleDialog(Form form, QWidget* parent);
};

struct TrainDisplayKeys {
    int type = 0;
    int count = 1;
    bool connect = true;
};

// "列車表示設定": the three keys edit in place; OK writes them, Cancel
// restores them. Picture and colour choices act at once.
class TrainDisplayDialog : public QDialog {
    Q_OBJECT
public:
    struct Actions {
        std::function<void(int car)> choosePicture;
        std::function<void(int car)> chooseColour;
        std::function<int()> currentCount; // after a choice raised it
    };
    TrainDisplayDialog(const TrainDisplayKeys& keys, Actions actions, QWidget* parent);
    TrainDisplayKeys keys() const;

private:
    int askCar(int question);
    void refreshCount();

    Actions actions_;
    QRadioButton* photo_;
    QRadioButton* graphic_;
    QRadioButton* counts_[3];
    QCheckBox* connect_;
};

} // namespace vardo::ui
