#pragma once
// Stand-ins for the sound component and the extended interface while they
// are not built: they report what was asked and drive nothing.
#include "vardo/base/frontend.h"
#include "vardo/base/operation_seams.h"

#include <functional>
#include <string>

namespace vardo {

// A sound can be made ready when option.ini names a file for its number;
// otherwise message 219, as the sound component says it.
class LoggingSound : public SoundPort {
public:
    LoggingSound(Frontend& frontend, std::string optionIni);
    int prepareSound(int number) override;
    int playSound(int number, bool loop) override;
    void stopSound(int) override {}
    void stopAllSounds() override {}

private:
    bool defined(int number);

    Frontend& frontend_;
    std::string optionIni_;
};

// The board is "open" when [SERVO] COM_NO names a port. What it would be
// sent is reported as board text; it never answers a sensor, and a turn
// reports its arrival at once (nothing turns).
class LoggingExtended : public ExtendedPort {
public:
    using Writer = std::function<void(const std::string& text)>;

    LoggingExtended(std::string optionIni, Writer writer);
    void setArrival(std::function<void()> arrived) { arrived_ = std::move(arrived); }

    bool isOpen() const override;
    bool drivesSpeed() const override;
    void setSpeed(double fraction, int direction) override;
    bool beginSensorWait(int sensor, int timeoutSeconds) override;
    bool sensorAnswered() override { return false; }
    void turnTable(int track, bool reversed) override;

private:
    std::string optionIni_;
    Writer writer_;
    std::function<void()> arrived_;
};

} // namespace vardo
