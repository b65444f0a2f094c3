#include "vardo/ui/title_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

namespace vardo::ui {

TitleDialog::TitleDialog(const QString& title, QWidget* parent)
    : QDialog(parent), refuse_(messageBoxSink(this)), edit_(new QLineEdit(title, this))
{
    setWindowTitle(TitleForm::title());
    auto* form = new QFormLayout(this);
    form->addRow("表示タイトル", edit_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TitleDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TitleDialog::reject);
}

QString TitleDialog::title() const
{
    return edit_->text();
}

void TitleDialog::accept()
{
    const FormRefusal refusal = TitleForm::check(edit_->text().toStdString());
    if (!refusal.refused()) {
        QDialog::accept();
        return;
    }
    refuse_(QString::fromStdString(refusal.text));
    edit_->setFocus();
    edit_->selectAll();
}

} // namespace vardo::ui
