#include "vardo/app/cli/cli_actions_extended.h"

#include "common/event.h"
#include "common/paths.h"
#include "layoutdata/layout_files.h"
#include "vardo/devices/extended_maintenance.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace vardo::cli {

namespace {

// Longest a turn can take: a full turn at the slowest speed the dialog
// allows, plus the torque-off interval.
constexpr int kTurnLimitMs = 120000;

bool parseNumber(const std::string& text, int low, int high, int& out)
{
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || v < low || v > high)
        return false;
    out = int(v);
    return true;
}

} // namespace

void printExtendedTraffic(const std::string& line)
{
    std::printf("  extended: %s\n", line.c_str());
    std::fflush(stdout);
}

bool ExtendedActions::isItemWord(const std::string& arg)
{
    return arg == "--turntable" || arg == "--reverse" || arg == "--sensor" || arg == "--servo-id" ||
           arg == "--factory-reset";
}

bool ExtendedActions::takeItems(std::vector<std::string>& args, std::string& error)
{
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool more = i + 1 < args.size();
        Item item{};
        if (a == "--turntable" && more) {
            item.kind = Item::Kind::Turntable;
            if (!parseNumber(args[++i], 1, devices::kTurnTracks, item.value))
                return error = "--turntable needs a track 1..5", false;
        } else if (a == "--reverse") {
            item.kind = Item::Kind::Reverse;
        } else if (a == "--sensor" && i + 2 < args.size()) {
            item.kind = Item::Kind::Sensor;
            if (!parseNumber(args[i + 1], 0, layoutdata::kMaxSensors - 1, item.value) ||
                !parseNumber(args[i + 2], 0, 9, item.timeout))
                return error = "--sensor needs a sensor index 0..7 and a timeout 0..9 s", false;
            i += 2;
        } else if (a == "--servo-id" && more) {
            item.kind = Item::Kind::ServoId;
            if (!parseNumber(args[++i], 0, 127, item.value))
                return error = "--servo-id needs a servo ID", false;
        } else if (a == "--factory-reset") {
            item.kind = Item::Kind::FactoryReset;
        } else {
            rest.push_back(a);
            continue;
        }
        items_.push_back(item);
    }
    args = rest;
    return true;
}

bool ExtendedActions::start(ConsoleFrontend& frontend, devices::ExtendedInterface& ext,
                            devices::UsbController& usb, const std::string& programFolder,
                            double speed)
{
    frontend_ = &frontend;
    const Settings settings(common::joinPath(programFolder, "VARDO.ini"),
                            common::joinPath(programFolder, "option.ini"));
    if (settings.getInt(SettingId::ServoComNo) == 0) {
        if (items_.empty())
            return true;
        std::fprintf(stderr, "vardo-run actions: the extended interface is not set up "
                             "([SERVO] COM_NO is 0)\n");
        return false;
    }
    // Start-up brought it up; a failure there has shown its message.
    if (!ext.isOpen())
        return false;
    layoutdata::SensorFile sensors;
    if (layoutdata::readSensorFile(common::joinPath(programFolder, "layout/sensor.dat"), sensors) !=
        layoutdata::ReadStatus::Ok)
        sensors.records.clear();
    ext_ = &ext;
    devices::ExtendedHooks hooks;
    hooks.presentSpeed = [speed] { return speed; };
    hooks.routeAction = [&usb](int code) { usb.sendAction(code); };
    hooks.performAction = [&usb](int code) { usb.sendAction(code); };
    hooks.sensorRatio = [sensors](int index) {
        if (index < 0 || size_t(index) >= sensors.records.size())
            return int(devices::ExtendedInterface::kDefaultSensorRatio);
        return int(sensors.records[size_t(index)].sensitivity);
    };
    hooks.traffic = printExtendedTraffic;
    // Each turn is waited for here, as a program waits for it.
    hooks.operationRunning = [] { return true; };
    hooks.turntableArrived = [this] { turned_.set(); };
    ext_->setHooks(hooks);
    return true;
}

bool ExtendedActions::run()
{
    bool ok = true;
    for (const Item& item : items_)
        ok = runItem(item) && ok;
    return ok;
}

bool ExtendedActions::runItem(const Item& item)
{
    using Clock = std::chrono::steady_clock;
    switch (item.kind) {
    case Item::Kind::Reverse:
        ext_->reverseTurntable();
        std::printf("reverse: orientation %s\n",
                    ext_->turntableState() & 1 ? "reversed" : "normal");
        return true;
    case Item::Kind::Turntable: {
        std::printf("turntable %d:\n", item.value);
        std::fflush(stdout);
        turned_.reset();
        ext_->selectTrack(item.value);
        // The turn ends with the turntable servo's timer (torque off).
        const bool arrived = turned_.wait(kTurnLimitMs);
        std::printf("turntable %d: %s\n", item.value, arrived ? "arrived" : "no arrival");
        return arrived;
    }
    case Item::Kind::Sensor: {
        std::printf("sensor %d:\n", item.value);
        std::fflush(stdout);
        const auto start = Clock::now();
        const bool ok = ext_->waitSensor(item.value, item.timeout);
        const long ms = long(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
        std::printf("sensor %d: %s %ld ms\n", item.value, ok ? "OK" : "timeout", ms);
        return ok;
    }
    case Item::Kind::ServoId:
        std::printf("servo ID %d:\n", item.value);
        return devices::confirmServoIdChange(*frontend_, *ext_, item.value);
    case Item::Kind::FactoryReset:
        std::printf("factory reset:\n");
        return devices::confirmFactoryReset(*frontend_, *ext_);
    }
    return false;
}

void ExtendedActions::close()
{
    if (!ext_)
        return;
    std::printf("extended interface close:\n");
    ext_->closeExtendedInterface();
}

} // namespace vardo::cli
