#pragma once
// What the command definition dialogs show and check, without a window:
// the title, radio captions, field labels and ranges per kind, the field
// enabling that follows the chosen option, the checks made on OK in their
// order (message and the field to focus) and the rules for storing.
#include "vardo/operation/program_command.h"
#include "vardo/operation/program_dialogs.h"

#include <string>
#include <vector>

namespace vardo {

enum class FormField { None, Value1, Value2, Text };

struct NumberField {
    std::string label; // the caption (or the unit in the time dialog)
    int minimum = 0;
    int maximum = 0;
    bool visible = false;
    bool enabled = false;
};

// A refused OK: the message to show and where the focus goes.
struct FormRefusal {
    int messageId = 0; // 0: accepted
    std::string text;
    FormField focus = FormField::None;
    bool refused() const { return messageId != 0; }
};

// The values as the dialog shows them (a point number counts from 1).
struct FormValues {
    int option = 0;
    int value1 = 0;
    int value2 = 0;
};

enum class FormButton { None, LayoutPick, SoundSettings };

// The generic form: every kind but the alarm, the timer and the turntable.
class CommandForm {
public:
    CommandForm(CommandKind kind, const ProgramLayoutFacts& layout);

    static bool serves(CommandKind kind);

    CommandKind kind() const { return kind_; }
    const std::string& title() const { return title_; }
    const std::vector<std::string>& radios() const { return radios_; }
    const NumberField& value1() const { return value1_; }
    const NumberField& value2() const { return value2_; }
    FormButton button() const { return button_; }
    bool buttonEnabled() const { return buttonEnabled_; }

    // Relabels and enables the fields for the chosen option.
    void setOption(int option);
    int option() const { return option_; }
    // After the sound settings: the sound number range follows the count.
    void setSoundCount(int count);

    // The checks made on OK, in order.
    FormRefusal check(int value1, int value2) const;

private:
    void setUp();
    FormRefusal refuse(int id, FormField focus) const;

    CommandKind kind_;
    ProgramLayoutFacts layout_;
    std::string title_;
    std::vector<std::string> radios_;
    NumberField value1_;
    NumberField value2_;
    FormButton button_ = FormButton::None;
    bool buttonEnabled_ = false;
    int option_ = 0;
};

enum class TimeFormKind { Alarm, Timer, VirtualTime };

// The two-number form: alarm time, timer and the virtual current time.
class TimeForm {
public:
    explicit TimeForm(TimeFormKind kind);

    TimeFormKind kind() const { return kind_; }
    const std::string& title() const { return title_; }
    const NumberField& first() const { return first_; }
    const NumberField& second() const { return second_; }
    bool showsRealClock() const { return kind_ == TimeFormKind::VirtualTime; }
    // 実際の時刻で行う disables both fields.
    void setRealClock(bool on);
    bool realClock() const { return realClock_; }

    FormRefusal check(int first, int second) const;

private:
    TimeFormKind kind_;
    std::string title_;
    NumberField first_;
    NumberField second_;
    bool realClock_ = false;
};

// The turntable form: power off/on or one of five tracks.
class TurnForm {
public:
    static constexpr int kChoices = 7;
    static const char* title();
    static const char* choice(int option); // 転車台電源OFF .. 5番線
    // 反転方向 and 自動発進 only for a track.
    static bool flagsEnabled(int option) { return option >= 2 && option < kChoices; }
};

// The display title form.
class TitleForm {
public:
    static constexpr int kMaxLength = 64;
    static const char* title();
    // Counted as stored in the program file, so nothing is cut on saving.
    static FormRefusal check(const std::string& utf8);
};

// The record's values as the dialog shows them, and the storing rules.
FormValues shownValues(const ProgramCommand& command);
void storeValues(ProgramCommand& command, const FormValues& values);

// Virtual time: the dialog's start values and what OK stores.
struct VirtualTimeValues {
    bool realClock = true;
    int hour = 0;
    int minute = 0;
};
VirtualTimeValues virtualTimeShown(int virtualTime, int hourNow, int minuteNow);
int virtualTimeStored(const VirtualTimeValues& values);

} // namespace vardo
