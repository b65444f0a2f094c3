#include "vardo/devices/serial_port.h"

#include "vardo/base/settings.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace vardo::devices {

namespace {

// Write time allowed per byte before a write gives up.
constexpr int kWriteMsPerByte = 20;

bool speedConstant(int baudRate, speed_t& out)
{
    static const struct {
        int rate;
        speed_t constant;
    } speeds[] = {{300, B300},       {600, B600},       {1200, B1200},     {2400, B2400},
                  {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
                  {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800},
                  {500000, B500000}, {921600, B921600}, {1000000, B1000000}};
    for (const auto& s : speeds) {
        if (s.rate == baudRate) {
            out = s.constant;
            return true;
        }
    }
    return false;
}

bool makeRaw(int fd, speed_t speed)
{
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return false;
    cfmakeraw(&tio);
    tio.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS | CSIZE);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (cfsetispeed(&tio, speed) != 0 || cfsetospeed(&tio, speed) != 0)
        return false;
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

} // namespace

std::unique_ptr<SerialPort> SerialPort::open(const std::string& device, int baudRate)
{
    speed_t speed;
    if (device.empty() || !speedConstant(baudRate, speed))
        return nullptr;
    int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    // TIOCEXCL keeps other openers out, but not a privileged one; the
    // advisory lock covers that case between our own programs.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0 || !makeRaw(fd, speed)) {
        ::close(fd);
        return nullptr;
    }
    tcflush(fd, TCIOFLUSH);
    return std::unique_ptr<SerialPort>(new SerialPort(fd));
}

SerialPort::~SerialPort()
{
    ioctl(fd_, TIOCNXCL);
    ::close(fd_);
}

bool SerialPort::lineGone()
{
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, 0) < 0)
        return errno != EINTR;
    return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

int SerialPort::bytesWaiting()
{
    int n = 0;
    if (ioctl(fd_, FIONREAD, &n) != 0)
        return -1;
    if (n == 0 && lineGone())
        return -1;
    return n;
}

int SerialPort::readBytes(void* buffer, int n)
{
    if (n <= 0)
        return 0;
    ssize_t got = ::read(fd_, buffer, static_cast<size_t>(n));
    return got > 0 ? static_cast<int>(got) : 0;
}

int SerialPort::writeBytes(const void* buffer, int n)
{
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kWriteMsPerByte * std::max(n, 1));
    int done = 0;
    while (done < n) {
        ssize_t put = ::write(fd_, bytes + done, static_cast<size_t>(n - done));
        if (put > 0) {
            done += static_cast<int>(put);
            continue;
        }
        if (put < 0 && errno != EAGAIN && errno != EINTR)
            break;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd p{fd_, POLLOUT, 0};
        poll(&p, 1, static_cast<int>(left.count()));
    }
    return done;
}

void SerialPort::waitReadable(int timeoutMs)
{
    // A hung-up line returns at once; bytesWaiting() then reports it.
    pollfd p{fd_, POLLIN, 0};
    poll(&p, 1, timeoutMs);
}

void SerialPort::setModemLine(int line, bool on)
{
    ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line);
}

void SerialPort::setRts(bool on) { setModemLine(TIOCM_RTS, on); }
void SerialPort::setDtr(bool on) { setModemLine(TIOCM_DTR, on); }

std::string serialDevicePath(const std::string& optionIni, int number)
{
    if (number <= 0)
        return {};
    std::string named = Settings::ofOption(optionIni).getString(SettingId::SerialDevice, number);
    if (!named.empty())
        return named;
    return "/dev/ttyS" + std::to_string(number - 1);
}

std::unique_ptr<ByteStream> SerialPortOpener::openPort(int number, int baudRate)
{
    return SerialPort::open(serialDevicePath(optionIni_, number), baudRate);
}

} // namespace vardo::devices
