#include "vardo/ui/servo_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace vardo::ui {

namespace {

constexpr int kServoComChoices = 9; // COM1..COM9 in the list
constexpr int kFirstHighCom = 10;
constexpr int kHighestCom = 255;

int numberOf(const QLineEdit* field, bool& ok)
{
    return field->text().trimmed().toInt(&ok);
}

} // namespace

ServoDialog::ServoDialog(devices::ServoSettingsEditor& editor, QWidget* parent)
    : QDialog(parent), editor_(editor)
{
    setWindowTitle(QString::fromUtf8("拡張インタフェイス設定"));
    auto* layout = new QVBoxLayout(this);

    auto* comRow = new QHBoxLayout;
    comRow->addWidget(new QLabel(QString::fromUtf8("COM番号")));
    com_ = new QComboBox;
    com_->addItem(QString::fromUtf8("なし"));
    for (int n = 1; n <= kServoComChoices; ++n)
        com_->addItem(QString("COM%1").arg(n));
    com_->addItem(QString::fromUtf8("COM10以上"));
    comRow->addWidget(com_);
    layout->addLayout(comRow);
    connect(com_, &QComboBox::activated, this, &ServoDialog::onComChosen);

    auto* grid = new QGridLayout;
    QGroupBox* speed = makeGroup(Group::Speed, QString::fromUtf8("速度制御"));
    static_cast<QFormLayout*>(speed->layout())
        ->addRow(QString::fromUtf8("最低速"), makeAngle(Angle::MinSpeed));
    static_cast<QFormLayout*>(speed->layout())
        ->addRow(QString::fromUtf8("最高速"), makeAngle(Angle::MaxSpeed));
    grid->addWidget(speed, 0, 0);

    QGroupBox* train = makeGroup(Group::Train, QString::fromUtf8("列車制御"));
    auto* trainForm = static_cast<QFormLayout*>(train->layout());
    trainForm->addRow(QString::fromUtf8("前進"), makeAngle(Angle::Forward));
    trainForm->addRow(QString::fromUtf8("後進"), makeAngle(Angle::Backward));
    trainForm->addRow(QString::fromUtf8("停止"), makeAngle(Angle::Stop));
    link_ = new QCheckBox(QString::fromUtf8("転車台連動"));
    trainForm->addRow(link_);
    connect(link_, &QCheckBox::toggled, this, [this](bool on) {
        if (!refreshing_)
            editor_.setLinkTable(on);
        refresh();
    });
    grid->addWidget(train, 0, 1);

    const char* pointTitles[] = {"ポイント1制御", "ポイント2制御", "ポイント3制御"};
    for (int k = 0; k < devices::kServoPoints; ++k) {
        QGroupBox* box =
            makeGroup(Group(int(Group::Point1) + k), QString::fromUtf8(pointTitles[k]));
        auto* form = static_cast<QFormLayout*>(box->layout());
        form->addRow(QString::fromUtf8("直進"), makeAngle(Angle(int(Angle::Through1) + 2 * k)));
        form->addRow(QString::fromUtf8("分岐"), makeAngle(Angle(int(Angle::Branch1) + 2 * k)));
        grid->addWidget(box, 1, k);
    }

    QGroupBox* turn = makeGroup(Group::Turn, QString::fromUtf8("転車台制御"));
    buildTurntable(turn);
    grid->addWidget(turn, 2, 0, 1, 2);

    QGroupBox* table = makeGroup(Group::Table, QString::fromUtf8("転車台電源"));
    static_cast<QFormLayout*>(table->layout())->addRow("ON", makeAngle(Angle::TableOn));
    static_cast<QFormLayout*>(table->layout())->addRow("OFF", makeAngle(Angle::TableOff));
    grid->addWidget(table, 2, 2);
    layout->addLayout(grid);

    auto* tools = new QHBoxLayout;
    testForward_ = new QPushButton(QString::fromUtf8("テスト走行(前進)"));
    testBackward_ = new QPushButton(QString::fromUtf8("テスト走行(後進)"));
    for (QPushButton* b : {testForward_, testBackward_}) {
        b->setCheckable(true);
        tools->addWidget(b);
    }
    connect(testForward_, &QPushButton::toggled, this, [this](bool on) {
        if (!refreshing_)
            editor_.testRun(true, on);
        refresh();
    });
    connect(testBackward_, &QPushButton::toggled, this, [this](bool on) {
        if (!refreshing_)
            editor_.testRun(false, on);
        refresh();
    });
    auto* idChange = new QPushButton(QString::fromUtf8("サーボID変更"));
    auto* reset = new QPushButton(QString::fromUtf8("工場出荷時に戻す"));
    tools->addWidget(idChange);
    tools->addWidget(reset);
    connect(idChange, &QPushButton::clicked, this, [this] { editor_.changeServoId(); });
    connect(reset, &QPushButton::clicked, this, [this] { editor_.factoryReset(); });
    layout->addLayout(tools);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    ok_ = new QPushButton("OK");
    cancel_ = new QPushButton(QString::fromUtf8("キャンセル"));
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    connect(ok_, &QPushButton::clicked, this, &ServoDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &ServoDialog::reject);
    layout->addLayout(buttons);
    refresh();
}

QGroupBox* ServoDialog::makeGroup(Group g, const QString& title)
{
    auto* box = new QGroupBox(title);
    box->setCheckable(true);
    auto* form = new QFormLayout(box);
    auto* id = new QLineEdit;
    id->setValidator(new QIntValidator(-999, 999, id));
    form->addRow(QString::fromUtf8("サーボID"), id);
    groups_[size_t(g)] = box;
    ids_[size_t(g)] = id;
    connect(box, &QGroupBox::toggled, this, [this, g](bool on) {
        if (!refreshing_)
            editor_.setGroupEnabled(g, on);
        refresh();
    });
    connect(id, &QLineEdit::editingFinished, this, [this, g, id] {
        bool ok = false;
        const int value = numberOf(id, ok);
        if (ok && value != editor_.groupId(g))
            editor_.setGroupId(g, value);
        refresh();
    });
    return box;
}

QLineEdit* ServoDialog::makeAngle(Angle a)
{
    auto* field = new QLineEdit;
    field->setValidator(new QIntValidator(-9999, 9999, field));
    angles_[size_t(a)] = field;
    connect(field, &QLineEdit::editingFinished, this, [this, a, field] {
        bool ok = false;
        const int value = numberOf(field, ok);
        if (ok && value != editor_.angle(a))
            editor_.setAngle(a, value);
        refresh();
    });
    return field;
}

void ServoDialog::buildTurntable(QGroupBox* box)
{
    auto* form = static_cast<QFormLayout*>(box->layout());
    turnSpeed_ = new QLineEdit;
    turnSpeed_->setValidator(new QIntValidator(0, 60000, turnSpeed_));
    form->addRow(QString::fromUtf8("回転速度"), turnSpeed_);
    connect(turnSpeed_, &QLineEdit::editingFinished, this, [this] {
        bool ok = false;
        const int value = numberOf(turnSpeed_, ok);
        if (ok)
            editor_.setTurnSpeed(value);
        refresh();
    });
    torqueOff_ = new QCheckBox(QString::fromUtf8("トルクオフ"));
    form->addRow(torqueOff_);
    connect(torqueOff_, &QCheckBox::toggled, this, [this](bool on) {
        if (!refreshing_)
            editor_.setTorqueOff(on);
    });

    rows_ = new QButtonGroup(box);
    auto* rowLine = new QHBoxLayout;
    const char* rowTitles[] = {"前(正回転)", "前(逆回転)", "後(正回転)", "後(逆回転)"};
    for (int r = 0; r < devices::kTurnRows; ++r) {
        auto* radio = new QRadioButton(QString::fromUtf8(rowTitles[r]));
        rows_->addButton(radio, r);
        rowLine->addWidget(radio);
    }
    form->addRow(rowLine);
    connect(rows_, &QButtonGroup::idClicked, this, [this](int row) {
        editor_.selectRow(row); // Cancel on 231 keeps the old row
        refresh();
    });

    tracks_ = new QButtonGroup(box);
    auto* trackGrid = new QGridLayout;
    for (int t = 1; t <= devices::kTurnTracks; ++t) {
        auto* radio = new QRadioButton(QString::fromUtf8("%1番線").arg(t));
        tracks_->addButton(radio, t);
        auto* field = new QLineEdit;
        field->setValidator(new QIntValidator(-99999, 99999, field));
        turnAngles_[size_t(t - 1)] = field;
        trackGrid->addWidget(radio, t - 1, 0);
        trackGrid->addWidget(field, t - 1, 1);
        connect(field, &QLineEdit::editingFinished, this, [this, t, field] {
            bool ok = false;
            const int value = numberOf(field, ok);
            if (ok && value != editor_.turnAngle(t))
                editor_.setTurnAngle(t, value);
            refresh();
        });
    }
    form->addRow(trackGrid);
    connect(tracks_, &QButtonGroup::idClicked, this, [this](int t) {
        editor_.selectTrack(t);
        refresh();
    });
}

void ServoDialog::refresh()
{
    if (refreshing_)
        return;
    refreshing_ = true;
    const devices::ServoSettings& v = editor_.values();
    const int com = v.comNo;
    com_->setCurrentIndex(com <= 0 ? 0 : com <= kServoComChoices ? com : kServoComChoices + 1);
    for (int g = 0; g < int(Group::Count); ++g) {
        groups_[size_t(g)]->setChecked(editor_.groupEnabled(Group(g)));
        ids_[size_t(g)]->setText(QString::number(editor_.groupId(Group(g))));
    }
    for (int a = 0; a < int(Angle::Count); ++a)
        angles_[size_t(a)]->setText(QString::number(editor_.angle(Angle(a))));
    link_->setChecked(v.linkTable);
    torqueOff_->setChecked(v.torqueOff);
    turnSpeed_->setText(QString::number(v.turnSpeed));
    rows_->button(editor_.turnRow())->setChecked(true);
    tracks_->button(editor_.turnTrack())->setChecked(true);
    for (int t = 1; t <= devices::kTurnTracks; ++t)
        turnAngles_[size_t(t - 1)]->setText(QString::number(editor_.turnAngle(t)));
    testForward_->setChecked(editor_.testForward());
    testBackward_->setChecked(editor_.testBackward());
    refreshing_ = false;
}

void ServoDialog::onComChosen(int index)
{
    int number = index <= kServoComChoices ? index : 0;
    if (index == kServoComChoices + 1) {
        bool ok = false;
        const int present = editor_.values().comNo;
        number = QInputDialog::getInt(this, QString::fromUtf8("COMポート設定"), "COM",
                                      present >= kFirstHighCom ? present : kFirstHighCom, 1,
                                      kHighestCom, 1, &ok);
        if (!ok) {
            refresh();
            return;
        }
    }
    editor_.selectComPort(number);
    refresh();
}

void ServoDialog::accept()
{
    editor_.accept();
    QDialog::accept();
}

void ServoDialog::reject()
{
    editor_.cancel();
    QDialog::reject();
}

} // namespace vardo::ui
