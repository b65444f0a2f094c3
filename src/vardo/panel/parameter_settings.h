#pragma once
// The values of the parameter settings dialog: read from option.ini, the
// accepted range of each number field, the defaults of "標準に戻す", and
// what OK writes back.
#include "vardo/base/frontend.h"
#include "vardo/base/settings.h"

#include <array>
#include <optional>
#include <string>

namespace vardo::panel {

enum class ParameterField {
    DiffLevel,
    CompareFrame,
    PositionRange,
    CrossTime,
    HomeOffset,
    BaudRate,
    Count
};

struct FieldRange {
    int min;
    int max;
};

// Accepted when typed (the spin boxes may go less far).
FieldRange typedRange(ParameterField field);
FieldRange spinRange(ParameterField field);

// A typed text for a field: the value when it is a number in range; else
// nothing, and the field shows its last accepted value again.
std::optional<int> acceptTyped(ParameterField field, const std::string& text);

struct ParameterValues {
    int baudRate = 9600;
    bool waitResponse = true;
    int diffLevel = 85;
    int compareFrame = 1;
    bool enableExcept = true;
    bool pwmControl = false;
    int positionRange = 32;
    int crossTime = 8;
    int homeOffset = 16;
    bool checkControl = true;
    bool autoStop = false;  // turntable: stop on arrival
    bool autoStart = false; // and start again (only with autoStop)

    bool operator==(const ParameterValues&) const = default;
    // The [SERVO] AUTO_STOP value: 0, 1, or 2 with the start.
    int autoStopValue() const { return autoStop ? (autoStart ? 2 : 1) : 0; }
};

// What the layout offers decides which defaults "標準に戻す" touches.
struct LayoutFeatures {
    bool exclusionRegions = false;
    bool crossings = false;
    bool controlPoints = false;
};

ParameterValues readParameters(const Settings& settings);
// "標準に戻す" over the present values.
ParameterValues defaultParameters(const ParameterValues& present, const LayoutFeatures& layout);

// OK: writes what changed as the dialog's rules say, asking about pulse
// width control when it is turned on. Returns the values as written (pulse
// width control stays off when the question is answered no).
ParameterValues writeParameters(const Settings& settings, Frontend& frontend,
                                const ParameterValues& opened, const ParameterValues& edited,
                                bool baudEdited);

} // namespace vardo::panel
