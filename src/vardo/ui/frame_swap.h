#pragma once
// Hands rendered view frames from the streaming thread to the window: the
// producer draws into the back picture, publish() exchanges it with the
// front one under a short lock (no pixel is copied), and the window paints
// the front picture under the same lock. One copy, onto the screen.
#include <QImage>
#include <atomic>
#include <mutex>

namespace vardo::ui {

class FrameSwap {
public:
    // Producer only. Sized and formatted as asked; kept between frames.
    QImage& back(QSize size, QImage::Format format);
    // Producer: the back picture becomes the front one. True when the
    // window has no repaint pending yet (the caller then asks for one).
    bool publish();

    // Window: paints the front picture. Clears the pending flag.
    template <typename Paint>
    void withFront(Paint paint)
    {
        std::lock_guard lock(mutex_);
        pending_.store(false);
        paint(static_cast<const QImage&>(front_));
    }
    uint64_t published() const { return published_.load(); }
    void clear();

private:
    std::mutex mutex_;
    QImage front_;
    QImage back_;
    std::atomic<bool> pending_{false};
    std::atomic<uint64_t> published_{0};
};

} // namespace vardo::ui
