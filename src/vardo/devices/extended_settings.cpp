#include "vardo/devices/extended_settings.h"

#include <algorithm>
#include <cstdlib>

namespace vardo::devices {

ServoSettings::TurnRow parseTurnRow(const std::string& text)
{
    ServoSettings::TurnRow row{};
    const char* p = text.c_str();
    for (int i = 0; i < kTurnTracks && *p; ++i) {
        char* end = nullptr;
        const long v = std::strtol(p, &end, 10);
        if (end == p)
            break;
        row[size_t(i)] = int(std::clamp<long>(v, kMinTurnPoint, kMaxTurnPoint));
        p = end;
        while (*p == ',' || *p == ' ')
            ++p;
    }
    return row;
}

std::string formatTurnRow(const ServoSettings::TurnRow& row)
{
    std::string out;
    for (int v : row)
        out += std::to_string(v) + ",";
    return out;
}

ServoSettings ServoSettings::load(const Settings& settings, bool dialogDefaults)
{
    auto get = [&](SettingId id) {
        return dialogDefaults ? settings.getDialogInt(id) : settings.getInt(id);
    };
    ServoSettings s;
    s.comNo = settings.getInt(SettingId::ServoComNo);
    s.baudRate = settings.getInt(SettingId::ServoBaudRate);
    s.speedServo = get(SettingId::ServoSpeedServo);
    s.trainServo = get(SettingId::ServoTrainServo);
    s.pointServo = {get(SettingId::ServoPointServo), get(SettingId::ServoPoint2Servo),
                    get(SettingId::ServoPoint3Servo)};
    s.turnServo = get(SettingId::ServoTurnServo);
    s.tableServo = get(SettingId::ServoTableServo);
    s.minSpeed = get(SettingId::ServoMinSpeed);
    s.maxSpeed = get(SettingId::ServoMaxSpeed);
    s.forwardTrain = get(SettingId::ServoForwardTrain);
    s.backwardTrain = get(SettingId::ServoBackwardTrain);
    s.stopTrain = get(SettingId::ServoStopTrain);
    s.branchPoint = {get(SettingId::ServoBranchPoint), get(SettingId::ServoBranchPoint2),
                     get(SettingId::ServoBranchPoint3)};
    s.throughPoint = {get(SettingId::ServoThroughPoint), get(SettingId::ServoThroughPoint2),
                      get(SettingId::ServoThroughPoint3)};
    s.tableOn = get(SettingId::ServoTableOn);
    s.tableOff = get(SettingId::ServoTableOff);
    s.linkTable = get(SettingId::ServoLinkTable) != 0;
    s.autoStop = settings.getInt(SettingId::ServoAutoStop);
    s.turnSpeed = get(SettingId::ServoTurnSpeed);
    s.torqueOff = get(SettingId::ServoTorqueOff) != 0;
    for (int r = 0; r < kTurnRows; ++r)
        s.turnPoint[size_t(r)] = parseTurnRow(settings.getString(SettingId::ServoTurnPoint, r + 1));
    s.complianceSlope = settings.getInt(SettingId::ServoComplianceSlope);
    s.punchRatio = settings.getInt(SettingId::ServoPunchRatio);
    s.torqueIntervalMs = settings.getInt(SettingId::ServoTorqueInterval);
    return s;
}

bool ServoSettings::save(const Settings& settings) const
{
    bool ok = settings.writeInt(SettingId::ServoComNo, comNo);
    auto put = [&](SettingId id, int v) { ok = settings.writeInt(id, v) && ok; };
    put(SettingId::ServoSpeedServo, speedServo);
    put(SettingId::ServoTrainServo, trainServo);
    put(SettingId::ServoPointServo, pointServo[0]);
    put(SettingId::ServoPoint2Servo, pointServo[1]);
    put(SettingId::ServoPoint3Servo, pointServo[2]);
    put(SettingId::ServoTurnServo, turnServo);
    put(SettingId::ServoTableServo, tableServo);
    put(SettingId::ServoMinSpeed, minSpeed);
    put(SettingId::ServoMaxSpeed, maxSpeed);
    put(SettingId::ServoForwardTrain, forwardTrain);
    put(SettingId::ServoBackwardTrain, backwardTrain);
    put(SettingId::ServoStopTrain, stopTrain);
    put(SettingId::ServoBranchPoint, branchPoint[0]);
    put(SettingId::ServoBranchPoint2, branchPoint[1]);
    put(SettingId::ServoBranchPoint3, branchPoint[2]);
    put(SettingId::ServoThroughPoint, throughPoint[0]);
    put(SettingId::ServoThroughPoint2, throughPoint[1]);
    put(SettingId::ServoThroughPoint3, throughPoint[2]);
    put(SettingId::ServoTableOn, tableOn);
    put(SettingId::ServoTableOff, tableOff);
    put(SettingId::ServoLinkTable, linkTable ? 1 : 0);
    put(SettingId::ServoTurnSpeed, turnSpeed);
    put(SettingId::ServoTorqueOff, torqueOff ? 1 : 0);
    for (int r = 0; r < kTurnRows; ++r)
        ok =
            settings.write(SettingId::ServoTurnPoint, formatTurnRow(turnPoint[size_t(r)]), r + 1) &&
            ok;
    return ok;
}

} // namespace vardo::devices
