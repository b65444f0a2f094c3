#include "planwerk/ui/control_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace planwerk::ui {

namespace {

// Radio buttons of one row, exclusive among themselves only.
QRadioButton* radio(const char* text, QButtonGroup* group, QHBoxLayout* row, QWidget* parent)
{
    auto* button = new QRadioButton(QString::fromUtf8(text), parent);
    group->addButton(button);
    row->addWidget(button);
    return button;
}

void selectIn(QComboBox* list, int index)
{
    // A stored index beyond the list shows its first entry rather than none.
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : 0);
}

} // namespace

ControlDialog::ControlDialog(const ControlDialogValues& v, const QStringList& soundFiles,
                             QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("レイアウト制御設定"));
    auto* layout = new QVBoxLayout(this);

    auto* directionGroup = new QGroupBox(QStringLiteral("進行方向"), this);
    auto* directionRow = new QHBoxLayout(directionGroup);
    auto* directions = new QButtonGroup(this);
    const char* names[] = {"両方", "時計回り", "反時計回り"};
    for (int i = 0; i < 3; ++i)
        direction_[i] = radio(names[i], directions, directionRow, directionGroup);
    direction_[v.direction >= 0 && v.direction <= 2 ? v.direction : 0]->setChecked(true);
    layout->addWidget(directionGroup);

    auto addRow = [&](QCheckBox*& box, const char* text) {
        box = new QCheckBox(QString::fromUtf8(text), this);
        layout->addWidget(box);
        auto* row = new QHBoxLayout;
        row->addSpacing(20);
        layout->addLayout(row);
        return row;
    };

    QHBoxLayout* row = addRow(trainBox_, "列車の制御");
    auto* trainGroup = new QButtonGroup(this);
    stop_ = radio("停止", trainGroup, row, this);
    reverse_ = radio("反転", trainGroup, row, this);

    row = addRow(pointBox_, "ポイント(遮断機)の制御");
    auto* pointGroup = new QButtonGroup(this);
    straight_ = radio("直進側に切替(開ける)", pointGroup, row, this);
    branch_ = radio("分岐側に切替(閉める)", pointGroup, row, this);
    points_ = new QComboBox(this);
    points_->addItems({"1", "2", "3", "4"});
    points_->setToolTip(QStringLiteral("ポイント番号"));
    row->addWidget(points_);

    row = addRow(optionBox_, "オプションの出力制御");
    auto* optionGroup = new QButtonGroup(this);
    relayOff_ = radio("オフ", optionGroup, row, this);
    relayOn_ = radio("オン", optionGroup, row, this);
    relays_ = new QComboBox(this);
    relays_->addItems({"7", "8", "9", "10"});
    relays_->setToolTip(QStringLiteral("リレー番号"));
    row->addWidget(relays_);

    row = addRow(soundBox_, "サウンドの出力制御");
    auto* soundGroup = new QButtonGroup(this);
    const char* soundNames[] = {"停止", "再生", "繰返し再生"};
    for (int i = 0; i < 3; ++i)
        soundButtons_[i] = radio(soundNames[i], soundGroup, row, this);
    sounds_ = new QComboBox(this);
    sounds_->addItems(soundFiles);
    sounds_->setToolTip(QStringLiteral("サウンドファイル"));
    row->addWidget(sounds_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    // The initial state from the record.
    bool trainAction = v.trackAction == 7 || v.trackAction == 8;
    bool pointAction = v.trackAction == 1 || v.trackAction == 2;
    trainBox_->setChecked(trainAction);
    (v.trackAction == 8 ? reverse_ : stop_)->setChecked(true);
    pointBox_->setChecked(pointAction);
    (v.trackAction == 2 ? branch_ : straight_)->setChecked(true);
    selectIn(points_, v.pointIndex);
    bool pointControls = v.trackAction >= 1 && v.trackAction <= 6;
    straight_->setEnabled(pointControls);
    branch_->setEnabled(pointControls);
    points_->setEnabled(pointControls);
    stop_->setEnabled(trainAction);
    reverse_->setEnabled(trainAction);

    optionBox_->setChecked(v.optionOutput != 0);
    (v.optionOutput == 2 ? relayOn_ : relayOff_)->setChecked(true);
    selectIn(relays_, v.relayIndex);
    followOption();

    soundBox_->setChecked(v.sound != 0);
    soundButtons_[v.sound >= 1 && v.sound <= 3 ? v.sound - 1 : 0]->setChecked(true);
    selectIn(sounds_, v.soundNumber > 0 ? v.soundNumber - 1 : 5);
    followSound();

    connect(trainBox_, &QCheckBox::clicked, this, &ControlDialog::followTrain);
    connect(pointBox_, &QCheckBox::clicked, this, &ControlDialog::followPoint);
    connect(optionBox_, &QCheckBox::clicked, this, &ControlDialog::followOption);
    connect(soundBox_, &QCheckBox::clicked, this, &ControlDialog::followSound);
}

void ControlDialog::followTrain()
{
    bool on = trainBox_->isChecked();
    stop_->setEnabled(on);
    reverse_->setEnabled(on);
}

void ControlDialog::followPoint()
{
    bool on = pointBox_->isChecked();
    straight_->setEnabled(on);
    branch_->setEnabled(on);
    points_->setEnabled(on);
    if (on) {
        stop_->setEnabled(false);
        reverse_->setEnabled(false);
    }
}

void ControlDialog::followOption()
{
    bool on = optionBox_->isChecked();
    relayOff_->setEnabled(on);
    relayOn_->setEnabled(on);
    relays_->setEnabled(on);
}

void ControlDialog::followSound()
{
    bool on = soundBox_->isChecked();
    for (QRadioButton* b : soundButtons_)
        b->setEnabled(on);
    sounds_->setEnabled(on);
}

ControlDialogValues ControlDialog::values() const
{
    ControlDialogValues v;
    for (int i = 0; i < 3; ++i)
        if (direction_[i]->isChecked())
            v.direction = i;
    if (trainBox_->isChecked()) {
        v.trackAction = 7 + (reverse_->isChecked() ? 1 : 0);
    } else if (pointBox_->isChecked()) {
        v.trackAction = 1 + (branch_->isChecked() ? 1 : 0);
        v.pointIndex = points_->currentIndex();
    }
    if (optionBox_->isChecked()) {
        v.optionOutput = 1 + (relayOn_->isChecked() ? 1 : 0);
        v.relayIndex = relays_->currentIndex();
    }
    if (soundBox_->isChecked()) {
        v.sound = soundButtons_[2]->isChecked() ? 3 : (soundButtons_[1]->isChecked() ? 2 : 1);
        // Without any sound file there is nothing to name: number 0.
        v.soundNumber = sounds_->currentIndex() + 1;
    }
    return v;
}

} // namespace planwerk::ui
