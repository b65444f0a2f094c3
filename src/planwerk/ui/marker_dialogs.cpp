#include "planwerk/ui/marker_dialogs.h"

#include "planwerk/ui/settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace planwerk::ui {

namespace {

QDialogButtonBox* okCancel(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace

CrossingDialog::CrossingDialog(const CrossingDialogValues& values, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("踏切設定"));
    auto* layout = new QVBoxLayout(this);
    barrier_ = new QCheckBox(QStringLiteral("遮断棒"), this);
    light_ = new QCheckBox(QStringLiteral("警報灯"), this);
    barrier_->setChecked(values.barrier);
    light_->setChecked(values.light || !values.barrier); // one always stays on
    layout->addWidget(barrier_);
    layout->addWidget(light_);

    auto* grid = new QGridLayout;
    pointDrive_ = new QRadioButton(QStringLiteral("ポイント"), this);
    relayDrive_ = new QRadioButton(QStringLiteral("オプション"), this);
    points_ = new QComboBox(this);
    points_->addItems({"1", "2", "3", "4"});
    points_->setToolTip(QStringLiteral("ポイント番号"));
    relays_ = new QComboBox(this);
    relays_->addItems({"7", "8", "9", "10"});
    relays_->setToolTip(QStringLiteral("リレー番号"));
    grid->addWidget(pointDrive_, 0, 0);
    grid->addWidget(points_, 0, 1);
    grid->addWidget(relayDrive_, 1, 0);
    grid->addWidget(relays_, 1, 1);
    layout->addLayout(grid);
    layout->addWidget(okCancel(this));

    bool byPoint = values.drive < 7;
    (byPoint ? pointDrive_ : relayDrive_)->setChecked(true);
    int index = byPoint ? values.drive - 1 : values.drive - 7;
    QComboBox* list = byPoint ? points_ : relays_;
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : 0);
    followDrive();

    connect(barrier_, &QCheckBox::toggled, this, [this] { keepOneGroup(barrier_, light_); });
    connect(light_, &QCheckBox::toggled, this, [this] { keepOneGroup(light_, barrier_); });
    connect(pointDrive_, &QRadioButton::toggled, this, &CrossingDialog::followDrive);
}

void CrossingDialog::keepOneGroup(QCheckBox* changed, QCheckBox* other)
{
    if (!changed->isChecked() && !other->isChecked())
        other->setChecked(true);
}

void CrossingDialog::followDrive()
{
    points_->setEnabled(pointDrive_->isChecked());
    relays_->setEnabled(relayDrive_->isChecked());
}

CrossingDialogValues CrossingDialog::values() const
{
    CrossingDialogValues v;
    v.barrier = barrier_->isChecked();
    v.light = light_->isChecked();
    v.drive = pointDrive_->isChecked() ? points_->currentIndex() + 1 : relays_->currentIndex() + 7;
    return v;
}

SensorDialog::SensorDialog(int sensitivity, QWidget* parent)
    : QDialog(parent), sensitivity_(sensitivity)
{
    setWindowTitle(QStringLiteral("センサー設定ダイアログ"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    field_ = new QLineEdit(QString::number(sensitivity), this);
    form->addRow(QStringLiteral("センサー感度"), field_);
    layout->addLayout(form);
    layout->addWidget(okCancel(this));
    warn = [this](const QString& text) {
        QMessageBox::warning(this, QStringLiteral("Planwerk"), text);
    };
}

void SensorDialog::accept()
{
    std::optional<int> value = parseInRange(field_->text(), 0, 99);
    if (!value) {
        warn(QStringLiteral("0 から 99 までの整数を入力してください。"));
        field_->setFocus();
        field_->selectAll();
        return;
    }
    sensitivity_ = *value;
    QDialog::accept();
}

} // namespace planwerk::ui
