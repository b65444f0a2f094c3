#include "vardo/ui/sound_dialog.h"

#include "common/string_table.h"
#include "vardo/devices/sound_engine.h"
#include "vardo/devices/sound_table.h"
#include "vardo/ui/dialogs.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace vardo::ui {

namespace {

// "a (x,y)|x;y|b (z)|z||" as Qt filters; the patterns in the parentheses
// are Qt's own list, so they are rebuilt from the pattern column.
QString soundFilter()
{
    const QStringList parts = uiText(common::msg::SoundFileFilter).split('|', Qt::SkipEmptyParts);
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString name = parts[i].section(" (", 0, 0);
        filters << name + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
    }
    return filters.join(";;");
}

int capacityOf(const Settings& settings, const devices::SoundEngine* engine)
{
    return engine && engine->ready() ? engine->capacity()
                                     : devices::soundCapacity(devices::soundCount(settings));
}

} // namespace

SoundDialog::SoundDialog(const Settings& settings, devices::SoundEngine* engine, Frontend& frontend,
                         std::string programFolder, QWidget* parent)
    : QDialog(parent), settings_(settings), engine_(engine), frontend_(frontend),
      programFolder_(std::move(programFolder)),
      list_(capacityOf(settings, engine), [engine](int number) {
          if (engine)
              engine->UnloadSound(number);
      })
{
    setWindowTitle(uiText(common::msg::SoundDialogTitle));
    auto* layout = new QHBoxLayout(this);
    listBox_ = new QListWidget(this);
    layout->addWidget(listBox_, 1);
    auto* column = new QVBoxLayout;
    layout->addLayout(column);
    add_ = addButton(common::msg::SoundAddButton, &SoundDialog::onAdd);
    delete_ = addButton(common::msg::SoundDeleteButton, &SoundDialog::onDelete);
    up_ = addButton(common::msg::SoundUpButton, &SoundDialog::onUp);
    down_ = addButton(common::msg::SoundDownButton, &SoundDialog::onDown);
    play_ = addButton(common::msg::SoundTestPlayButton, &SoundDialog::onPlay);
    stop_ = addButton(common::msg::SoundStopButton, &SoundDialog::onStop);
    for (QPushButton* b : {add_, delete_, up_, down_, play_, stop_})
        column->addWidget(b);
    column->addStretch(1);
    auto* box = new QDialogButtonBox(this);
    box->addButton(QDialogButtonBox::Ok);
    box->addButton(uiText(common::msg::CancelButton), QDialogButtonBox::RejectRole);
    connect(box, &QDialogButtonBox::accepted, this, &SoundDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &SoundDialog::reject);
    column->addWidget(box);
    connect(listBox_, &QListWidget::currentRowChanged, this, [this] { updateButtons(); });

    list_.load(settings_);
    fill(-1);
}

QPushButton* SoundDialog::addButton(int messageId, void (SoundDialog::*slot)())
{
    auto* button = new QPushButton(uiText(messageId), this);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, slot);
    return button;
}

std::string SoundDialog::chooseSoundFile(QWidget* parent)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(soundFilter());
    dialog.setDefaultSuffix("wav");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first().toStdString();
}

void SoundDialog::fill(int selection)
{
    listBox_->clear();
    for (int i = 0; i < list_.size(); ++i)
        listBox_->addItem(QString::fromStdString(list_.label(i)));
    listBox_->setCurrentRow(selection);
    updateButtons();
}

int SoundDialog::selection() const
{
    return listBox_->currentRow();
}

void SoundDialog::updateButtons()
{
    const auto b = list_.buttons(selection());
    add_->setEnabled(b.add);
    delete_->setEnabled(b.remove);
    play_->setEnabled(b.play);
    stop_->setEnabled(b.stop);
    up_->setEnabled(b.up);
    down_->setEnabled(b.down);
}

void SoundDialog::onAdd()
{
    if (int refusal = list_.addRefusal()) {
        frontend_.showMessage(refusal, Icon::Information);
        return;
    }
    const std::string path = chooser_ ? chooser_(this) : std::string();
    const int index = list_.add(path);
    if (index >= 0)
        fill(index);
}

void SoundDialog::onDelete()
{
    const int row = selection();
    if (list_.remove(row))
        fill(std::min(row, list_.size() - 1));
}

void SoundDialog::onUp()
{
    const int row = list_.moveUp(selection());
    if (row >= 0)
        fill(row);
}

void SoundDialog::onDown()
{
    const int row = list_.moveDown(selection());
    if (row >= 0)
        fill(row);
}

void SoundDialog::onPlay()
{
    const int row = selection();
    if (!engine_ || row < 0 || row >= list_.size())
        return;
    engine_->PlaySound(0, false, devices::resolveSoundPath(list_.value(row), programFolder_));
}

void SoundDialog::onStop()
{
    if (engine_)
        engine_->StopSound(0);
}

void SoundDialog::accept()
{
    onStop();
    const int count = list_.save(settings_);
    if (engine_)
        engine_->setCount(count);
    QDialog::accept();
}

void SoundDialog::reject()
{
    onStop();
    QDialog::reject();
}

} // namespace vardo::ui
