#include "vardo/ui/parameter_dialog.h"

#include "vardo/base/controller_codes.h"
#include "vardo/operation/controller_action.h"
#include "vardo/ui/number_field.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace vardo::ui {

using panel::ParameterField;

namespace {

constexpr int kComChoices = 11; // none, COM1..COM9, "COM10以上"
constexpr int kPassRefreshMs = 100;

QWidget* withUnit(QWidget* field, const QString& unit)
{
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(field);
    if (!unit.isEmpty())
        row->addWidget(new QLabel(unit));
    row->addStretch();
    return box;
}

} // namespace

ParameterDialog::ParameterDialog(ParameterDialogLinks links, QWidget* parent)
    : QDialog(parent), links_(std::move(links))
{
    setWindowTitle("パラメータ設定");
    build();
    opened_ = links_.settings ? panel::readParameters(*links_.settings) : panel::ParameterValues{};
    setValues(opened_);
    if (links_.passCounter)
        links_.passCounter->open();
    passTimer_ = new QTimer(this);
    connect(passTimer_, &QTimer::timeout, this, [this] {
        if (links_.passCounter)
            passCount_->setText(QString::number(links_.passCounter->count()));
    });
    passTimer_->start(kPassRefreshMs);
}

ParameterDialog::~ParameterDialog()
{
    if (links_.passCounter)
        links_.passCounter->close();
}

void ParameterDialog::build()
{
    auto* top = new QVBoxLayout(this);
    auto* usb = new QGroupBox("標準インタフェイス定義");
    auto* usbForm = new QFormLayout(usb);
    com_ = new QComboBox;
    com_->setObjectName("comNo");
    com_->addItem("なし");
    for (int n = 1; n <= 9; ++n)
        com_->addItem(QString("COM%1").arg(n));
    com_->addItem("COM10以上");
    const int comNo = links_.settings ? links_.settings->getInt(SettingId::UsbComNo) : 0;
    com_->setCurrentIndex(std::clamp(comNo, 0, kComChoices - 1));
    connect(com_, &QComboBox::activated, this, [this](int index) {
        if (links_.comChanged && index < kComChoices - 1)
            links_.comChanged(index);
    });
    usbForm->addRow("COM番号", com_);
    baud_ = new QLineEdit;
    baud_->setObjectName("baudRate");
    baud_->setValidator(new QIntValidator(1, 99999999, baud_));
    connect(baud_, &QLineEdit::textEdited, this, [this] { baudEdited_ = true; });
    usbForm->addRow("通信速度", baud_);
    waitResponse_ = new QCheckBox("応答待ち");
    waitResponse_->setObjectName("waitResponse");
    usbForm->addRow(waitResponse_);
    top->addWidget(usb);

    auto* form = new QFormLayout;
    diffLevel_ = new NumberField(ParameterField::DiffLevel, true);
    diffLevel_->setObjectName("diffLevel");
    form->addRow("位置検出感度", withUnit(diffLevel_, "%"));
    compareFrame_ = new NumberField(ParameterField::CompareFrame, true);
    compareFrame_->setObjectName("compareFrame");
    form->addRow("位置検出間隔", withUnit(compareFrame_, "ﾌﾚｰﾑ"));
    enableExcept_ = new QCheckBox("除外領域処理を行う");
    enableExcept_->setObjectName("enableExcept");
    enableExcept_->setEnabled(links_.layout.exclusionRegions);
    form->addRow(enableExcept_);
    pwm_ = new QCheckBox("擬似パルス幅変調で速度制御を行う");
    pwm_->setObjectName("pwmControl");
    form->addRow(pwm_);
    top->addLayout(form);

    auto* pass = new QGroupBox("通過点認識");
    auto* passForm = new QFormLayout(pass);
    positionRange_ = new NumberField(ParameterField::PositionRange, true);
    positionRange_->setObjectName("positionRange");
    passForm->addRow("許容範囲", positionRange_);
    passCount_ = new QLabel("0");
    passCount_->setObjectName("passCount");
    passCount_->setFrameShape(QFrame::StyledPanel);
    passForm->addRow("通過点チェック", passCount_);
    run_ = new QPushButton("列車走行");
    run_->setObjectName("runTrain");
    run_->setEnabled(links_.usbConnected && links_.controller);
    connect(run_, &QPushButton::clicked, this, &ParameterDialog::toggleRun);
    passForm->addRow(run_);
    top->addWidget(pass);

    auto* more = new QFormLayout;
    crossTime_ = new NumberField(ParameterField::CrossTime, true);
    crossTime_->setObjectName("crossTime");
    crossTime_->setEnabled(links_.layout.crossings);
    more->addRow("遮断機通電時間(x0.1秒)", crossTime_);
    homeOffset_ = new NumberField(ParameterField::HomeOffset, true);
    homeOffset_->setObjectName("homeOffset");
    more->addRow("ホーム停止位置調整値", homeOffset_);
    checkControl_ = new QCheckBox("列車の進行方向反転時に制御ポイントの処理を行う");
    checkControl_->setObjectName("checkControl");
    checkControl_->setEnabled(links_.layout.controlPoints);
    more->addRow(checkControl_);
    top->addLayout(more);

    auto* table = new QGroupBox("転車台");
    auto* tableRow = new QHBoxLayout(table);
    autoStop_ = new QCheckBox("自動停止");
    autoStop_->setObjectName("autoStop");
    autoStart_ = new QCheckBox("自動発進");
    autoStart_->setObjectName("autoStart");
    tableRow->addWidget(autoStop_);
    tableRow->addWidget(autoStart_);
    top->addWidget(table);

    auto* buttons = new QDialogButtonBox;
    auto* defaults = buttons->addButton("標準に戻す", QDialogButtonBox::ResetRole);
    defaults->setObjectName("defaults");
    buttons->addButton(QDialogButtonBox::Ok)->setObjectName("ok");
    buttons->addButton("キャンセル", QDialogButtonBox::RejectRole)->setObjectName("cancel");
    connect(defaults, &QPushButton::clicked, this, &ParameterDialog::restoreDefaults);
    connect(buttons, &QDialogButtonBox::accepted, this, &ParameterDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ParameterDialog::reject);
    top->addWidget(buttons);

    for (auto* f : {diffLevel_, compareFrame_, positionRange_, crossTime_, homeOffset_})
        connect(f, &NumberField::valueChanged, this, &ParameterDialog::edited);
    for (auto* c : {waitResponse_, enableExcept_, pwm_, checkControl_, autoStop_, autoStart_})
        connect(c, &QCheckBox::toggled, this, &ParameterDialog::edited);
}

panel::ParameterValues ParameterDialog::values() const
{
    panel::ParameterValues v;
    v.baudRate = baud_->text().toInt();
    v.waitResponse = waitResponse_->isChecked();
    v.diffLevel = diffLevel_->value();
    v.compareFrame = compareFrame_->value();
    v.enableExcept = enableExcept_->isChecked();
    v.pwmControl = pwm_->isChecked();
    v.positionRange = positionRange_->value();
    v.crossTime = crossTime_->value();
    v.homeOffset = homeOffset_->value();
    v.checkControl = checkControl_->isChecked();
    v.autoStop = autoStop_->isChecked();
    v.autoStart = v.autoStop && autoStart_->isChecked();
    return v;
}

void ParameterDialog::setValues(const panel::ParameterValues& v)
{
    loading_ = true;
    baud_->setText(QString::number(v.baudRate));
    waitResponse_->setChecked(v.waitResponse);
    diffLevel_->setValue(v.diffLevel);
    compareFrame_->setValue(v.compareFrame);
    enableExcept_->setChecked(v.enableExcept);
    pwm_->setChecked(v.pwmControl);
    positionRange_->setValue(v.positionRange);
    crossTime_->setValue(v.crossTime);
    homeOffset_->setValue(v.homeOffset);
    checkControl_->setChecked(v.checkControl);
    autoStop_->setChecked(v.autoStop);
    autoStart_->setChecked(v.autoStart);
    autoStart_->setEnabled(v.autoStop);
    loading_ = false;
    edited();
}

void ParameterDialog::restoreDefaults()
{
    const auto present = values();
    setValues(panel::defaultParameters(present, links_.layout));
    if (present.baudRate != 9600)
        baudEdited_ = true;
}

void ParameterDialog::edited()
{
    if (loading_)
        return;
    autoStart_->setEnabled(autoStop_->isChecked());
    if (links_.apply)
        links_.apply(values());
}

void ParameterDialog::toggleRun()
{
    if (!links_.controller)
        return;
    if (run_->text() == "列車走行") {
        links_.controller->performAction(ActionForward);
        run_->setText("列車停止");
    } else {
        links_.controller->performAction(ActionStop);
        run_->setText("列車走行");
    }
}

void ParameterDialog::accept()
{
    if (links_.settings && links_.frontend) {
        const auto written = panel::writeParameters(*links_.settings, *links_.frontend, opened_,
                                                    values(), baudEdited_);
        if (links_.commit)
            links_.commit(written);
        else if (links_.apply)
            links_.apply(written);
    }
    QDialog::accept();
}

void ParameterDialog::reject()
{
    if (links_.apply)
        links_.apply(opened_);
    QDialog::reject();
}

} // namespace vardo::ui
