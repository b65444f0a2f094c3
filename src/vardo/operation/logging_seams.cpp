#include "vardo/operation/logging_seams.h"

#include "common/profile.h"
#include "common/string_table.h"

#include <cstdio>

namespace vardo {

LoggingSound::LoggingSound(Frontend& frontend, std::string optionIni)
    : frontend_(frontend), optionIni_(std::move(optionIni))
{
}

bool LoggingSound::defined(int number)
{
    const std::string key = "SOUND_FILE" + std::to_string(number);
    if (number >= 1 && !common::Profile::getString(optionIni_, "SOUND", key, "").empty())
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
    return common::Profile::getInt(optionIni_, "SERVO", "COM_NO", 0) != 0;
}

bool LoggingExtended::drivesSpeed() const
{
    return (common::Profile::getInt(optionIni_, "SERVO", "SPEED_SERVO", 6) & 128) != 0;
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
