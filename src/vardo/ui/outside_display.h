#pragma once
// Draws the view into a window of an outside program (command 102 of the
// outside-program interface): while a window is attached, a worker puts
// the view's present picture into it with Xlib, scaled to the window.
// A bad or vanished window id is caught by an X error handler: drawing
// stops, the window is released and the owner is told.
//
// The worker has its own connection to the X server, so the window's own
// connection and thread are never involved.
#include "common/event.h"

#include <QImage>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace vardo::ui {

class Session;

class OutsideDisplay {
public:
    // Copies the picture the view shows now; false when there is none.
    using Source = std::function<bool(QImage& picture)>;
    // The attached window was released: by the outside program (lost
    // false) or because it could not be drawn into (lost true).
    using Released = std::function<void(bool lost)>;

    // displayName empty: the display of $DISPLAY.
    OutsideDisplay(Source source, Released released, std::string displayName = {},
                   int intervalMs = 40);
    ~OutsideDisplay();
    OutsideDisplay(const OutsideDisplay&) = delete;
    OutsideDisplay& operator=(const OutsideDisplay&) = delete;

    // Any thread. A nonzero X window id attaches that window (releasing one
    // attached before); 0 releases. Returns once no picture is being put
    // into a released window any more.
    void attach(std::uint32_t window);
    std::uint32_t window() const { return window_.load(); }
    // Pictures put into attached windows so far.
    std::uint64_t framesDrawn() const { return frames_.load(); }

    // The view's picture of a session: the camera frame or the difference
    // image in those modes, the layout display in the layout mode.
    static bool viewPicture(Session& session, QImage& picture);

private:
    struct X;
    void run();
    bool drawOnce(std::uint32_t window);
    void lose(std::uint32_t window);

    Source source_;
    Released released_;
    std::string displayName_;
    int intervalMs_;
    // Held while a picture is put, so attach can wait for the drawing.
    std::mutex drawMutex_;
    std::atomic<std::uint32_t> window_{0};
    std::atomic<std::uint64_t> frames_{0};
    std::atomic<bool> stopping_{false};
    common::Event wake_;
    X* x_ = nullptr; // worker thread only
    std::thread worker_;
};

} // namespace vardo::ui
