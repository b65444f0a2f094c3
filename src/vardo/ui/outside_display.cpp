#include "vardo/ui/outside_display.h"

#include "vardo/ui/session.h"

#include <QDebug>
#include <bit>
#include <cstring>
#include <vector>

// Xlib last: its macros (None, Status, Bool...) would clash with the rest.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace vardo::ui {

namespace {

// Errors of the worker's own connection are recorded for the worker; every
// other connection's go to the handler that was there before (the
// toolkit's), so nothing of the window changes.
thread_local ::Display* workerDisplay = nullptr;
thread_local int workerError = 0;
std::mutex handlerMutex;
XErrorHandler previousHandler = nullptr;

int onXError(::Display* display, XErrorEvent* event)
{
    if (display == workerDisplay) {
        if (workerError == 0)
            workerError = event->error_code;
        return 0;
    }
    XErrorHandler previous;
    {
        std::lock_guard lock(handlerMutex);
        previous = previousHandler;
    }
    return previous ? previous(display, event) : 0;
}

// Installed before each use: a handler set later by someone else would
// otherwise turn a vanished window into the end of the program.
void ensureErrorHandler()
{
    std::lock_guard lock(handlerMutex);
    XErrorHandler present = XSetErrorHandler(onXError);
    if (present != onXError)
        previousHandler = present;
}

struct ChannelBits {
    int shift = 0;
    int bits = 0;
};

ChannelBits channelOf(unsigned long mask)
{
    ChannelBits c;
    if (mask == 0)
        return c;
    c.shift = std::countr_zero(mask);
    c.bits = std::popcount(mask);
    return c;
}

unsigned long channelValue(int value8, ChannelBits c)
{
    if (c.bits == 0)
        return 0;
    const auto v8 = static_cast<unsigned long>(value8);
    const unsigned long v = c.bits >= 8 ? v8 << (c.bits - 8) : v8 >> (8 - c.bits);
    return v << c.shift;
}

bool isStandardRgb32(const XImage& image)
{
    const bool hostLsb = std::endian::native == std::endian::little;
    return image.bits_per_pixel == 32 && image.byte_order == (hostLsb ? LSBFirst : MSBFirst) &&
           image.red_mask == 0xff0000 && image.green_mask == 0xff00 && image.blue_mask == 0xff;
}

// Fills the X image from an RGB32 picture of the same size.
void fillImage(XImage& image, const QImage& rgb)
{
    if (isStandardRgb32(image)) {
        const int rowBytes = rgb.width() * 4;
        for (int y = 0; y < rgb.height(); ++y)
            std::memcpy(image.data + y * image.bytes_per_line, rgb.constScanLine(y), rowBytes);
        return;
    }
    // Any other true-colour layout, pixel by pixel.
    const ChannelBits r = channelOf(image.red_mask);
    const ChannelBits g = channelOf(image.green_mask);
    const ChannelBits b = channelOf(image.blue_mask);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb p = row[x];
            XPutPixel(&image, x, y,
                      channelValue(qRed(p), r) | channelValue(qGreen(p), g) |
                          channelValue(qBlue(p), b));
        }
    }
}

} // namespace

struct OutsideDisplay::X {
    ::Display* display = nullptr;
    ::Window gcWindow = 0;
    GC gc = nullptr;
    bool openFailed = false;

    void dropGc()
    {
        if (gc)
            XFreeGC(display, gc);
        gc = nullptr;
        gcWindow = 0;
    }
};

OutsideDisplay::OutsideDisplay(Source source, Released released, std::string displayName,
                               int intervalMs)
    : source_(std::move(source)), released_(std::move(released)),
      displayName_(std::move(displayName)), intervalMs_(intervalMs > 0 ? intervalMs : 40)
{
    worker_ = std::thread([this] { run(); });
}

OutsideDisplay::~OutsideDisplay()
{
    stopping_ = true;
    wake_.set();
    worker_.join();
}

void OutsideDisplay::attach(std::uint32_t window)
{
    std::uint32_t before;
    {
        // Waits for a picture being put, so none follows the release.
        std::lock_guard lock(drawMutex_);
        before = window_.exchange(window);
    }
    wake_.set();
    if (before != 0 && window == 0 && released_)
        released_(false);
}

void OutsideDisplay::run()
{
    X x;
    x_ = &x;
    while (!stopping_) {
        wake_.wait(window_.load() != 0 ? intervalMs_ : -1);
        if (stopping_)
            break;
        std::uint32_t lost = 0;
        {
            std::lock_guard lock(drawMutex_);
            const std::uint32_t window = window_.load();
            if (window == 0) {
                if (x.display)
                    x.dropGc();
                continue;
            }
            if (!drawOnce(window))
                lost = window;
        }
        if (lost != 0)
            lose(lost);
    }
    if (x.display) {
        workerError = 0;
        x.dropGc();
        XSync(x.display, False);
        XCloseDisplay(x.display);
    }
    workerDisplay = nullptr;
    x_ = nullptr;
}

bool OutsideDisplay::drawOnce(std::uint32_t window)
{
    X& x = *x_;
    if (!x.display) {
        x.display = XOpenDisplay(displayName_.empty() ? nullptr : displayName_.c_str());
        if (!x.display) {
            qWarning("outside display: cannot open the X display %s", displayName_.c_str());
            return false;
        }
        workerDisplay = x.display;
    }
    ensureErrorHandler();
    workerError = 0;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(x.display, window, &attributes) || workerError != 0)
        return false;
    if (attributes.width <= 0 || attributes.height <= 0 || attributes.visual == nullptr)
        return false;
    QImage picture;
    if (!source_ || !source_(picture) || picture.isNull())
        return true; // nothing to show yet; the window stays attached
    const QSize size(attributes.width, attributes.height);
    if (picture.size() != size)
        picture = picture.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);

    XImage* image = XCreateImage(x.display, attributes.visual, attributes.depth, ZPixmap, 0,
                                 nullptr, size.width(), size.height(), 32, 0);
    if (!image)
        return false;
    std::vector<char> pixels(static_cast<size_t>(image->bytes_per_line) * size.height());
    image->data = pixels.data();
    fillImage(*image, rgb);
    if (x.gcWindow != window) {
        x.dropGc();
        x.gc = XCreateGC(x.display, window, 0, nullptr);
        x.gcWindow = window;
    }
    XPutImage(x.display, window, x.gc, image, 0, 0, 0, 0, size.width(), size.height());
    XSync(x.display, False);
    image->data = nullptr; // ours, not Xlib's
    XDestroyImage(image);
    if (workerError != 0)
        return false;
    ++frames_;
    return true;
}

void OutsideDisplay::lose(std::uint32_t window)
{
    std::uint32_t expected = window;
    {
        std::lock_guard lock(drawMutex_);
        if (x_ && x_->display) {
            workerError = 0;
            x_->dropGc();
            XSync(x_->display, False);
        }
        if (!window_.compare_exchange_strong(expected, 0))
            return; // attached anew meanwhile
    }
    qWarning("outside display: window 0x%x cannot be drawn into; released", window);
    if (released_)
        released_(true);
}

bool OutsideDisplay::viewPicture(Session& session, QImage& picture)
{
    switch (session.display().mode()) {
    case DisplayMode::Layout: {
        layout::LayoutPictures& pictures = session.layout().pictures();
        std::lock_guard lock(pictures.mutex());
        picture = pictures.display().copy();
        break;
    }
    case DisplayMode::Live:
    case DisplayMode::Difference:
        session.frames().withFront([&](const QImage& image) { picture = image.copy(); });
        break;
    case DisplayMode::ProgramEditor:
        return false;
    }
    return !picture.isNull();
}

} // namespace vardo::ui
