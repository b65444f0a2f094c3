// The view drawn into an outside program's X window, on a private X server:
// the window is made with Xlib here, its pixels read back with XGetImage.
#include "qt_app.h"
#include "recording_frontend.h"
#include "sdk/sdk_namespace.h"
#include "ui_fixture.h"
#include "vardo/ui/outside_display.h"
#include "vardo/ui/session.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace vardo;
using namespace vardo::ui;

namespace {

template <typename Condition> bool waitFor(Condition done, int timeoutMs = 10000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

bool xvfbInstalled()
{
    return access("/usr/bin/Xvfb", X_OK) == 0 || access("/usr/local/bin/Xvfb", X_OK) == 0;
}

// A private X server; it picks a free display number itself and tells it
// through -displayfd.
class Xvfb {
public:
    Xvfb()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            const int devnull = open("/dev/null", O_WRONLY);
            if (devnull >= 0)
                dup2(devnull, STDERR_FILENO);
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0",
                   "800x600x24", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        std::string text;
        pollfd p{fds[0], POLLIN, 0};
        while (text.find('\n') == std::string::npos && poll(&p, 1, 10000) > 0) {
            char buffer[16];
            const ssize_t n = read(fds[0], buffer, sizeof buffer);
            if (n <= 0)
                break;
            text.append(buffer, size_t(n));
        }
        close(fds[0]);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        if (!text.empty())
            name_ = ":" + text;
    }
    ~Xvfb()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& name() const { return name_; }

private:
    pid_t pid_ = -1;
    std::string name_;
};

// The outside program's side: its own connection and a mapped window.
class OutsideWindow {
public:
    OutsideWindow(const std::string& display, int width, int height)
        : width_(width), height_(height)
    {
        display_ = XOpenDisplay(display.c_str());
        if (!display_)
            return;
        const int screen = DefaultScreen(display_);
        // Magenta until something is drawn: no picture of the tests has it.
        window_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), 0, 0, width, height,
                                      0, 0, 0xff00ff);
        XSelectInput(display_, window_, StructureNotifyMask);
        XMapWindow(display_, window_);
        XEvent event;
        do {
            XNextEvent(display_, &event);
        } while (event.type != MapNotify);
    }
    ~OutsideWindow()
    {
        if (display_) {
            destroy();
            XCloseDisplay(display_);
        }
    }
    bool ok() const { return display_ != nullptr; }
    std::uint32_t id() const { return static_cast<std::uint32_t>(window_); }
    void destroy()
    {
        if (window_) {
            XDestroyWindow(display_, window_);
            XSync(display_, False);
            window_ = 0;
        }
    }
    // The window's pixels as 0xRRGGBB.
    std::vector<std::uint32_t> pixels() const
    {
        std::vector<std::uint32_t> out;
        XImage* image = XGetImage(display_, window_, 0, 0, width_, height_, AllPlanes, ZPixmap);
        if (!image)
            return out;
        out.reserve(size_t(width_) * height_);
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                out.push_back(std::uint32_t(((p & image->red_mask) >> 16) << 16 |
                                            ((p & image->green_mask) >> 8) << 8 |
                                            (p & image->blue_mask)));
            }
        XDestroyImage(image);
        return out;
    }
    std::uint32_t pixel(int x, int y) const
    {
        const std::vector<std::uint32_t> all = pixels();
        return all.empty() ? 0xdeadbeef : all[size_t(y) * width_ + x];
    }
    void fill(std::uint32_t rgb)
    {
        GC gc = XCreateGC(display_, window_, 0, nullptr);
        XSetForeground(display_, gc, rgb);
        XFillRectangle(display_, window_, gc, 0, 0, width_, height_);
        XFreeGC(display_, gc);
        XSync(display_, False);
    }

private:
    ::Display* display_ = nullptr;
    ::Window window_ = 0;
    int width_;
    int height_;
};

// Pixels of the picture as 0xRRGGBB, row by row.
std::vector<std::uint32_t> rgbOf(const QImage& picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    std::vector<std::uint32_t> out;
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            out.push_back(rgb.pixel(x, y) & 0xffffff);
    return out;
}

size_t differing(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b)
{
    if (a.size() != b.size())
        return std::max(a.size(), b.size());
    size_t n = 0;
    for (size_t i = 0; i < a.size(); ++i)
        n += a[i] != b[i];
    return n;
}

struct Releases {
    std::mutex mutex;
    std::vector<bool> lost;
    void add(bool l)
    {
        std::lock_guard lock(mutex);
        lost.push_back(l);
    }
    std::vector<bool> all()
    {
        std::lock_guard lock(mutex);
        return lost;
    }
};

class OutsideDisplayTest : public vardo::sdk_test::SdkNamespace {
protected:
    void SetUp() override
    {
        SdkNamespace::SetUp();
        if (!xvfbInstalled())
            GTEST_SKIP() << "Xvfb is not installed: the outside display needs an X server";
        ui_fixtures::qtApp();
        server_ = std::make_unique<Xvfb>();
        ASSERT_FALSE(server_->name().empty()) << "Xvfb did not start";
    }
    void TearDown() override
    {
        server_.reset();
        SdkNamespace::TearDown();
    }
    std::unique_ptr<Xvfb> server_;
};

QImage quadrants()
{
    QImage picture(640, 480, QImage::Format_RGB888);
    picture.fill(Qt::white);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            if (y < 240)
                picture.setPixelColor(x, y, x < 320 ? QColor(255, 0, 0) : QColor(0, 255, 0));
            else if (x < 320)
                picture.setPixelColor(x, y, QColor(0, 0, 255));
    return picture;
}

TEST_F(OutsideDisplayTest, ThePictureFillsTheAttachedWindowUntilItIsReleased)
{
    const QImage picture = quadrants();
    Releases releases;
    OutsideDisplay display(
        [&](QImage& p) {
            p = picture;
            return true;
        },
        [&](bool lost) { releases.add(lost); }, server_->name(), 10);
    OutsideWindow window(server_->name(), 320, 240);
    ASSERT_TRUE(window.ok());

    display.attach(window.id());
    // Scaled to the window: one quadrant each.
    EXPECT_TRUE(waitFor([&] {
        const std::vector<std::uint32_t> px = window.pixels();
        return px.size() == 320u * 240u && px[60 * 320 + 80] == 0xff0000 &&
               px[60 * 320 + 240] == 0x00ff00 && px[180 * 320 + 80] == 0x0000ff &&
               px[180 * 320 + 240] == 0xffffff;
    }));

    display.attach(0);
    EXPECT_EQ(releases.all(), std::vector<bool>{false});
    // Released means released: nothing is put into the window any more.
    const std::uint64_t drawn = display.framesDrawn();
    window.fill(0x123456);
    display.attach(0); // a release without a window changes nothing
    EXPECT_EQ(display.framesDrawn(), drawn);
    EXPECT_EQ(window.pixel(10, 10), 0x123456u);
    EXPECT_EQ(releases.all(), std::vector<bool>{false});
}

TEST_F(OutsideDisplayTest, AVanishedOrUnknownWindowIsReleasedWithoutHarm)
{
    const QImage picture = quadrants();
    Releases releases;
    OutsideDisplay display(
        [&](QImage& p) {
            p = picture;
            return true;
        },
        [&](bool lost) { releases.add(lost); }, server_->name(), 10);
    OutsideWindow window(server_->name(), 64, 48);
    ASSERT_TRUE(window.ok());
    display.attach(window.id());
    ASSERT_TRUE(waitFor([&] { return display.framesDrawn() > 0; }));

    window.destroy();
    ASSERT_TRUE(waitFor([&] { return releases.all().size() == 1; }));
    EXPECT_EQ(releases.all(), std::vector<bool>{true});
    EXPECT_EQ(display.window(), 0u);

    // An id nobody made.
    display.attach(0x1fffff);
    ASSERT_TRUE(waitFor([&] { return releases.all().size() == 2; }));
    EXPECT_EQ(releases.all(), (std::vector<bool>{true, true}));
    EXPECT_EQ(display.window(), 0u);

    // And a good window afterwards is drawn again.
    OutsideWindow again(server_->name(), 32, 24);
    const std::uint64_t before = display.framesDrawn();
    display.attach(again.id());
    EXPECT_TRUE(waitFor([&] { return display.framesDrawn() > before; }));
    EXPECT_EQ(again.pixel(4, 4), 0xff0000u);
}

TEST_F(OutsideDisplayTest, WithoutAnXServerNothingIsDrawnAndTheWindowIsReleased)
{
    Releases releases;
    OutsideDisplay display([](QImage&) { return false; }, [&](bool lost) { releases.add(lost); },
                           ":" + std::to_string(65000 + getpid() % 500), 10);
    display.attach(0x400001);
    ASSERT_TRUE(waitFor([&] { return !releases.all().empty(); }));
    EXPECT_EQ(releases.all(), std::vector<bool>{true});
    EXPECT_EQ(display.window(), 0u);
    EXPECT_EQ(display.framesDrawn(), 0u);
}

TEST_F(OutsideDisplayTest, CommandOneHundredTwoDrawsTheViewIntoTheOutsideProgramsWindow)
{
    ui_fixtures::ProgramFolder folder;
    folder.dir.write("VARDO.ini", "[API]\nCOMM_INTERVAL=2\n");
    vardo::testing::RecordingFrontend frontend;
    SessionParts parts;
    parts.videoBackend = std::make_unique<ui_fixtures::FakeBackend>();
    std::unique_ptr<OutsideDisplay> display;
    Releases releases;
    parts.sdk.attachWindow = [&](std::uint32_t window) { display->attach(window); };
    Session session(frontend, folder.path(), std::move(parts), SessionHooks{});
    display = std::make_unique<OutsideDisplay>(
        [&](QImage& p) { return OutsideDisplay::viewPicture(session, p); },
        [&](bool lost) { releases.add(lost); }, server_->name(), 10);

    ASSERT_EQ(session.start("-s"), StartupOutcome::Started);
    // Without a camera the simulation starts and the view shows the layout.
    frontend.deliverPostedCommands();
    ASSERT_TRUE(session.simulation().running());
    ASSERT_EQ(session.display().mode(), DisplayMode::Layout);
    vardo_sdk* client = vardo_sdk_connect();
    ASSERT_NE(client, nullptr);
    OutsideWindow window(server_->name(), 640, 480);
    ASSERT_TRUE(window.ok());

    const auto view = [&] {
        layout::LayoutPictures& pictures = session.layout().pictures();
        std::lock_guard lock(pictures.mutex());
        return rgbOf(pictures.display());
    };
    // The window does not show the view by chance.
    ASSERT_GT(differing(window.pixels(), view()), size_t(640 * 480 / 10));

    ASSERT_EQ(vardo_sdk_send(client, 101, 0, 5000), 0);
    ASSERT_EQ(vardo_sdk_send(client, 102, std::int32_t(window.id()), 5000), 0);
    EXPECT_TRUE(waitFor([&] { return differing(window.pixels(), view()) == 0; }))
        << differing(window.pixels(), view()) << " pixels differ";
    EXPECT_TRUE(session.assembly().sdk().windowAttached());

    ASSERT_EQ(vardo_sdk_send(client, 102, 0, 5000), 0);
    ASSERT_TRUE(waitFor([&] { return !releases.all().empty(); }));
    EXPECT_EQ(releases.all(), std::vector<bool>{false});
    EXPECT_EQ(display->window(), 0u);
    // The automatic stops stay suspended after the release.
    EXPECT_TRUE(session.assembly().sdk().windowAttached());

    vardo_sdk_disconnect(client);
    session.shutdown();
    display.reset();
}

} // namespace
