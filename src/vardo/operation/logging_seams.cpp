#include "vardo/operation/logging_seams.h"

#include "common/string_table.h"
#include "vardo/base/settings.h"

#include <cstdio>

namespace vardo {

LoggingSound::LoggingSound(Frontend& frontend, std::string optionIni)
    : frontend_(frontend), optionIni_(std::move(optionIni))
{
}

bool LoggingSound::defined(int number)
{
    if (number >= 1 &&
        !Settings::ofOption(optionIni_).getString(SettingId::SoundFile, number).empty())
        return true;
    frontend_.showMessage(common::msg::SoundNotDefined, {std::to_string(number)});
    return false;
}

int LoggingSound::prepareSound(int number) { return defined(number) ? 0 : -1; }

int LoggingSound::playSound(int number, bool) { return defined(number) ? 0 : -1; }

LoggingExtended::LoggingExtended(std::string optionIni, Writer writer)
    : optionIni_(std::move(optionIni)), writer_(std::move(writer))
{
}

bool LoggingExtended::isOpen() const
{
    return Settings::ofOption(optionIni_).getInt(SettingId::ServoComNo) != 0;
}

bool LoggingExtended::drivesSpeed() const
{
    return (Settings::ofOption(optionIni_).getInt(SettingId::ServoSpeedServo) & 128) != 0;
}

void LoggingExtended::setSpeed(double fraction, int direction)
{
    writer_("PCP" + std::to_string(int(fraction * 100) * direction) + "\n");
}

bool LoggingExtended::beginSensorWait(int sensor, int timeoutSeconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "PCS%c%02d%d\n", '0' + sensor, 75, timeoutSeconds);
    writer_(text);
    return true;
}

void LoggingExtended::turnTable(int track, bool reversed)
{
    writer_("turntable " + std::to_string(track) + (reversed ? " reversed" : ""));
    if (arrived_)
        arrived_();
}

} // namespace vardo
