#include "vardo/ui/dialogs.h"

#include "vardo/ui/queued_call.h"

#include "common/string_table.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

namespace vardo::ui {

QString uiText(int messageId) { return QString::fromUtf8(common::messageText(messageId)); }

QString fileFilter(int messageId)
{
    // "a|b|c|d||": pairs of description and pattern; Qt wants "a (b);;c (d)".
    const QStringList parts = uiText(messageId).split('|', Qt::SkipEmptyParts);
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i];
        const QString patterns = QString(parts[i + 1]).replace(';', ' ');
        if (!name.contains('('))
            name += " (" + patterns + ")";
        filters << name;
    }
    return filters.join(";;");
}

NoticeDialog::NoticeDialog(const QString& text, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(uiText(common::msg::AppName));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(text, this);
    label->setWordWrap(true);
    layout->addWidget(label);
    box_ = new QCheckBox(uiText(common::msg::NoticeDoNotShowAgain), this);
    layout->addWidget(box_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

bool NoticeDialog::doNotShowAgain() const { return box_->isChecked(); }

DisclaimerDialog::DisclaimerDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(uiText(common::msg::DisclaimerTitle));
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(uiText(common::msg::DisclaimerText), this);
    text->setWordWrap(true);
    layout->addWidget(text);
    auto* warning = new QLabel(uiText(common::msg::DisclaimerWarning), this);
    warning->setWordWrap(true);
    layout->addWidget(warning);
    agree_ = new QRadioButton(uiText(common::msg::DisclaimerAgree), this);
    disagree_ = new QRadioButton(uiText(common::msg::DisclaimerDisagree), this);
    // Neither is chosen until the user clicks one.
    auto* group = new QButtonGroup(this);
    group->addButton(agree_);
    group->addButton(disagree_);
    layout->addWidget(agree_);
    layout->addWidget(disagree_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setEnabled(false);
    connect(group, &QButtonGroup::buttonClicked, this, [this] { ok_->setEnabled(true); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

bool DisclaimerDialog::agreed() const { return agree_->isChecked(); }

CalibrationProgressDialog::CalibrationProgressDialog(QWidget* parent, std::function<void()> abort)
    : QDialog(parent), abort_(std::move(abort))
{
    setWindowTitle(uiText(common::msg::CalibrationProgressTitle));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 1);
    bar_->setValue(0);
    layout->addWidget(bar_);
    auto* abortButton = new QPushButton(uiText(common::msg::AbortButton), this);
    connect(abortButton, &QPushButton::clicked, this, [this] {
        if (abort_)
            abort_();
    });
    layout->addWidget(abortButton);
}

void CalibrationProgressDialog::open()
{
    postTo(
        this,
        [this] {
            bar_->setValue(0);
            show();
        },
        Qt::AutoConnection);
}

void CalibrationProgressDialog::setRange(int maximum)
{
    postTo(this, [this, maximum] { bar_->setRange(0, maximum); }, Qt::AutoConnection);
}

void CalibrationProgressDialog::setPosition(int position)
{
    postTo(this, [this, position] { bar_->setValue(position); }, Qt::AutoConnection);
}

void CalibrationProgressDialog::close()
{
    postTo(this, [this] { hide(); }, Qt::AutoConnection);
}

int CalibrationProgressDialog::maximum() const { return bar_->maximum(); }
int CalibrationProgressDialog::position() const { return bar_->value(); }

AngleDialog::AngleDialog(Form form, QWidget* parent) : QDialog(parent)
{
    const bool angle = form == Form::AngleCorrection;
    setWindowTitle(uiText(angle ? common::msg::AngleCorrectionTitle
                                : common::msg::EmergencyStopTitle));
    auto* layout = new QVBoxLayout(this);
    auto addText = [&](int id) {
        auto* label = new QLabel(uiText(id), this);
        label->setWordWrap(true);
        layout->addWidget(label);
    };
    if (angle) {
        addText(common::msg::AngleCorrectionClick);
        addText(common::msg::AngleCorrectionConfirm);
    } else {
        addText(common::msg::EmergencyStopText);
    }
    auto* buttons = new QDialogButtonBox(
        angle ? QDialogButtonBox::Ok | QDialogButtonBox::Cancel : QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

TrainDisplayDialog::TrainDisplayDialog(const TrainDisplayKeys& keys, Actions actions,
                                       QWidget* parent)
    : QDialog(parent), actions_(std::move(actions))
{
    setWindowTitle(uiText(common::msg::TrainDisplayTitle));
    auto* layout = new QVBoxLayout(this);
    photo_ = new QRadioButton(uiText(common::msg::TrainTypePhoto), this);
    graphic_ = new QRadioButton(uiText(common::msg::TrainTypeGraphic), this);
    (keys.type == 0 ? photo_ : graphic_)->setChecked(true);
    layout->addWidget(photo_);
    layout->addWidget(graphic_);

    auto* group = new QGroupBox(uiText(common::msg::TrainCountGroup), this);
    auto* row = new QHBoxLayout(group);
    const int countTexts[3] = {common::msg::TrainCount1, common::msg::TrainCount2,
                               common::msg::TrainCount3};
    for (int i = 0; i < 3; ++i) {
        counts_[i] = new QRadioButton(uiText(countTexts[i]), group);
        row->addWidget(counts_[i]);
    }
    counts_[std::clamp(keys.count, 1, 3) - 1]->setChecked(true);
    layout->addWidget(group);
    connect_ = new QCheckBox(uiText(common::msg::TrainConnect), this);
    connect_->setChecked(keys.connect);
    layout->addWidget(connect_);

    auto* choices = new QHBoxLayout;
    auto* picture = new QPushButton(uiText(common::msg::TrainPictureButton), this);
    auto* colour = new QPushButton(uiText(common::msg::TrainColourButton), this);
    choices->addWidget(picture);
    choices->addWidget(colour);
    layout->addLayout(choices);
    connect(picture, &QPushButton::clicked, this, [this] {
        const int car = askCar(common::msg::WhichCarPicture);
        if (car >= 0 && actions_.choosePicture) {
            actions_.choosePicture(car);
            refreshCount();
        }
    });
    connect(colour, &QPushButton::clicked, this, [this] {
        const int car = askCar(common::msg::WhichCarColour);
        if (car >= 0 && actions_.chooseColour) {
            actions_.chooseColour(car);
            refreshCount();
        }
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

int TrainDisplayDialog::askCar(int question)
{
    const QStringList cars{uiText(common::msg::Car1), uiText(common::msg::Car2),
                           uiText(common::msg::Car3)};
    bool ok = false;
    const QString choice = QInputDialog::getItem(this, windowTitle(), uiText(question), cars, 0,
                                                 false, &ok);
    return ok ? int(cars.indexOf(choice)) : -1;
}

void TrainDisplayDialog::refreshCount()
{
    if (actions_.currentCount)
        counts_[std::clamp(actions_.currentCount(), 1, 3) - 1]->setChecked(true);
}

TrainDisplayKeys TrainDisplayDialog::keys() const
{
    TrainDisplayKeys k;
    k.type = photo_->isChecked() ? 0 : 1;
    for (int i = 0; i < 3; ++i)
        if (counts_[i]->isChecked())
            k.count = i + 1;
    k.connect = connect_->isChecked();
    return k;
}

} // namespace vardo::ui
