#include "vardo/ui/folder_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vardo::ui {

FolderSettingsForm::FolderSettingsForm(std::string optionIni, FolderChooser& chooser)
    : optionIni_(std::move(optionIni)), chooser_(chooser),
      settings_(FolderRunSettings::read(optionIni_))
{
}

bool FolderSettingsForm::browse()
{
    return settings_.browse(chooser_);
}

bool FolderSettingsForm::accept() const
{
    return settings_.write(optionIni_);
}

bool QtFolderChooser::chooseFolder(const std::string& startFolder, std::string& chosen)
{
    const QString folder =
        QFileDialog::getExistingDirectory(parent_, QString(), QString::fromStdString(startFolder));
    if (folder.isEmpty())
        return false;
    chosen = folder.toStdString();
    return true;
}

FolderDialog::FolderDialog(FolderSettingsForm& form, QWidget* parent) : QDialog(parent), form_(form)
{
    setWindowTitle(QStringLiteral("連続実行設定"));
    auto* layout = new QVBoxLayout(this);

    auto* folderRow = new QHBoxLayout;
    folder_ = new QLineEdit(QString::fromStdString(form_.settings().folder), this);
    browse_ = new QPushButton(QStringLiteral("参照"), this);
    folderRow->addWidget(folder_, 1);
    folderRow->addWidget(browse_);
    layout->addLayout(folderRow);

    byName_ = new QRadioButton(QStringLiteral("名前の順番に実行"), this);
    random_ = new QRadioButton(QStringLiteral("ランダムに実行"), this);
    (form_.settings().randomOrder ? random_ : byName_)->setChecked(true);
    layout->addWidget(byName_);
    layout->addWidget(random_);
    loop_ = new QCheckBox(QStringLiteral("繰り返し実行"), this);
    loop_->setChecked(form_.settings().loop);
    layout->addWidget(loop_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &FolderDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(browse_, &QPushButton::clicked, this, [this] {
        // The browser starts from what the field holds now.
        form_.setFolder(folder_->text().toStdString());
        if (form_.browse())
            folder_->setText(QString::fromStdString(form_.settings().folder));
    });
}

void FolderDialog::takeWidgets()
{
    form_.setFolder(folder_->text().toStdString());
    form_.setRandomOrder(random_->isChecked());
    form_.setLoop(loop_->isChecked());
}

void FolderDialog::accept()
{
    takeWidgets();
    QDialog::accept();
}

bool runFolderSettings(const std::string& optionIni, FolderChooser& chooser, QWidget* parent,
                       const std::function<int(QDialog&)>& exec)
{
    FolderSettingsForm form(optionIni, chooser);
    FolderDialog dialog(form, parent);
    const int result = exec ? exec(dialog) : dialog.exec();
    return result == QDialog::Accepted && form.accept();
}

} // namespace vardo::ui
