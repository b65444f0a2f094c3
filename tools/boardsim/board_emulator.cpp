#include "board_emulator.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace boardsim {

namespace {

constexpr int kDropGraceMs = 50;

bool parseCount(const char* text, int& out)
{
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < 0 || v > 1000000000)
        return false;
    out = static_cast<int>(v);
    return true;
}

std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7f) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string relayText(const std::array<bool, kRelayCount>& relays, bool json)
{
    std::string out = json ? "[" : "";
    for (int i = 0; i < kRelayCount; ++i) {
        if (json && i > 0)
            out += ',';
        out += relays[static_cast<size_t>(i)] ? '1' : '0';
    }
    return json ? out + "]" : out;
}

void closeFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

bool parseOptions(int argc, char** argv, Options& o, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--echo") {
            o.echo = true;
        } else if (arg == "--json") {
            o.json = true;
        } else if ((arg == "--silent-after" || arg == "--drop-after") && hasValue) {
            int& target = arg == "--silent-after" ? o.silentAfter : o.dropAfter;
            if (!parseCount(argv[++i], target)) {
                error = arg + " needs a count";
                return false;
            }
        } else if (arg == "--return-after" && hasValue) {
            if (!parseCount(argv[++i], o.returnAfterMs)) {
                error = arg + " needs milliseconds";
                return false;
            }
        } else if (arg == "--link" && hasValue) {
            o.linkPath = argv[++i];
            if (o.linkPath.empty()) {
                error = "--link needs a path";
                return false;
            }
        } else if (arg == "--servo") {
            o.servo = true;
        } else if (arg == "--sensor-never") {
            o.sensorNever = true;
        } else if (arg == "--sensor-after" && hasValue) {
            if (!parseCount(argv[++i], o.sensorAfterMs)) {
                error = arg + " needs milliseconds";
                return false;
            }
        } else if (arg == "--relay-id" && hasValue) {
            o.relayId = argv[++i];
        } else {
            error = "unknown or incomplete option " + arg;
            return false;
        }
    }
    // A line that comes back gets a new pseudo-terminal: only a link keeps
    // its name for the program that reconnects.
    if (o.returnAfterMs >= 0 && (o.dropAfter < 0 || o.linkPath.empty())) {
        error = "--return-after needs --drop-after and --link";
        return false;
    }
    return true;
}

std::string formatRecord(const CommandRecord& r, bool json)
{
    char head[64];
    if (json) {
        std::snprintf(head, sizeof head, "{\"t_ms\":%ld,\"command\":", r.tMs);
        std::string line = head + jsonString(r.command) + ",\"relays\":" + relayText(r.relays, true);
        if (r.pulseRelay > 0) {
            char pulse[96];
            std::snprintf(pulse, sizeof pulse, ",\"pulse\":{\"relay\":%d,\"ms\":%d}", r.pulseRelay,
                          r.pulseTenths * 100);
            line += pulse;
        }
        return line + ",\"answered\":" + (r.answered ? "true" : "false") + "}";
    }
    std::snprintf(head, sizeof head, "%8ld ms  ", r.tMs);
    std::string line = head + r.command + "  relays 1-10: " + relayText(r.relays, false);
    if (r.pulseRelay > 0) {
        char pulse[64];
        std::snprintf(pulse, sizeof pulse, "  pulse relay %d for %d ms", r.pulseRelay,
                      r.pulseTenths * 100);
        line += pulse;
    }
    return r.answered ? line : line + "  (no answer)";
}

BoardEmulator::BoardEmulator(Options options) : options_(std::move(options)) {}

BoardEmulator::~BoardEmulator()
{
    stop();
    closeLine();
    for (int& fd : pulledSlaves_)
        closeFd(fd);
    closeFd(wake_[0]);
    closeFd(wake_[1]);
}

bool BoardEmulator::open()
{
    if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    if (!openLine())
        return false;
    return true;
}

// A fresh pseudo-terminal, and the link pointed at it.
bool BoardEmulator::openLine()
{
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0)
        return false;
    char name[128];
    if (grantpt(master_) != 0 || unlockpt(master_) != 0 ||
        ptsname_r(master_, name, sizeof name) != 0) {
        closeFd(master_);
        return false;
    }
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    if (slave_ < 0 || tcgetattr(slave_, &tio) != 0) {
        closeFd(slave_);
        closeFd(master_);
        return false;
    }
    // Raw from the start: an echoing line would send commands straight back.
    cfmakeraw(&tio);
    tcsetattr(slave_, TCSANOW, &tio);
    // The name handed out stays the first one: only a link keeps it.
    if (options_.linkPath.empty()) {
        if (path_.empty())
            path_ = name;
        return true;
    }
    // Replaced in one step, so a reconnecting program never sees a half-made link.
    const std::string temp = options_.linkPath + ".new";
    ::unlink(temp.c_str());
    if (::symlink(name, temp.c_str()) != 0 || ::rename(temp.c_str(), options_.linkPath.c_str()) != 0) {
        ::unlink(temp.c_str());
        closeFd(slave_);
        closeFd(master_);
        return false;
    }
    if (path_.empty())
        path_ = options_.linkPath;
    return true;
}

bool BoardEmulator::start()
{
    if (master_ < 0 || thread_.joinable())
        return false;
    serving_ = true;
    thread_ = std::thread([this] { serve(); });
    return true;
}

void BoardEmulator::requestStop()
{
    stopRequested_ = true;
    if (wake_[1] >= 0) {
        char c = 1;
        [[maybe_unused]] ssize_t n = ::write(wake_[1], &c, 1);
    }
}

void BoardEmulator::stop()
{
    requestStop();
    if (thread_.joinable())
        thread_.join();
    serving_ = false;
}

void BoardEmulator::dropLine()
{
    if (!serving_) {
        closeLine();
        return;
    }
    dropRequested_ = true;
    requestStop();
}

void BoardEmulator::closeLine()
{
    // An unplugged adapter takes its device name with it, and first, so a
    // program reopening the name as soon as the line hangs up finds nothing.
    // Closing the master removes the terminal's own name; the far end kept
    // open keeps its number from going to another board meanwhile.
    if (master_ >= 0 && !options_.linkPath.empty())
        ::unlink(options_.linkPath.c_str());
    if (slave_ >= 0)
        pulledSlaves_.push_back(std::exchange(slave_, -1));
    closeFd(master_);
    if (!path_.empty())
        dropped_ = true;
}

void BoardEmulator::serve()
{
    for (;;) {
        serveLine();
        const bool comesBack = cablePulled_ && options_.returnAfterMs >= 0 &&
                               !options_.linkPath.empty() && returns_ == 0;
        if (stopRequested_ || !comesBack || !waitForReturn() || !openLine())
            break;
        cablePulled_ = false;
        {
            // Unplugged, the board lost its power: it starts with every relay off.
            std::lock_guard lock(mutex_);
            relays_ = {};
        }
        pending_.clear();
        packet_.clear();
        sensorDue_.reset();
        ++returns_;
        logEvent("returned");
    }
    if (dropRequested_)
        closeLine();
}

// The pause of a pulled cable; false when a stop came first.
bool BoardEmulator::waitForReturn()
{
    using clock = std::chrono::steady_clock;
    const auto due = clock::now() + std::chrono::milliseconds(options_.returnAfterMs);
    while (!stopRequested_) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(due - clock::now()).count();
        if (left <= 0)
            return true;
        pollfd wake{wake_[0], POLLIN, 0};
        poll(&wake, 1, static_cast<int>(left));
    }
    return false;
}

void BoardEmulator::serveLine()
{
    char buffer[256];
    while (!stopRequested_ && master_ >= 0) {
        pollfd fds[2] = {{master_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (poll(fds, 2, pollTimeoutMs()) < 0 && errno != EINTR)
            break;
        answerSensorWhenDue();
        if (fds[0].revents & POLLIN) {
            ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n > 0)
                handleBytes(buffer, static_cast<size_t>(n));
        }
    }
}

void BoardEmulator::countMessage()
{
    ++messages_;
    if (options_.dropAfter < 0 || returns_ > 0 || messages_ < options_.dropAfter || master_ < 0)
        return;
    // Give the last answer time to be read: a hang-up discards unread input.
    std::this_thread::sleep_for(std::chrono::milliseconds(kDropGraceMs));
    closeLine();
    cablePulled_ = true;
    logEvent("dropped");
}

void BoardEmulator::logEvent(const char* event)
{
    if (!sink_)
        return;
    char line[96];
    if (options_.json)
        std::snprintf(line, sizeof line, "{\"t_ms\":%ld,\"event\":\"%s\"}", sinceStartMs(), event);
    else
        std::snprintf(line, sizeof line, "%8ld ms  line %s", sinceStartMs(), event);
    sink_(line);
}

void BoardEmulator::handleBytes(const char* data, size_t size)
{
    for (size_t i = 0; i < size && master_ >= 0; ++i) {
        if (options_.servo) {
            handleServoByte(data[i]);
            continue;
        }
        if (data[i] == '\r') {
            handleCommand(pending_);
            pending_.clear();
        } else if (data[i] != '\n' && pending_.size() < 256) {
            pending_ += data[i];
        }
    }
}

void BoardEmulator::handleCommand(const std::string& command)
{
    CommandRecord record;
    record.time = std::chrono::steady_clock::now();
    record.tMs = static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(record.time - started_).count());
    record.command = command;
    int number;
    {
        std::lock_guard lock(mutex_);
        apply(command, record);
        record.relays = relays_;
        number = static_cast<int>(records_.size()) + 1;
        record.answered = options_.silentAfter < 0 || number <= options_.silentAfter;
        records_.push_back(record);
    }
    if (record.answered) {
        std::string answer;
        if (options_.echo)
            answer = (command + "  ").substr(0, 2);
        answer += "OK\r\n";
        [[maybe_unused]] ssize_t n = ::write(master_, answer.data(), answer.size());
    }
    if (sink_)
        sink_(formatRecord(record, options_.json));
    countMessage();
}

long BoardEmulator::sinceStartMs() const
{
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - started_)
                                 .count());
}

// Packets start with FA AF; texts end with a newline, relay commands with
// a carriage return.
void BoardEmulator::handleServoByte(char c)
{
    if (!packet_.empty() || (pending_.empty() && static_cast<uint8_t>(c) == 0xFA)) {
        packet_ += c;
        const auto* bytes = reinterpret_cast<const uint8_t*>(packet_.data());
        const int size = packetSize(bytes, static_cast<int>(packet_.size()));
        if (size < 0) {
            ServoRecord bad;
            bad.tMs = sinceStartMs();
            bad.text = "unknown bytes";
            addServoRecord(bad);
            packet_.clear();
        } else if (size > 0 && static_cast<int>(packet_.size()) == size) {
            ServoRecord record;
            {
                std::lock_guard lock(mutex_);
                record = decodePacket(bytes, size, servos_);
            }
            record.tMs = sinceStartMs();
            addServoRecord(record);
            packet_.clear();
            countMessage();
        }
        return;
    }
    if (c == '\r') {
        handleCommand(pending_);
        pending_.clear();
    } else if (c == '\n') {
        const bool text = !pending_.empty();
        if (text)
            handleServoText(pending_);
        pending_.clear();
        if (text)
            countMessage();
    } else if (pending_.size() < 256) {
        pending_ += c;
    }
}

void BoardEmulator::handleServoText(const std::string& text)
{
    ServoRecord record;
    record.tMs = sinceStartMs();
    record.text = text;
    if (text.rfind("PCS", 0) == 0 && !options_.sensorNever)
        sensorDue_ = std::chrono::steady_clock::now() +
                     std::chrono::milliseconds(options_.sensorAfterMs);
    addServoRecord(record);
}

void BoardEmulator::addServoRecord(ServoRecord record)
{
    {
        std::lock_guard lock(mutex_);
        servoRecords_.push_back(record);
    }
    if (sink_)
        sink_(formatServoRecord(record, options_.json));
}

int BoardEmulator::pollTimeoutMs() const
{
    if (!sensorDue_)
        return -1;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        *sensorDue_ - std::chrono::steady_clock::now());
    return std::max<int>(0, static_cast<int>(left.count()));
}

void BoardEmulator::answerSensorWhenDue()
{
    if (!sensorDue_ || std::chrono::steady_clock::now() < *sensorDue_ || master_ < 0)
        return;
    sensorDue_.reset();
    static const char kOk[] = "OK\r\n";
    [[maybe_unused]] ssize_t n = ::write(master_, kOk, sizeof kOk - 1);
}

std::vector<ServoRecord> BoardEmulator::servoRecords() const
{
    std::lock_guard lock(mutex_);
    return servoRecords_;
}

ServoState BoardEmulator::servo(int id) const
{
    std::lock_guard lock(mutex_);
    return servos_[static_cast<size_t>(id & 0xFF)];
}

int BoardEmulator::relayOf(char c) const
{
    for (size_t i = 0; i < options_.relayId.size() && i < kRelayCount; ++i) {
        if (options_.relayId[i] == c)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

// "PCR<c><d>[R<c><d>...]" switches relays, "PCT<c><nnn>" pulses one.
void BoardEmulator::apply(const std::string& command, CommandRecord& record)
{
    if (command.rfind("PCT", 0) == 0 && command.size() == 7) {
        int tenths = 0;
        for (size_t i = 4; i < 7; ++i) {
            if (command[i] < '0' || command[i] > '9')
                return;
            tenths = tenths * 10 + (command[i] - '0');
        }
        record.pulseRelay = relayOf(command[3]);
        record.pulseTenths = tenths;
        return;
    }
    if (command.rfind("PC", 0) != 0)
        return;
    for (size_t i = 2; i + 2 < command.size() && command[i] == 'R'; i += 3) {
        const int relay = relayOf(command[i + 1]);
        const char state = command[i + 2];
        if (relay > 0 && (state == '0' || state == '1'))
            relays_[static_cast<size_t>(relay - 1)] = state == '1';
    }
}

std::vector<CommandRecord> BoardEmulator::commands() const
{
    std::lock_guard lock(mutex_);
    return records_;
}

std::array<bool, kRelayCount> BoardEmulator::relays() const
{
    std::lock_guard lock(mutex_);
    return relays_;
}

int BoardEmulator::commandCount() const
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(records_.size());
}

} // namespace boardsim
