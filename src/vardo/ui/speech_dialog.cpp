#include "vardo/ui/speech_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vardo::ui {

SpeechDialog::SpeechDialog(SpeechSession& session, const Settings& settings, QWidget* parent)
    : QDialog(parent), session_(session), settings_(settings), phrase_(new QLineEdit(this))
{
    setWindowTitle(QStringLiteral("音声認識ダイアログ"));
    setModal(false);
    phrase_->setReadOnly(true);
    auto* end = new QPushButton(QStringLiteral("終了"), this);
    auto* settingsButton = new QPushButton(QStringLiteral("設定"), this);
    connect(end, &QPushButton::clicked, this, &SpeechDialog::end);
    connect(settingsButton, &QPushButton::clicked, this, &SpeechDialog::openSettings);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(settingsButton);
    buttons->addWidget(end);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(phrase_);
    layout->addLayout(buttons);
}

void SpeechDialog::open()
{
    phrase_->clear();
    show();
    raise();
}

void SpeechDialog::showPhrase(const std::string& text)
{
    phrase_->setText(QString::fromStdString(text));
}

void SpeechDialog::end()
{
    session_.stop();
    hide();
}

void SpeechDialog::openSettings()
{
    SpeechSettingsDialog dialog(settings_, session_.keywords(), this);
    dialog.exec();
}

SpeechSettingsDialog::SpeechSettingsDialog(const Settings& settings, SpeechKeywords& keywords,
                                           QWidget* parent)
    : QDialog(parent), editor_(settings, keywords),
      enable_(new QCheckBox(QStringLiteral("起動時に音声認識を開始する"), this)),
      commands_(new QComboBox(this)), field_(new QLineEdit(this))
{
    setWindowTitle(QStringLiteral("音声認識設定ダイアログ"));
    for (const auto& name : editor_.commandNames())
        commands_->addItem(QString::fromStdString(name));
    enable_->setChecked(editor_.enableAtStart());
    field_->setText(QString::fromStdString(editor_.field()));
    connect(commands_, &QComboBox::currentIndexChanged, this, [this](int index) {
        editor_.setField(field_->text().toStdString());
        editor_.select(index);
        field_->setText(QString::fromStdString(editor_.field()));
    });
    auto* form = new QVBoxLayout(this);
    form->addWidget(enable_);
    form->addWidget(new QLabel(QStringLiteral("コマンド"), this));
    form->addWidget(commands_);
    form->addWidget(new QLabel(QStringLiteral("キーワード"), this));
    form->addWidget(field_);
    form->addWidget(
        new QLabel(QStringLiteral("複数のキーワードを定義する場合カンマで区切って下さい"), this));
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(box, &QDialogButtonBox::accepted, this, &SpeechSettingsDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addWidget(box);
}

void SpeechSettingsDialog::accept()
{
    editor_.setEnableAtStart(enable_->isChecked());
    editor_.setField(field_->text().toStdString());
    editor_.accept();
    QDialog::accept();
}

} // namespace vardo::ui
