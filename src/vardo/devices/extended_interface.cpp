#include "vardo/devices/extended_interface.h"

#include "common/string_table.h"
#include "vardo/base/controller_codes.h"
#include "vardo/devices/link_status.h"
#include "vardo/devices/usb_commands.h"
#include "vardo/devices/usb_settings.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace vardo::devices {

namespace {

constexpr size_t kSensorReplyLimit = 64;

bool validId(int id)
{
    return id >= 1 && id <= kMaxServoId;
}

// The servo setting byte that decides where an action goes.
int actionSetting(int code, const ServoSettings& s)
{
    if (code >= ActionStop && code <= ActionBackward)
        return s.trainServo;
    if (code >= ActionPoint1Straight && code <= ActionPoint3Branch)
        return s.pointServo[size_t((code - ActionPoint1Straight) / 2)];
    if (code == ActionPoint4Straight || code == ActionPoint4Branch)
        return s.tableServo;
    return 0;
}

int directionOf(int code)
{
    return code == ActionForward ? 1 : code == ActionBackward ? -1 : 0;
}

} // namespace

ExtendedInterface::ExtendedInterface(Frontend& frontend, PortOpener& opener, Settings settings,
                                     ExtendedTiming timing)
    : frontend_(frontend), opener_(opener), ini_(std::move(settings)), timing_(timing),
      reconnector_(
          timing.reconnect, [this] { return backgroundAttempt(); },
          [this](int delayMs) { frontend_.setStatusText(linkLostText(Board::Extended, delayMs)); })
{
}

ExtendedInterface::~ExtendedInterface()
{
    reconnector_.stop();
    std::lock_guard lock(mutex_);
    line_.reset();
}

void ExtendedInterface::setHooks(ExtendedHooks hooks)
{
    std::lock_guard lock(mutex_);
    hooks_ = std::move(hooks);
}

ServoSettings ExtendedInterface::settings() const
{
    std::lock_guard lock(mutex_);
    return settings_;
}

void ExtendedInterface::useSettings(const ServoSettings& s)
{
    std::lock_guard lock(mutex_);
    settings_ = s;
}

std::shared_ptr<ExtendedLine> ExtendedInterface::line() const
{
    std::lock_guard lock(mutex_);
    return line_;
}

bool ExtendedInterface::isOpen() const
{
    return line() != nullptr;
}

bool ExtendedInterface::drivesSpeed() const
{
    return servoEnabled(settings().speedServo);
}

void ExtendedInterface::wait(int ms) const
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool ExtendedInterface::initExtendedInterface()
{
    reconnector_.stop();
    reconnector_.resume();
    lost_ = false;
    autoReconnect_ = ini_.getInt(SettingId::UsbAutoReconnect) == 1;
    const ServoSettings s = ServoSettings::load(ini_);
    std::shared_ptr<ExtendedLine> opened;
    {
        std::lock_guard lock(mutex_);
        settings_ = s;
        line_.reset();
    }
    if (s.comNo == 0)
        return true;
    UsbController* usb = usb_;
    if (usb && usb->openComNumber() == s.comNo) {
        opened = std::make_shared<SharedUsbLine>(*usb);
    } else {
        opened = openOwnLine(s);
        if (!opened) {
            frontend_.showMessage(common::msg::ExtInitFailed, Icon::Stop);
            // With AUTO_RECONNECT the background picks the board up when it appears.
            if (autoReconnect_) {
                lost_ = true;
                reconnector_.begin();
            }
            return false;
        }
    }
    {
        std::lock_guard lock(mutex_);
        line_ = opened;
    }
    if (servoEnabled(s.speedServo)) {
        if (servoId(s.speedServo) == 0)
            wait(timing_.speedOutputOpenMs);
        else
            sendPacket(torquePacket(servoId(s.speedServo), true));
    }
    sendStartActions(s);
    if (servoDriven(s.turnServo)) {
        sendPacket(compliancePacket(servoId(s.turnServo), s.complianceSlope, s.punchRatio));
        if (!s.torqueOff)
            sendPacket(torquePacket(servoId(s.turnServo), true));
    }
    return true;
}

void ExtendedInterface::sendStartActions(const ServoSettings& s)
{
    ExtendedHooks h;
    {
        std::lock_guard lock(mutex_);
        h = hooks_;
    }
    auto route = [&](int code) {
        if (h.routeAction)
            h.routeAction(code);
        else
            takeAction(code, actionCommand(code, UsbSettings{}, 0, false).text);
    };
    if (servoEnabled(s.trainServo) || servoEnabled(s.speedServo))
        route(ActionStop);
    for (int k = 0; k < kServoPoints; ++k) {
        if (servoEnabled(s.pointServo[size_t(k)]))
            route(ActionPoint1Straight + 2 * k);
    }
}

void ExtendedInterface::closeExtendedInterface()
{
    reconnector_.stop();
    const ServoSettings s = settings();
    if (servoDriven(s.speedServo))
        sendPacket(torquePacket(servoId(s.speedServo), false));
    for (int id = 1; id <= kMaxServoId; ++id)
        frontend_.killTimer(kFirstTimer + id);
    busyBits_ = 0;
    lost_ = false;
    std::lock_guard lock(mutex_);
    line_.reset();
}

bool ExtendedInterface::deliver(const std::string& bytes)
{
    std::shared_ptr<ExtendedLine> l = line();
    if (!l)
        return false;
    if (l->write(bytes))
        return true;
    // The relay board's port: its own recovery covers it.
    if (l->shared())
        return false;
    // While the background brings the board back, fail at once.
    if (lost_ && reconnector_.active())
        return false;
    if (reopenLine(l)) {
        std::shared_ptr<ExtendedLine> again = line();
        if (again && again->write(bytes)) {
            // The status first: whoever sees the board back finds it said.
            if (lost_ && autoReconnect_)
                frontend_.setStatusText(linkBackText(Board::Extended));
            lost_ = false;
            return true;
        }
    }
    lost_ = true;
    if (autoReconnect_)
        reconnector_.begin();
    return false;
}

bool ExtendedInterface::reopenLine(const std::shared_ptr<ExtendedLine>& failed)
{
    std::lock_guard reopen(reopenMutex_);
    {
        std::lock_guard lock(mutex_);
        // Another thread reopened it meanwhile, or the interface was closed.
        if (line_ != failed)
            return line_ != nullptr;
    }
    failed->close();
    std::shared_ptr<ExtendedLine> fresh = openOwnLine(settings());
    if (!fresh)
        return false;
    std::lock_guard lock(mutex_);
    if (line_ != failed)
        return false;
    line_ = std::move(fresh);
    return true;
}

std::shared_ptr<ExtendedLine> ExtendedInterface::openOwnLine(const ServoSettings& s)
{
    std::unique_ptr<ByteStream> stream = opener_.openPort(s.comNo, s.baudRate);
    if (!stream)
        return nullptr;
    stream->setRts(true);
    stream->setDtr(true);
    return std::make_shared<OwnLine>(std::move(stream));
}

bool ExtendedInterface::openAbsentLine()
{
    std::lock_guard reopen(reopenMutex_);
    std::shared_ptr<ExtendedLine> fresh = openOwnLine(settings());
    if (!fresh)
        return false;
    std::lock_guard lock(mutex_);
    if (!line_)
        line_ = std::move(fresh);
    return true;
}

bool ExtendedInterface::backgroundAttempt()
{
    // Closed meanwhile, or an action's own reconnection brought it back.
    if (!lost_)
        return true;
    frontend_.setStatusText(linkRetryingText(Board::Extended));
    // No line at all: the board was not there at start-up.
    std::shared_ptr<ExtendedLine> l = line();
    if (l ? !reopenLine(l) : !openAbsentLine())
        return false;
    frontend_.setStatusText(linkBackText(Board::Extended));
    lost_ = false;
    return true;
}

void ExtendedInterface::sendPacket(const ServoPacket& packet)
{
    std::shared_ptr<ExtendedLine> l;
    std::function<void(const std::string&)> traffic;
    {
        std::lock_guard lock(mutex_);
        l = line_;
        traffic = hooks_.traffic;
    }
    if (!l)
        return;
    deliver(packet.text());
    if (traffic)
        traffic(packet.hex());
}

bool ExtendedInterface::writeText(const std::string& text)
{
    std::shared_ptr<ExtendedLine> l;
    std::function<void(const std::string&)> traffic;
    {
        std::lock_guard lock(mutex_);
        l = line_;
        traffic = hooks_.traffic;
    }
    if (!l)
        return false;
    const bool ok = deliver(text);
    if (traffic) {
        std::string shown = text;
        while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r'))
            shown.pop_back();
        traffic(shown);
    }
    return ok;
}

void ExtendedInterface::setSpeed(double fraction, int direction)
{
    speedOutput(fraction, direction);
}

void ExtendedInterface::speedOutput(double fraction, int direction)
{
    const ServoSettings s = settings();
    if (!servoEnabled(s.speedServo))
        return;
    if (servoId(s.speedServo) == 0) {
        writeText(speedOutputCommand(fraction, direction));
        return;
    }
    if (!validId(servoId(s.speedServo)))
        return;
    const double angle = (s.maxSpeed - s.minSpeed) * fraction + s.minSpeed;
    sendPacket(goalPositionPacket(servoId(s.speedServo), int(angle * 10)));
}

bool ExtendedInterface::takeAction(int code, const std::string& command)
{
    if (!isOpen() || code < ActionStop || code > ActionPoint4Branch)
        return false;
    const ServoSettings s = settings();
    const int setting = actionSetting(code, s);
    if (servoEnabled(setting)) {
        if (servoId(setting) != 0)
            servoAction(code);
        else
            writeText(command);
        return true;
    }
    if (code > ActionBackward || !servoEnabled(s.speedServo))
        return false;
    // The train servo is off: the speed servo or output carries the action.
    servoAction(code);
    return true;
}

int ExtendedInterface::actionAngle(int code, const ServoSettings& s, int& setting) const
{
    ExtendedHooks h;
    {
        std::lock_guard lock(mutex_);
        h = hooks_;
    }
    const int state = h.controllerState ? h.controllerState() : 0;
    const bool tablePower = (state & vardo::state::Point4) != 0;
    const bool running = (state & vardo::state::Running) != 0;
    const bool backward = (state & vardo::state::Backward) != 0;
    setting = actionSetting(code, s);
    switch (code) {
    case ActionStop:
        return s.stopTrain;
    case ActionForward:
        return s.linkTable && tablePower ? s.tableOn : s.forwardTrain;
    case ActionBackward:
        return s.linkTable && tablePower ? s.tableOff : s.backwardTrain;
    case ActionPoint4Branch:
        if (!s.linkTable)
            return s.tableOn;
        return !running ? s.stopTrain : backward ? s.tableOff : s.tableOn;
    case ActionPoint4Straight:
        if (!s.linkTable)
            return s.tableOff;
        return !running ? s.stopTrain : backward ? s.backwardTrain : s.forwardTrain;
    default: {
        const size_t k = size_t((code - ActionPoint1Straight) / 2);
        return (code - ActionPoint1Straight) % 2 == 0 ? s.throughPoint[k] : s.branchPoint[k];
    }
    }
}

void ExtendedInterface::servoAction(int code)
{
    if (code < ActionStop || code > ActionPoint4Branch)
        return;
    const ServoSettings s = settings();
    if (code <= ActionBackward && !servoEnabled(s.trainServo)) {
        ExtendedHooks h;
        {
            std::lock_guard lock(mutex_);
            h = hooks_;
        }
        double speed = 0.0;
        if (code == ActionStop) {
            if (h.endSpeedFade)
                h.endSpeedFade();
        } else if (h.presentSpeed) {
            speed = h.presentSpeed();
        }
        speedOutput(speed, directionOf(code));
        return;
    }
    int setting = 0;
    const int angle = actionAngle(code, s, setting);
    if (servoDriven(setting))
        moveServo(servoId(setting), angle);
}

void ExtendedInterface::setBusy(int id, bool on)
{
    const int bit = 0x80 >> (id - 1);
    if (on)
        busyBits_ |= bit;
    else
        busyBits_ &= ~bit;
}

bool ExtendedInterface::busy(int id) const
{
    return (busyBits_ & (0x80 >> (id - 1))) != 0;
}

void ExtendedInterface::moveServo(int id, int angle)
{
    // An ID beyond the bus's would also take another window timer's number.
    if (!validId(id) || !isOpen())
        return;
    setBusy(id, true);
    sendPacket(torquePacket(id, true));
    wait(timing_.torqueSettleMs);
    sendPacket(goalPositionPacket(id, angle * 10));
    setBusy(id, false);
    frontend_.startTimer(kFirstTimer + id, timing_.torqueOffMs);
}

bool ExtendedInterface::onTimer(int timerId)
{
    const int id = timerId - kFirstTimer;
    if (!validId(id))
        return false;
    frontend_.killTimer(timerId);
    if (busy(id))
        return true;
    const ServoSettings s = settings();
    const bool turntable = servoDriven(s.turnServo) && servoId(s.turnServo) == id;
    if (!turntable || s.torqueOff)
        sendPacket(torquePacket(id, false));
    if (!turntable)
        return true;
    ExtendedHooks h;
    {
        std::lock_guard lock(mutex_);
        h = hooks_;
    }
    if (h.operationRunning && h.operationRunning() && h.turntableArrived)
        h.turntableArrived();
    const int latch = latch_.exchange(0);
    if ((latch == 2 || latch == 3) && s.autoStop == 2 && h.performAction)
        h.performAction(latch - 1);
    return true;
}

void ExtendedInterface::reverseTurntable()
{
    tableState_ ^= 1;
    frontend_.redrawPanel();
}

void ExtendedInterface::turnTable(int track, bool reversed)
{
    tableState_ = (tableState_ & ~1) | (reversed ? 1 : 0);
    selectTrack(track);
}

void ExtendedInterface::selectTrack(int track)
{
    if (track < 1 || track > kTurnTracks)
        return;
    const bool reversed = (tableState_ & 1) != 0;
    tableState_ = (reversed ? 1 : 0) | (1 << track);
    frontend_.redrawPanel();
    if (!isOpen())
        return;
    const ServoSettings s = settings();
    const size_t row = reversed ? 2 : 0;
    const size_t n = size_t(track - 1);
    int angle = s.turnPoint[row][n];
    if (angle < position_)
        angle = s.turnPoint[row + 1][n];
    const int latch = latch_;
    // A restart waiting for this very track is kept.
    if (!((latch == 2 && track == kTurnTracks) || (latch == 3 && track == 1)))
        latch_ = 1;
    turnTo(angle);
}

void ExtendedInterface::turnTo(int position)
{
    const ServoSettings s = settings();
    const int id = servoId(s.turnServo);
    if (!servoDriven(s.turnServo) || !validId(id) || !isOpen()) {
        // Nothing turns, so nothing would ever report the arrival: the
        // waiting program and a pending restart would wait for ever.
        onTurnWithoutServo(s);
        return;
    }
    const int time = s.turnSpeed * std::abs(position_ - position) / 3600;
    setBusy(id, true);
    if (s.torqueOff) {
        sendPacket(torquePacket(id, true));
        wait(timing_.torqueSettleMs);
    }
    sendPacket(goalPositionTimePacket(id, position, time));
    setBusy(id, false);
    // Always timed: the timer also ends the turning latch and restarts an
    // auto-stopped train, which must happen even with torque kept on.
    frontend_.startTimer(kFirstTimer + id, s.torqueIntervalMs + time * 10);
    position_ = position;
}

void ExtendedInterface::onTurnWithoutServo(const ServoSettings& s)
{
    ExtendedHooks h;
    {
        std::lock_guard lock(mutex_);
        h = hooks_;
    }
    if (h.operationRunning && h.operationRunning() && h.turntableArrived)
        h.turntableArrived();
    const int latch = latch_.exchange(0);
    if ((latch == 2 || latch == 3) && s.autoStop == 2 && h.performAction)
        h.performAction(latch - 1);
}

bool ExtendedInterface::beginSensorWait(int sensor, int timeoutSeconds)
{
    std::shared_ptr<ExtendedLine> l = line();
    if (!l)
        return false;
    std::function<int(int)> ratioOf;
    {
        std::lock_guard lock(mutex_);
        ratioOf = hooks_.sensorRatio;
    }
    l->discardInput();
    {
        std::lock_guard lock(sensorMutex_);
        sensorReply_.clear();
    }
    const int ratio = ratioOf ? ratioOf(sensor) : kDefaultSensorRatio;
    return writeText(sensorWaitCommand(sensor, ratio, timeoutSeconds));
}

bool ExtendedInterface::sensorAnswered()
{
    std::shared_ptr<ExtendedLine> l = line();
    if (!l)
        return false;
    std::lock_guard lock(sensorMutex_);
    char buffer[32];
    while (l->bytesWaiting() > 0 && sensorReply_.size() < kSensorReplyLimit) {
        const int got = l->read(buffer, sizeof buffer);
        if (got <= 0)
            break;
        sensorReply_.append(buffer, size_t(got));
    }
    return sensorReply_.rfind("OK", 0) == 0;
}

bool ExtendedInterface::waitSensor(int index, int timeoutSeconds)
{
    if (!beginSensorWait(index, timeoutSeconds))
        return false;
    const int polls = (timeoutSeconds + 1) * 10;
    for (int i = 0; i < polls; ++i) {
        wait(timing_.sensorPollMs);
        if (sensorAnswered())
            return true;
    }
    return false;
}

void ExtendedInterface::changeServoId(int newId)
{
    sendPacket(factoryResetPacket());
    sendPacket(setIdPacket(newId));
    sendPacket(writeRomPacket(newId));
    sendPacket(torquePacket(newId, true));
}

void ExtendedInterface::factoryReset()
{
    sendPacket(factoryResetPacket());
    sendPacket(writeRomPacket(1));
}

} // namespace vardo::devices
