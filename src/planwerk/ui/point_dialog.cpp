#include "planwerk/ui/point_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace planwerk::ui {

PointDialog::PointDialog(const PointDialogValues& values, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("ポイント設定ダイアログ"));
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("分岐する進行方向"), this);
    auto* groupLayout = new QVBoxLayout(group);
    forward_ = new QRadioButton(QStringLiteral("前進"), group);
    backward_ = new QRadioButton(QStringLiteral("後進"), group);
    groupLayout->addWidget(forward_);
    groupLayout->addWidget(backward_);
    (values.direction == 0 ? forward_ : backward_)->setChecked(true);
    layout->addWidget(group);

    terminal_ = new QCheckBox(QStringLiteral("終端ポイント"), this);
    terminal_->setChecked(values.terminal);
    terminal_->setEnabled(false); // decided by the row, not by the user
    layout->addWidget(terminal_);
    linked_ = new QCheckBox(QStringLiteral("連動ポイント(次のポイントを連動します)"), this);
    linked_->setChecked(values.linked);
    layout->addWidget(linked_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

PointDialogValues PointDialog::values() const
{
    PointDialogValues v;
    v.direction = forward_->isChecked() ? 0 : 1;
    v.terminal = terminal_->isChecked();
    v.linked = linked_->isChecked();
    return v;
}

} // namespace planwerk::ui
