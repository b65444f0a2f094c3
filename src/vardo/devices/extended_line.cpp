#include "vardo/devices/extended_line.h"

#include "vardo/devices/usb_controller.h"

namespace vardo::devices {

void ExtendedLine::discardInput()
{
    char buffer[64];
    for (int guard = 0; guard < 64 && bytesWaiting() > 0; ++guard) {
        if (read(buffer, sizeof buffer) <= 0)
            break;
    }
}

bool OwnLine::write(const std::string& bytes)
{
    std::lock_guard lock(mutex_);
    const int n = int(bytes.size());
    return stream_ && stream_->writeBytes(bytes.data(), n) == n;
}

int OwnLine::bytesWaiting()
{
    std::lock_guard lock(mutex_);
    return stream_ ? stream_->bytesWaiting() : -1;
}

int OwnLine::read(void* buffer, int n)
{
    std::lock_guard lock(mutex_);
    return stream_ ? stream_->readBytes(buffer, n) : 0;
}

void OwnLine::close()
{
    std::lock_guard lock(mutex_);
    stream_.reset();
}

bool SharedUsbLine::write(const std::string& bytes)
{
    return usb_.writeShared(bytes.data(), int(bytes.size()));
}

int SharedUsbLine::bytesWaiting()
{
    return usb_.sharedBytesWaiting();
}

int SharedUsbLine::read(void* buffer, int n)
{
    return usb_.readShared(buffer, n);
}

} // namespace vardo::devices
