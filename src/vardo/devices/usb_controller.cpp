#include "vardo/devices/usb_controller.h"

#include "common/string_table.h"
#include "vardo/base/settings.h"
#include "vardo/devices/link_status.h"
#include "vardo/devices/usb_commands.h"

#include <algorithm>
#include <thread>

namespace vardo::devices {

namespace {

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Pause between looks at the reconnecting flag.
constexpr int kReconnectPollMs = 10;

} // namespace

UsbController::UsbController(Frontend& frontend, PortOpener& opener, std::string optionIni,
                             std::string programFolder, UsbTiming timing)
    : frontend_(frontend), opener_(opener), optionIni_(std::move(optionIni)),
      programFolder_(std::move(programFolder)), timing_(timing),
      pwm_({[this](const std::string& c) { writePulse(c); },
            [this](const std::string& c) { return !connected_ || sendCommand(c); },
            [this] { return presentSpeed(); }, [this] { fadeStep(); }},
           timing.pwmRestartMs),
      reconnector_(
          timing.reconnect, [this] { return backgroundAttempt(); },
          [this](int delayMs) { frontend_.setStatusText(linkLostText(Board::Usb, delayMs)); })
{
}

UsbController::~UsbController()
{
    reconnector_.stop();
    pwm_.stop();
    std::lock_guard lock(portMutex_);
    closeStream();
}

void UsbController::setLayout(const UsbLayoutInfo& layout)
{
    std::lock_guard lock(settingsMutex_);
    layout_ = layout;
    layout_.pointCount = std::clamp(layout.pointCount, 0, UsbLayoutInfo::kMaxPoints);
}

void UsbController::setSpeedSource(std::function<double()> source)
{
    std::lock_guard lock(hookMutex_);
    speedSource_ = std::move(source);
}

void UsbController::setFadeStep(std::function<void()> step)
{
    std::lock_guard lock(hookMutex_);
    fadeStep_ = std::move(step);
}

double UsbController::presentSpeed()
{
    std::lock_guard lock(hookMutex_);
    return speedSource_ ? speedSource_() : speed_.load();
}

void UsbController::fadeStep()
{
    std::lock_guard lock(hookMutex_);
    if (fadeStep_)
        fadeStep_();
}

UsbSettings UsbController::settings() const
{
    std::lock_guard lock(settingsMutex_);
    return settings_;
}

void UsbController::loadSettings()
{
    UsbSettings s = UsbSettings::load(optionIni_);
    {
        std::lock_guard lock(settingsMutex_);
        settings_ = s;
    }
    waitResponse_ = s.waitResponse;
    pwm_.configure(s.pwmForward, s.pwmBackward, s.pwmIntervalMs);
}

bool UsbController::routerOpen() const
{
    ActionRouter* router = router_;
    return router && router->isOpen();
}

bool UsbController::openStream()
{
    closeStream();
    const UsbSettings s = settings();
    stream_ = opener_.openPort(s.comNo, s.baudRate);
    if (!stream_)
        return false;
    stream_->setRts(true);
    stream_->setDtr(true);
    return true;
}

void UsbController::closeStream() { stream_.reset(); }

bool UsbController::initController()
{
    reconnector_.stop();
    reconnector_.resume();
    lost_ = false;
    pwm_.stop();
    relays_.clear();
    loadSettings();
    const UsbSettings s = settings();
    log_.start(programFolder_, s.debugLog);
    {
        std::lock_guard lock(portMutex_);
        closeStream();
        connected_ = false;
        if (s.comNo == 0)
            return true;
        if (!openStream()) {
            frontend_.showMessage(common::msg::UsbInitFailed, Icon::Stop);
            if (s.autoReconnect)
                seekAbsentBoard(s);
            return false;
        }
        connected_ = true;
    }
    sleepMs(s.waitOpenMs);
    if (exchange(kHelloCommand) != Reply::Ok) {
        connected_ = false;
        {
            // An unanswered port is not kept: it would stay locked against
            // the next attempt.
            std::lock_guard lock(portMutex_);
            closeStream();
        }
        frontend_.showMessage(common::msg::UsbNoReply);
        return false;
    }
    sendAction(0);
    sendStartPulses();
    return true;
}

void UsbController::seekAbsentBoard(const UsbSettings& s)
{
    // The panel shows a stopped train; a board found later is told so.
    if (!s.pwmControl)
        relays_.setDirection(actionCommand(0, s, skin_, false).text);
    lost_ = true;
    reconnector_.begin();
}

void UsbController::sendStartPulses()
{
    UsbLayoutInfo layout;
    {
        std::lock_guard lock(settingsMutex_);
        layout = layout_;
    }
    for (int k = 0; k < layout.pointCount; ++k) {
        // A coupled point moves with the one before it.
        if (k > 0 && layout.coupledWithNext[static_cast<size_t>(k - 1)])
            continue;
        sendAction(3 + 2 * k);
    }
}

void UsbController::waitWhileReconnecting() const
{
    while (reconnecting_)
        sleepMs(kReconnectPollMs);
}

bool UsbController::waitBusyClear(int k) const
{
    for (int i = 0; i < timing_.polls; ++i) {
        if (!busy_[static_cast<size_t>(k)])
            return true;
        sleepMs(timing_.pollMs);
    }
    return !busy_[static_cast<size_t>(k)];
}

bool UsbController::sendAction(int code)
{
    // Without a board, and none being looked for, there is nothing to do.
    if (!connected_ && !lost_ && !routerOpen())
        return true;
    waitWhileReconnecting();
    const UsbSettings s = settings();
    if (s.pwmControl && code >= 0 && code <= 2) {
        // The driver's own commands set the direction relays now.
        relays_.setDirection({});
        pwm_.request(code);
        return true;
    }
    if (code < 0 || code > 10)
        return true;
    bool barrier = false;
    if (code >= 3) {
        std::lock_guard lock(settingsMutex_);
        barrier = layout_.drivesBarrier[static_cast<size_t>(pulsePoint(code))];
    }
    const int skin = skin_;
    const ActionCommand command = actionCommand(code, s, skin, barrier);
    if (command.point >= 0) {
        if (!waitBusyClear(command.point))
            return false;
        if (waitResponse_ && connected_) {
            busy_[static_cast<size_t>(command.point)] = true;
            frontend_.startTimer(command.point + 1, timing_.busyTimerMs);
        }
    }
    ActionRouter* router = router_;
    if (router && router->isOpen() && router->takeAction(code, command.text))
        return !router->linkLost();
    rememberAction(code, skin, s, command.text);
    // A board still being looked for gets the state once it is found.
    if (!connected_)
        return !lost_;
    return sendCommand(command.text);
}

void UsbController::rememberAction(int code, int skin, const UsbSettings& s,
                                   const std::string& command)
{
    if (code <= 2)
        relays_.setDirection(command);
    else if (const int relay = actionRelay(code, skin))
        relays_.setRelay(s.relayChar(relay), code == 10);
}

void UsbController::setPwmControl(bool on)
{
    {
        std::lock_guard lock(settingsMutex_);
        if (settings_.pwmControl == on)
            return;
        settings_.pwmControl = on;
    }
    if (on || !pwm_.active())
        return;
    const int direction = pwm_.direction();
    pwm_.stop();
    if (direction != 0)
        sendAction(direction > 0 ? 1 : 2);
}

void UsbController::setCrossTime(int tenths)
{
    std::lock_guard lock(settingsMutex_);
    settings_.crossTime = tenths;
}

bool UsbController::setRelay(int relay, bool on)
{
    if (relay < kFirstOptionRelay || relay > kLastOptionRelay)
        return false;
    if (!connected_ && !lost_)
        return true;
    const char name = settings().relayChar(relay);
    relays_.setRelay(name, on);
    const int bit = 1 << (relay - kFirstOptionRelay);
    if (on)
        optionBits_ |= bit;
    else
        optionBits_ &= ~bit;
    if (!connected_)
        return false; // the board is still being looked for
    waitWhileReconnecting();
    return sendCommand(relayCommand(name, on));
}

void UsbController::shutdownController()
{
    // Before any lock: the worker's attempt takes the port lock.
    reconnector_.stop();
    bool portOpen;
    {
        std::lock_guard lock(portMutex_);
        portOpen = stream_ != nullptr;
    }
    if (portOpen && !reconnecting_) {
        const UsbSettings s = settings();
        if (!s.pwmControl) {
            const std::string stop = actionCommand(0, s, skin_, false).text;
            ActionRouter* router = router_;
            if (!(router && router->isOpen() && router->takeAction(0, stop))) {
                // A reconnection on the way must not bring the old direction back.
                relays_.setDirection(stop);
                sendCommand(stop);
            }
        }
        // The driver sends its own stop command as it ends.
        pwm_.stop();
        for (int relay = kFirstOptionRelay; relay <= kLastOptionRelay; ++relay) {
            if (optionBits_ & (1 << (relay - kFirstOptionRelay)))
                setRelay(relay, false);
        }
    }
    pwm_.stop();
    for (int k = 0; k < UsbSettings::kMaxPoints; ++k) {
        if (busy_[static_cast<size_t>(k)].exchange(false))
            frontend_.killTimer(k + 1);
    }
    std::lock_guard lock(portMutex_);
    closeStream();
    connected_ = false;
    lost_ = false;
}

bool UsbController::onTimer(int timerId)
{
    if (timerId < 1 || timerId > UsbSettings::kMaxPoints)
        return false;
    frontend_.killTimer(timerId);
    busy_[static_cast<size_t>(timerId - 1)] = false;
    return true;
}

int UsbController::selectComPort(int number, bool extendedConnected)
{
    if (extendedConnected && number > 0 &&
        frontend_.ask(common::msg::AlreadyExtConnected, Buttons::OkCancel) != Answer::Ok)
        number = 0;
    Settings::ofOption(optionIni_).writeInt(SettingId::UsbComNo, number);
    if (connected_)
        shutdownController();
    if (number > 0)
        initController();
    return number;
}

bool UsbController::reconnect()
{
    std::lock_guard lock(portMutex_);
    if (!reconnectLocked())
        return false;
    restoreLocked();
    return true;
}

bool UsbController::reconnectLocked()
{
    reconnecting_ = true;
    closeStream();
    // The port number stays; speed and reply waiting are read again.
    const int comNo = settings().comNo;
    loadSettings();
    {
        std::lock_guard lock(settingsMutex_);
        settings_.comNo = comNo;
    }
    const bool opened = openStream();
    reconnecting_ = false;
    return opened && exchangeLocked(kHelloCommand) == Reply::Ok;
}

bool UsbController::sendCommand(const std::string& command)
{
    std::lock_guard lock(portMutex_);
    return sendCommandLocked(command);
}

bool UsbController::sendCommandLocked(const std::string& command)
{
    if (exchangeLocked(command) == Reply::Ok)
        return true;
    if (command == kHelloCommand)
        return false;
    // While the background brings the board back, a command fails at once
    // instead of racing it for the port.
    if (lost_ && reconnector_.active())
        return false;
    if (!reconnectLocked()) {
        lineLost();
        return false;
    }
    // The status first: whoever sees the board back finds it said.
    if (lost_ && settings().autoReconnect)
        frontend_.setStatusText(linkBackText(Board::Usb));
    lost_ = false;
    // The command itself was never confirmed: send it once more on the new
    // line, unless it was part of the state just restored.
    const std::vector<std::string> restored = restoreLocked();
    if (std::find(restored.begin(), restored.end(), command) != restored.end())
        return true;
    return exchangeLocked(command) == Reply::Ok;
}

std::vector<std::string> UsbController::restoreLocked()
{
    std::vector<std::string> confirmed;
    for (const std::string& command : relays_.commands()) {
        if (exchangeLocked(command) != Reply::Ok)
            break; // lost again: the next command finds out
        confirmed.push_back(command);
    }
    return confirmed;
}

void UsbController::lineLost()
{
    lost_ = true;
    if (settings().autoReconnect)
        reconnector_.begin();
}

bool UsbController::backgroundAttempt()
{
    std::lock_guard lock(portMutex_);
    // An action's own reconnection may have brought it back meanwhile; then
    // "retrying" must not be the last word on the status line.
    if (!lost_)
        return true;
    frontend_.setStatusText(linkRetryingText(Board::Usb));
    if (!reconnectLocked())
        return false;
    // Connected before the state is read: an action taken meanwhile is
    // either in that state or waits for the port and goes out itself.
    connected_ = true;
    restoreLocked();
    frontend_.setStatusText(linkBackText(Board::Usb));
    lost_ = false;
    return true;
}

UsbController::Reply UsbController::exchange(const std::string& command)
{
    std::lock_guard lock(portMutex_);
    return exchangeLocked(command);
}

UsbController::Reply UsbController::exchangeLocked(const std::string& command)
{
    if (!stream_)
        return Reply::Silent;
    const bool awaitAnswer = waitResponse_;
    // Answers nobody waited for (PWM pulses, a late "OK") must not count
    // for this command.
    if (awaitAnswer)
        discardInput();
    log_.write(command);
    if (!writeLocked(command))
        return Reply::Silent;
    return awaitAnswer ? awaitReply() : Reply::Ok;
}

UsbController::Reply UsbController::awaitReply()
{
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + std::chrono::milliseconds(timing_.pollMs * timing_.polls);
    std::string reply;
    char buffer[64];
    for (;;) {
        const int waiting = stream_->bytesWaiting();
        if (waiting < 0)
            return Reply::Silent; // the line is gone; waiting longer cannot help
        for (int left = waiting; left > 0;) {
            const int got = stream_->readBytes(buffer, std::min<int>(left, sizeof buffer));
            if (got <= 0)
                break;
            reply.append(buffer, static_cast<size_t>(got));
            left -= got;
        }
        // An answer may arrive in pieces; only its first four bytes matter.
        if (isOkReply(reply))
            return Reply::Ok;
        if (reply.size() >= 4)
            reply.clear();
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock::now());
        if (left.count() <= 0)
            return Reply::Silent;
        stream_->waitReadable(static_cast<int>(std::min<long>(left.count(), timing_.pollMs)));
    }
}

void UsbController::discardInput()
{
    char buffer[64];
    for (int guard = 0; guard < 64 && stream_->bytesWaiting() > 0; ++guard) {
        if (stream_->readBytes(buffer, sizeof buffer) <= 0)
            break;
    }
}

void UsbController::writePulse(const std::string& command)
{
    if (!connected_)
        return;
    std::lock_guard lock(portMutex_);
    if (!stream_)
        return;
    if (waitResponse_)
        discardInput();
    writeLocked(command);
}

bool UsbController::writeLocked(const std::string& command)
{
    const int size = static_cast<int>(command.size());
    const bool whole = stream_->writeBytes(command.data(), size) == size;
    if (observer_)
        observer_(command);
    return whole;
}

bool UsbController::writeShared(const void* data, int n)
{
    std::lock_guard lock(portMutex_);
    return stream_ && stream_->writeBytes(data, n) == n;
}

int UsbController::sharedBytesWaiting()
{
    std::lock_guard lock(portMutex_);
    return stream_ ? stream_->bytesWaiting() : -1;
}

int UsbController::readShared(void* buffer, int n)
{
    std::lock_guard lock(portMutex_);
    return stream_ ? stream_->readBytes(buffer, n) : 0;
}

void UsbController::setTrafficObserver(std::function<void(const std::string&)> observer)
{
    std::lock_guard lock(portMutex_);
    observer_ = std::move(observer);
}

} // namespace vardo::devices
