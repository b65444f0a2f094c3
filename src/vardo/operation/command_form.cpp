#include "vardo/operation/command_form.h"

#include "common/string_table.h"
#include "common/text_encoding.h"

#include <algorithm>
#include <string>

namespace vardo {

namespace {

NumberField field(const char* label, int minimum, int maximum, bool enabled = true)
{
    return {label, minimum, maximum, true, enabled};
}

bool inRange(int v, int lo, int hi)
{
    return v >= lo && v <= hi;
}

// Position-wait choices.
constexpr int kUserPoint = 3;
constexpr int kSensor = 4;

} // namespace

bool CommandForm::serves(CommandKind kind)
{
    switch (kind) {
    case CommandKind::TrainControl:
    case CommandKind::SwitchPoint:
    case CommandKind::PositionWait:
    case CommandKind::Repeat:
    case CommandKind::SoundOutput:
    case CommandKind::OptionOutput:
    case CommandKind::TrainSpeed:
        return true;
    default:
        return false;
    }
}

CommandForm::CommandForm(CommandKind kind, const ProgramLayoutFacts& layout)
    : kind_(kind), layout_(layout)
{
    setUp();
    setOption(0);
}

void CommandForm::setUp()
{
    const bool outerOnly = !layout_.hasSidings;
    switch (kind_) {
    case CommandKind::TrainControl:
        title_ = "列車運転制御定義";
        radios_ = layout_.hasSidings
                      ? std::vector<std::string>{"停止", "時計回り(駅出発)", "反時計回り(駅到着)"}
                      : std::vector<std::string>{"停止", "時計回り", "反時計回り"};
        value1_ = field("周回数", 0, 99);
        value2_ = field("＋　　距離", 0, 639);
        break;
    case CommandKind::SwitchPoint:
        title_ = outerOnly ? "遮断機(ポイント)制御定義" : "ポイント制御定義";
        radios_ = outerOnly ? std::vector<std::string>{"開く", "閉じる"}
                            : std::vector<std::string>{"直進側", "分岐側"};
        value1_ = field("切替抑制距離", 0, 639);
        value2_ = field("ﾎﾟｲﾝﾄ番号", 1, std::max(1, layout_.pointCount));
        value2_.visible = layout_.pointCount >= 2;
        break;
    case CommandKind::PositionWait:
        title_ = "列車位置定義";
        radios_ = {"プラットホーム", layout_.turntable ? "本線(ﾚｲｱｳﾄ右側)" : "正面(ﾚｲｱｳﾄ下部)",
                   "奥側(ﾚｲｱｳﾄ上部)", "ユーザ定義", "センサー"};
        button_ = FormButton::LayoutPick;
        break;
    case CommandKind::Repeat:
        title_ = "繰返し回数定義";
        value1_ = field("回数", 1, 99);
        break;
    case CommandKind::SoundOutput:
        title_ = "サウンド出力制御定義";
        radios_ = {"停止", "再生", "繰返し再生"};
        value1_ = field("ｻｳﾝﾄﾞ番号", 1, std::max(1, layout_.soundCount));
        button_ = FormButton::SoundSettings;
        buttonEnabled_ = true;
        break;
    case CommandKind::OptionOutput:
        title_ = "オプション出力制御定義";
        radios_ = {"オフ", "オン"};
        value1_ = field("リレー番号", 7, 10);
        break;
    case CommandKind::TrainSpeed:
        title_ = "列車速度定義";
        value1_ = field("列車速度", 0, 100);
        value2_ = field("ﾌｪｰﾄﾞ時間", 0, 60);
        break;
    default:
        break;
    }
}

void CommandForm::setOption(int option)
{
    option_ = option;
    if (kind_ == CommandKind::TrainControl) {
        value1_.enabled = value2_.enabled = option != 0;
    } else if (kind_ == CommandKind::PositionWait) {
        const bool sensor = option == kSensor;
        value1_ = sensor ? field("ｾﾝｻｰ番号", 0, 5) : field("X座標", 0, 639);
        value2_ = sensor ? field("ﾀｲﾑｱｳﾄ", 0, 3600) : field("Y座標", 0, 479);
        value1_.enabled = value2_.enabled = option == kUserPoint || sensor;
        buttonEnabled_ = option == kUserPoint;
    }
}

void CommandForm::setSoundCount(int count)
{
    layout_.soundCount = count;
    if (kind_ == CommandKind::SoundOutput)
        value1_.maximum = std::max(1, count);
}

FormRefusal CommandForm::refuse(int id, FormField focus) const
{
    std::string text = id == common::msg::SoundNumberRange
                           ? common::formatMessage(id, {std::to_string(layout_.soundCount)})
                           : std::string(common::messageText(id));
    return {id, std::move(text), focus};
}

FormRefusal CommandForm::check(int v1, int v2) const
{
    using namespace common::msg;
    switch (kind_) {
    case CommandKind::TrainControl:
        if (!inRange(v1, 0, 99))
            return refuse(LapCountRange, FormField::Value1);
        if (!inRange(v2, 0, 639))
            return refuse(DistanceRange, FormField::Value2);
        break;
    case CommandKind::SwitchPoint:
        if (!inRange(v1, 0, 640))
            return refuse(SuppressDistanceWrong, FormField::Value1);
        // A typed 0 names no point either: value2 - 1 must be a point.
        if (value2_.visible && !inRange(v2, 1, layout_.pointCount))
            return refuse(PointNotDefined, FormField::Value2);
        break;
    case CommandKind::PositionWait:
        if (option_ == kSensor) {
            if (!inRange(v1, 0, 5))
                return refuse(SensorValueWrong, FormField::Value1);
            if (!inRange(v2, 0, 3600))
                return refuse(SensorValueWrong, FormField::Value2);
        } else {
            if (!inRange(v1, 0, 640))
                return refuse(LayoutRangeExceeded, FormField::Value1);
            if (!inRange(v2, 0, 480))
                return refuse(LayoutRangeExceeded, FormField::Value2);
        }
        break;
    case CommandKind::Repeat:
        if (!inRange(v1, 1, 99))
            return refuse(RepeatCountRange, FormField::Value1);
        break;
    case CommandKind::SoundOutput:
        if (!inRange(v1, 1, layout_.soundCount))
            return refuse(SoundNumberRange, FormField::Value1);
        break;
    case CommandKind::OptionOutput:
        if (!inRange(v1, 7, 10))
            return refuse(RelayNumberRange, FormField::Value1);
        break;
    case CommandKind::TrainSpeed:
        if (!inRange(v1, 0, 100))
            return refuse(TrainSpeedRange, FormField::Value1);
        if (!inRange(v2, 0, 60))
            return refuse(FadeTimeRange, FormField::Value2);
        break;
    default:
        break;
    }
    return {};
}

TimeForm::TimeForm(TimeFormKind kind) : kind_(kind)
{
    switch (kind) {
    case TimeFormKind::Alarm:
        title_ = "アラーム設定";
        first_ = field("時", 0, 23);
        second_ = field("分", 0, 59);
        break;
    case TimeFormKind::Timer:
        title_ = "タイマー設定";
        first_ = field("秒", 0, 3600);
        second_ = field("ﾐﾘ秒", 0, 999);
        break;
    case TimeFormKind::VirtualTime:
        title_ = "現在時刻設定";
        first_ = field("時", 0, 23);
        second_ = field("分", 0, 59);
        break;
    }
}

void TimeForm::setRealClock(bool on)
{
    realClock_ = on && showsRealClock();
    first_.enabled = second_.enabled = !realClock_;
}

FormRefusal TimeForm::check(int a, int b) const
{
    using namespace common::msg;
    if (realClock_)
        return {};
    auto range = [](int lo, int hi, FormField focus) {
        return FormRefusal{
            EnterIntegerBetween,
            common::formatMessage(EnterIntegerBetween, {std::to_string(lo), std::to_string(hi)}),
            focus};
    };
    // Every use takes 0..3600 and 0..999 first.
    if (!inRange(a, 0, 3600))
        return range(0, 3600, FormField::Value1);
    if (!inRange(b, 0, 999))
        return range(0, 999, FormField::Value2);
    switch (kind_) {
    case TimeFormKind::Alarm:
        if (a >= 24)
            return {AlarmHourRange, common::messageText(AlarmHourRange), FormField::Value1};
        break;
    case TimeFormKind::Timer:
        if (a == 0 && b == 0)
            return {TimerAtLeastOneSecond, common::messageText(TimerAtLeastOneSecond),
                    FormField::Value1};
        return {};
    case TimeFormKind::VirtualTime:
        if (a >= 24)
            return range(0, 23, FormField::Value1);
        break;
    }
    // A clock time has no minute 60 or beyond.
    if (b > 59)
        return range(0, 59, FormField::Value2);
    return {};
}

const char* TurnForm::title()
{
    return "転車台制御定義";
}

const char* TurnForm::choice(int option)
{
    static const char* const kChoiceNames[kChoices] = {
        "転車台電源OFF", "転車台電源ON", "1番線", "2番線", "3番線", "4番線", "5番線"};
    return option >= 0 && option < kChoices ? kChoiceNames[option] : "";
}

const char* TitleForm::title()
{
    return "表示タイトル入力ダイアログ";
}

FormRefusal TitleForm::check(const std::string& utf8)
{
    if (common::utf8ToCp932(utf8).size() <= size_t(kMaxLength))
        return {};
    return {common::msg::EnterAtMostChars,
            common::formatMessage(common::msg::EnterAtMostChars, {std::to_string(kMaxLength)}),
            FormField::Text};
}

FormValues shownValues(const ProgramCommand& c)
{
    FormValues v{c.option, c.value1, c.value2};
    if (c.is(CommandKind::SwitchPoint))
        v.value2 = c.value2 + 1;
    return v;
}

void storeValues(ProgramCommand& c, const FormValues& v)
{
    c.option = static_cast<uint8_t>(v.option);
    c.value1 = static_cast<int16_t>(v.value1);
    c.value2 = static_cast<int16_t>(v.value2);
    if (c.is(CommandKind::SwitchPoint)) {
        c.value2 = static_cast<int16_t>(std::max(0, v.value2 - 1));
    } else if (c.is(CommandKind::Turntable) && !TurnForm::flagsEnabled(v.option)) {
        c.value1 = 0;
        c.value2 = 0;
    }
}

VirtualTimeValues virtualTimeShown(int virtualTime, int hourNow, int minuteNow)
{
    if (virtualTime < 0)
        return {true, hourNow, minuteNow};
    return {false, virtualTime / 60, virtualTime % 60};
}

int virtualTimeStored(const VirtualTimeValues& values)
{
    return values.realClock ? -1 : values.hour * 60 + values.minute;
}

} // namespace vardo
