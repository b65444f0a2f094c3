#pragma once
// A serial port over POSIX termios: raw 8N1, non-blocking, opened for this
// process alone. Also opens pseudo-terminals.
#include "vardo/devices/byte_stream.h"

#include <string>

namespace vardo::devices {

class SerialPort : public ByteStream {
public:
    // Null when the device cannot be opened, is in use, or the speed is
    // not one the terminal layer knows.
    static std::unique_ptr<SerialPort> open(const std::string& device, int baudRate);
    ~SerialPort() override;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    int bytesWaiting() override;
    int readBytes(void* buffer, int n) override;
    int writeBytes(const void* buffer, int n) override;
    void waitReadable(int timeoutMs) override;
    void setRts(bool on) override;
    void setDtr(bool on) override;

private:
    explicit SerialPort(int fd) : fd_(fd) {}
    void setModemLine(int line, bool on);
    bool lineGone();

    int fd_;
};

// The device of COM n: option.ini [SERIAL] COM<n> when present, else
// /dev/ttyS<n-1>.
std::string serialDevicePath(const std::string& optionIni, int number);

// Opens COM numbers through serialDevicePath.
class SerialPortOpener : public PortOpener {
public:
    explicit SerialPortOpener(std::string optionIni) : optionIni_(std::move(optionIni)) {}
    std::unique_ptr<ByteStream> openPort(int number, int baudRate) override;

private:
    std::string optionIni_;
};

} // namespace vardo::devices
