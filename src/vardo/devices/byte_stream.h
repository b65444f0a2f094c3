#pragma once
// The byte stream a device protocol talks through. The serial port is one;
// tests use in-memory streams. Closing the stream is destroying it.
#include <memory>

namespace vardo::devices {

class ByteStream {
public:
    virtual ~ByteStream() = default;

    // Bytes received and not yet read; -1 once the line is gone (device
    // unplugged, other end of a pseudo-terminal closed).
    virtual int bytesWaiting() = 0;
    // Reads at most n bytes of what has arrived; never blocks.
    virtual int readBytes(void* buffer, int n) = 0;
    // Writes one whole message; the number of bytes written.
    virtual int writeBytes(const void* buffer, int n) = 0;
    // Sleeps until bytes arrive, the line goes, or timeoutMs passes.
    virtual void waitReadable(int timeoutMs) = 0;
    virtual void setRts(bool on) = 0;
    virtual void setDtr(bool on) = 0;
};

// Opens the numbered port at a line speed; null when it cannot be opened.
class PortOpener {
public:
    virtual ~PortOpener() = default;
    virtual std::unique_ptr<ByteStream> openPort(int number, int baudRate) = 0;
};

} // namespace vardo::devices
