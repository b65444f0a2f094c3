#pragma once
// What the extended interface's settings dialog does, without a window:
// the values of every group, the enable rules, live tuning (a typed angle
// moves its servo at once), servo ID checks, the turntable rows, the test
// run, OK and Cancel with the closing sequence. The dialog only shows the
// values and forwards what the user does.
#include "vardo/base/frontend.h"
#include "vardo/devices/extended_interface.h"
#include "vardo/devices/extended_settings.h"

#include <functional>

namespace vardo::devices {

class ServoSettingsEditor {
public:
    enum class Group { Speed, Train, Point1, Point2, Point3, Turn, Table, Count };
    // Angle fields in degrees (-150..150).
    enum class Angle {
        MinSpeed,
        MaxSpeed,
        Forward,
        Backward,
        Stop,
        Through1,
        Branch1,
        Through2,
        Branch2,
        Through3,
        Branch3,
        TableOn,
        TableOff,
        Count
    };

    struct Hooks {
        std::function<bool()> usbConnected;
        std::function<int()> controllerState;
        std::function<void(int)> performAction;
    };

    ServoSettingsEditor(Frontend& frontend, ExtendedInterface& ext, Hooks hooks);

    // Reads option.ini: the start-up defaults when the dialog opens, the
    // dialog's own defaults when it rereads on Cancel.
    void load(bool dialogDefaults = false);
    const ServoSettings& values() const { return values_; }

    bool groupEnabled(Group g) const;
    int groupId(Group g) const;
    // The check box: enables the group's fields.
    void setGroupEnabled(Group g, bool on);
    // False (with 232 or 238) when the ID is refused; the old one stays.
    bool setGroupId(Group g, int id);

    int angle(Angle a) const;
    // False with 222 outside -150..150; otherwise stored and the servo moves.
    bool setAngle(Angle a, int degrees);
    void setLinkTable(bool on);
    void setTurnSpeed(int speed);
    void setTorqueOff(bool on);

    // Turntable: row 0..3 (TURN_POINT1..4), track 1..5.
    int turnRow() const { return row_; }
    int turnTrack() const { return track_; }
    int turnAngle(int track) const;
    // False with 222 outside -1500..1500; otherwise stored and turned to.
    bool setTurnAngle(int track, int position);
    void selectTrack(int track);
    // After an edited angle asks 231: Yes writes the row, No drops the
    // edit, Cancel keeps the old row (false).
    bool selectRow(int row);

    // 223 unless exactly one group is checked, then the confirmed change.
    bool changeServoId();
    bool factoryReset();
    // テスト走行: forward or backward while checked; the other is released.
    void testRun(bool forward, bool checked);
    bool testForward() const { return testForward_; }
    bool testBackward() const { return testBackward_; }

    // COM choice: 236 when the relay board is connected (Cancel: none).
    // Closes the old port and starts the interface on the new one.
    int selectComPort(int number);

    // OK writes every key; Cancel rereads. Both end with the closing
    // sequence (train stopped, points as the controller shows them,
    // turntable to track 1, turntable power off).
    bool accept();
    void cancel();

private:
    int& settingOf(Group g);
    int settingOf(Group g) const;
    int& angleRef(Angle a);
    Group groupOf(Angle a) const;
    void pushToInterface();
    void closingSequence();
    void perform(int code);

    Frontend& frontend_;
    ExtendedInterface& ext_;
    Hooks hooks_;
    ServoSettings values_;
    int row_ = 0;
    int track_ = 1;
    bool turnEdited_ = false;
    bool testForward_ = false;
    bool testBackward_ = false;
};

} // namespace vardo::devices
