#pragma once
// "パラメータ設定": the detection, position, crossing, home and interface
// values. Typed numbers out of range put the last accepted value back; OK
// writes through writeParameters, Cancel gives every value back.
#include "vardo/panel/parameter_settings.h"
#include "vardo/panel/pass_counter.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace vardo {
class Controller;
}

namespace vardo::ui {

class NumberField;

struct ParameterDialogLinks {
    const Settings* settings = nullptr;
    Frontend* frontend = nullptr;
    Controller* controller = nullptr; // "列車走行"
    panel::PassCounter* passCounter = nullptr;
    panel::LayoutFeatures layout;
    bool usbConnected = false;
    // The values in force change as they are edited, and back on Cancel.
    std::function<void(const panel::ParameterValues&)> apply;
    // OK: the values as written, put in force at once.
    std::function<void(const panel::ParameterValues&)> commit;
    // A new COM number (written at once by its owner).
    std::function<void(int comNo)> comChanged;
};

class ParameterDialog : public QDialog {
    Q_OBJECT
public:
    explicit ParameterDialog(ParameterDialogLinks links, QWidget* parent = nullptr);
    ~ParameterDialog() override;

    panel::ParameterValues values() const;
    void setValues(const panel::ParameterValues& v);
    void restoreDefaults();

    void accept() override;
    void reject() override;

private:
    void build();
    void edited();
    void toggleRun();

    ParameterDialogLinks links_;
    panel::ParameterValues opened_;
    bool baudEdited_ = false;
    QComboBox* com_ = nullptr;
    QLineEdit* baud_ = nullptr;
    QCheckBox* waitResponse_ = nullptr;
    NumberField* diffLevel_ = nullptr;
    NumberField* compareFrame_ = nullptr;
    QCheckBox* enableExcept_ = nullptr;
    QCheckBox* pwm_ = nullptr;
    NumberField* positionRange_ = nullptr;
    QLabel* passCount_ = nullptr;
    QPushButton* run_ = nullptr;
    NumberField* crossTime_ = nullptr;
    NumberField* homeOffset_ = nullptr;
    QCheckBox* checkControl_ = nullptr;
    QCheckBox* autoStop_ = nullptr;
    QCheckBox* autoStart_ = nullptr;
    QTimer* passTimer_ = nullptr;
    bool loading_ = false;
};

} // namespace vardo::ui
