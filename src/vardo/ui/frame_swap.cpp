#include "vardo/ui/frame_swap.h"

namespace vardo::ui {

QImage& FrameSwap::back(QSize size, QImage::Format format)
{
    if (back_.size() != size || back_.format() != format)
        back_ = QImage(size, format);
    return back_;
}

bool FrameSwap::publish()
{
    {
        std::lock_guard lock(mutex_);
        std::swap(front_, back_);
    }
    published_.fetch_add(1);
    return !pending_.exchange(true);
}

void FrameSwap::clear()
{
    std::lock_guard lock(mutex_);
    front_ = QImage();
    pending_.store(false);
}

} // namespace vardo::ui
