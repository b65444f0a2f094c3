#include "vardo/panel/parameter_settings.h"

#include "common/string_table.h"

#include <cstdlib>

namespace vardo::panel {

namespace {

constexpr std::array<FieldRange, size_t(ParameterField::Count)> kTyped{{
    {1, 99},       // DiffLevel
    {1, 99},       // CompareFrame
    {1, 99},       // PositionRange
    {1, 99},       // CrossTime
    {0, 99},       // HomeOffset
    {1, 99999999}, // BaudRate: any positive number
}};

constexpr std::array<FieldRange, size_t(ParameterField::Count)> kSpin{{
    {1, 99},
    {1, 9},
    {1, 100},
    {1, 100},
    {0, 99},
    {1, 99999999},
}};

} // namespace

FieldRange typedRange(ParameterField field)
{
    return kTyped[size_t(field)];
}
FieldRange spinRange(ParameterField field)
{
    return kSpin[size_t(field)];
}

std::optional<int> acceptTyped(ParameterField field, const std::string& text)
{
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    for (char c : text)
        if (c < '0' || c > '9')
            return std::nullopt;
    const int v = std::atoi(text.c_str());
    const FieldRange r = typedRange(field);
    if (v < r.min || v > r.max)
        return std::nullopt;
    return v;
}

ParameterValues readParameters(const Settings& s)
{
    ParameterValues v;
    v.baudRate = s.getInt(SettingId::UsbBaudRate);
    v.waitResponse = s.getInt(SettingId::UsbWaitResponse) != 0;
    v.diffLevel = s.getInt(SettingId::ViewDiffLevel);
    v.compareFrame = s.getInt(SettingId::ViewCompareFrame);
    v.enableExcept = s.getInt(SettingId::ViewEnableExcept) != 0;
    v.pwmControl = s.getInt(SettingId::UsbPwmControl) != 0;
    v.positionRange = s.getInt(SettingId::EventPositionRange);
    v.crossTime = s.getInt(SettingId::UsbCrossTime);
    v.homeOffset = s.getInt(SettingId::EventHomeOffset);
    v.checkControl = s.getInt(SettingId::AutoCheckControl) != 0;
    const int autoStop = s.getInt(SettingId::ServoAutoStop);
    v.autoStop = autoStop != 0;
    v.autoStart = autoStop == 2;
    return v;
}

ParameterValues defaultParameters(const ParameterValues& present, const LayoutFeatures& layout)
{
    ParameterValues v = present;
    v.baudRate = 9600;
    v.waitResponse = true;
    v.diffLevel = 85;
    v.compareFrame = 1;
    if (layout.exclusionRegions)
        v.enableExcept = true;
    v.pwmControl = false;
    v.positionRange = 32;
    if (layout.crossings)
        v.crossTime = 8;
    v.homeOffset = 16;
    v.checkControl = true;
    return v;
}

ParameterValues writeParameters(const Settings& s, Frontend& frontend,
                                const ParameterValues& opened, const ParameterValues& edited,
                                bool baudEdited)
{
    ParameterValues written = edited;
    s.writeInt(SettingId::ViewDiffLevel, edited.diffLevel);
    s.writeInt(SettingId::ViewCompareFrame, edited.compareFrame);
    s.writeBool(SettingId::ViewEnableExcept, edited.enableExcept);
    if (!edited.pwmControl) {
        s.writeBool(SettingId::UsbPwmControl, false);
    } else if (opened.pwmControl ||
               frontend.ask(common::msg::PwmControlWarning, Buttons::YesNo) == Answer::Yes) {
        s.writeBool(SettingId::UsbPwmControl, true);
    } else {
        written.pwmControl = false; // refused: left off and unwritten
    }
    s.writeInt(SettingId::EventPositionRange, edited.positionRange);
    s.writeInt(SettingId::UsbCrossTime, edited.crossTime);
    s.writeInt(SettingId::EventHomeOffset, edited.homeOffset);
    s.writeBool(SettingId::AutoCheckControl, edited.checkControl);
    if (edited.waitResponse != opened.waitResponse)
        s.writeBool(SettingId::UsbWaitResponse, edited.waitResponse);
    if (baudEdited) {
        s.writeInt(SettingId::UsbBaudRate, edited.baudRate);
        frontend.showMessage(common::msg::UsbBaudChanged);
    }
    if (edited.autoStopValue() != opened.autoStopValue())
        s.writeInt(SettingId::ServoAutoStop, edited.autoStopValue());
    return written;
}

} // namespace vardo::panel
