#include "vardo/devices/extended_settings_editor.h"

#include "common/string_table.h"
#include "vardo/base/controller_codes.h"
#include "vardo/devices/extended_maintenance.h"

#include <algorithm>

namespace vardo::devices {

namespace {

constexpr int kGroups = int(ServoSettingsEditor::Group::Count);

bool angleInRange(int degrees)
{
    return degrees >= kMinServoAngle && degrees <= kMaxServoAngle;
}

} // namespace

ServoSettingsEditor::ServoSettingsEditor(Frontend& frontend, ExtendedInterface& ext, Hooks hooks)
    : frontend_(frontend), ext_(ext), hooks_(std::move(hooks))
{
    load();
}

void ServoSettingsEditor::load(bool dialogDefaults)
{
    values_ = ServoSettings::load(ext_.iniSettings(), dialogDefaults);
    turnEdited_ = false;
}

int& ServoSettingsEditor::settingOf(Group g)
{
    switch (g) {
    case Group::Speed:
        return values_.speedServo;
    case Group::Train:
        return values_.trainServo;
    case Group::Point1:
    case Group::Point2:
    case Group::Point3:
        return values_.pointServo[size_t(int(g) - int(Group::Point1))];
    case Group::Turn:
        return values_.turnServo;
    default:
        return values_.tableServo;
    }
}

int ServoSettingsEditor::settingOf(Group g) const
{
    return const_cast<ServoSettingsEditor*>(this)->settingOf(g);
}

bool ServoSettingsEditor::groupEnabled(Group g) const
{
    return servoEnabled(settingOf(g));
}
int ServoSettingsEditor::groupId(Group g) const
{
    return servoId(settingOf(g));
}

void ServoSettingsEditor::pushToInterface()
{
    ext_.useSettings(values_);
}

void ServoSettingsEditor::setGroupEnabled(Group g, bool on)
{
    int& s = settingOf(g);
    s = on ? (s | kServoEnabled) : (s & ~kServoEnabled);
    if (g == Group::Train && !on) {
        values_.linkTable = false;
        values_.tableServo &= ~kServoEnabled;
    }
    pushToInterface();
    if (!on)
        return;
    if (g == Group::Speed && servoDriven(s))
        ext_.sendPacket(torquePacket(servoId(s), true));
    if (g == Group::Turn && servoDriven(s))
        ext_.sendPacket(compliancePacket(servoId(s), values_.complianceSlope, values_.punchRatio));
}

bool ServoSettingsEditor::setGroupId(Group g, int id)
{
    if (id < 0 || id > kMaxServoId) {
        frontend_.showMessage(common::msg::ServoIdMax);
        return false;
    }
    if (g == Group::Turn && id == 0) {
        frontend_.showMessage(common::msg::TurnServoIdZero);
        return false;
    }
    int& s = settingOf(g);
    s = (s & kServoEnabled) | id;
    pushToInterface();
    if (id == 0)
        return true;
    if (g == Group::Speed)
        ext_.sendPacket(torquePacket(id, true));
    if (g == Group::Turn)
        ext_.sendPacket(compliancePacket(id, values_.complianceSlope, values_.punchRatio));
    return true;
}

int& ServoSettingsEditor::angleRef(Angle a)
{
    switch (a) {
    case Angle::MinSpeed:
        return values_.minSpeed;
    case Angle::MaxSpeed:
        return values_.maxSpeed;
    case Angle::Forward:
        return values_.forwardTrain;
    case Angle::Backward:
        return values_.backwardTrain;
    case Angle::Stop:
        return values_.stopTrain;
    case Angle::TableOn:
        return values_.tableOn;
    case Angle::TableOff:
        return values_.tableOff;
    default: {
        const int i = int(a) - int(Angle::Through1);
        return i % 2 == 0 ? values_.throughPoint[size_t(i / 2)]
                          : values_.branchPoint[size_t(i / 2)];
    }
    }
}

int ServoSettingsEditor::angle(Angle a) const
{
    return const_cast<ServoSettingsEditor*>(this)->angleRef(a);
}

ServoSettingsEditor::Group ServoSettingsEditor::groupOf(Angle a) const
{
    switch (a) {
    case Angle::MinSpeed:
    case Angle::MaxSpeed:
        return Group::Speed;
    case Angle::Forward:
    case Angle::Backward:
    case Angle::Stop:
        return Group::Train;
    case Angle::TableOn:
    case Angle::TableOff:
        return Group::Table;
    default:
        return Group(int(Group::Point1) + (int(a) - int(Angle::Through1)) / 2);
    }
}

bool ServoSettingsEditor::setAngle(Angle a, int degrees)
{
    if (!angleInRange(degrees)) {
        frontend_.showMessage(common::msg::ServoAngleRange);
        return false;
    }
    angleRef(a) = degrees;
    pushToInterface();
    const Group g = groupOf(a);
    if (!servoEnabled(settingOf(g)))
        return true;
    if (g == Group::Speed)
        ext_.setSpeed(a == Angle::MinSpeed ? 0.0 : 1.0, 1);
    else
        ext_.moveServo(servoId(settingOf(g)), degrees);
    return true;
}

void ServoSettingsEditor::setLinkTable(bool on)
{
    values_.linkTable = on && groupEnabled(Group::Train);
    pushToInterface();
}

void ServoSettingsEditor::setTurnSpeed(int speed)
{
    values_.turnSpeed = std::max(0, speed);
    pushToInterface();
}

void ServoSettingsEditor::setTorqueOff(bool on)
{
    values_.torqueOff = on;
    pushToInterface();
}

int ServoSettingsEditor::turnAngle(int track) const
{
    if (track < 1 || track > kTurnTracks)
        return 0;
    return values_.turnPoint[size_t(row_)][size_t(track - 1)];
}

bool ServoSettingsEditor::setTurnAngle(int track, int position)
{
    if (track < 1 || track > kTurnTracks)
        return false;
    if (position < kMinTurnPoint || position > kMaxTurnPoint) {
        frontend_.showMessage(common::msg::ServoAngleRange);
        return false;
    }
    values_.turnPoint[size_t(row_)][size_t(track - 1)] = position;
    turnEdited_ = true;
    track_ = track;
    pushToInterface();
    if (groupEnabled(Group::Turn))
        ext_.turnTo(position);
    return true;
}

void ServoSettingsEditor::selectTrack(int track)
{
    if (track < 1 || track > kTurnTracks)
        return;
    track_ = track;
    if (groupEnabled(Group::Turn)) {
        pushToInterface();
        ext_.turnTo(turnAngle(track));
    }
}

bool ServoSettingsEditor::selectRow(int row)
{
    if (row < 0 || row >= kTurnRows || row == row_)
        return row == row_;
    if (turnEdited_) {
        const Answer a = frontend_.ask(common::msg::SaveTurnPoint, Buttons::YesNoCancel);
        if (a == Answer::Cancel)
            return false;
        if (a == Answer::Yes) {
            ext_.iniSettings().write(SettingId::ServoTurnPoint,
                                     formatTurnRow(values_.turnPoint[size_t(row_)]), row_ + 1);
        } else {
            // The edit is dropped: the row is as the file has it.
            values_.turnPoint[size_t(row_)] =
                parseTurnRow(ext_.iniSettings().getString(SettingId::ServoTurnPoint, row_ + 1));
        }
        turnEdited_ = false;
    }
    row_ = row;
    pushToInterface();
    return true;
}

bool ServoSettingsEditor::changeServoId()
{
    int checked = 0;
    Group only = Group::Speed;
    for (int g = 0; g < kGroups; ++g) {
        if (groupEnabled(Group(g))) {
            ++checked;
            only = Group(g);
        }
    }
    if (checked != 1) {
        frontend_.showMessage(common::msg::ServoIdOneGroup, Icon::Stop);
        return false;
    }
    return confirmServoIdChange(frontend_, ext_, groupId(only));
}

bool ServoSettingsEditor::factoryReset()
{
    return confirmFactoryReset(frontend_, ext_);
}

void ServoSettingsEditor::perform(int code)
{
    if (hooks_.performAction)
        hooks_.performAction(code);
}

void ServoSettingsEditor::testRun(bool forward, bool checked)
{
    if (!checked) {
        if ((forward && testForward_) || (!forward && testBackward_))
            perform(ActionStop);
        (forward ? testForward_ : testBackward_) = false;
        return;
    }
    testForward_ = forward;
    testBackward_ = !forward;
    perform(forward ? ActionForward : ActionBackward);
}

int ServoSettingsEditor::selectComPort(int number)
{
    if (number > 0 && hooks_.usbConnected && hooks_.usbConnected() &&
        frontend_.ask(common::msg::AlreadyUsbConnected, Buttons::OkCancel) != Answer::Ok)
        number = 0;
    ext_.closeExtendedInterface();
    values_.comNo = number;
    ext_.iniSettings().writeInt(SettingId::ServoComNo, number);
    if (number > 0)
        ext_.initExtendedInterface();
    pushToInterface();
    return number;
}

bool ServoSettingsEditor::accept()
{
    const bool written = values_.save(ext_.iniSettings());
    // The file now holds what the dialog shows; the interface runs with it.
    ext_.useSettings(ServoSettings::load(ext_.iniSettings()));
    closingSequence();
    return written;
}

void ServoSettingsEditor::cancel()
{
    load(true);
    // The dialog shows its own defaults for absent keys, but the running
    // interface goes back to what start-up reads from the file, so that a
    // Cancel never changes how the layout behaves.
    ext_.useSettings(ServoSettings::load(ext_.iniSettings()));
    closingSequence();
}

void ServoSettingsEditor::closingSequence()
{
    const ServoSettings s = ext_.settings();
    const int state = hooks_.controllerState ? hooks_.controllerState() : 0;
    perform(ActionStop);
    static constexpr int kPointBits[kServoPoints] = {vardo::state::Point1, vardo::state::Point2,
                                                     vardo::state::Point3};
    for (int k = 0; k < kServoPoints; ++k) {
        if (servoEnabled(s.pointServo[size_t(k)]))
            perform(ActionPoint1Straight + 2 * k + ((state & kPointBits[k]) ? 1 : 0));
    }
    if (servoEnabled(s.turnServo))
        ext_.selectTrack(1);
    if (servoEnabled(s.tableServo))
        perform(ActionPoint4Straight);
}

} // namespace vardo::devices
