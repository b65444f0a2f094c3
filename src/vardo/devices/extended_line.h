#pragma once
// The line to the extended interface board: a port of its own, or the USB
// I/O controller's when both are set to the same COM number. Every write is
// one whole message under one lock, so messages from the window thread, the
// control loop and the timers never interleave on the line.
#include "vardo/devices/byte_stream.h"

#include <memory>
#include <mutex>
#include <string>

namespace vardo::devices {

class UsbController;

class ExtendedLine {
public:
    virtual ~ExtendedLine() = default;
    virtual bool write(const std::string& bytes) = 0;
    virtual int bytesWaiting() = 0;
    virtual int read(void* buffer, int n) = 0;
    // Whether this line is the USB I/O controller's port.
    virtual bool shared() const = 0;
    // Lets go of the port now, even while other threads still hold this
    // line: a device opened for one user at a time cannot be opened again
    // before that. Later calls fail.
    virtual void close() {}

    // Drops whatever has arrived and was not read.
    void discardInput();
};

class OwnLine : public ExtendedLine {
public:
    explicit OwnLine(std::unique_ptr<ByteStream> stream) : stream_(std::move(stream)) {}
    bool write(const std::string& bytes) override;
    int bytesWaiting() override;
    int read(void* buffer, int n) override;
    bool shared() const override { return false; }
    void close() override;

private:
    std::mutex mutex_;
    std::unique_ptr<ByteStream> stream_;
};

class SharedUsbLine : public ExtendedLine {
public:
    explicit SharedUsbLine(UsbController& usb) : usb_(usb) {}
    bool write(const std::string& bytes) override;
    int bytesWaiting() override;
    int read(void* buffer, int n) override;
    bool shared() const override { return true; }

private:
    UsbController& usb_;
};

} // namespace vardo::devices
