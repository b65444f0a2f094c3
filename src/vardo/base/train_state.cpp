#include "vardo/base/train_state.h"

#include <cmath>

namespace vardo {

int64_t TrainState::pack(int x, int y)
{
    return int64_t(uint64_t(uint32_t(x)) << 32 | uint32_t(y));
}

void TrainState::setPosition(int train, int x, int y)
{
    if (train < 0 || train >= kMaxTrains)
        return;
    positions_[train].store(pack(x, y));
}

TrainState::Position TrainState::position(int train) const
{
    if (train < 0 || train >= kMaxTrains)
        return {};
    int64_t v = positions_[train].load();
    return {int(int32_t(uint64_t(v) >> 32)), int(int32_t(uint32_t(uint64_t(v))))};
}

void TrainState::setAllUnknown()
{
    for (int i = 0; i < kMaxTrains; ++i)
        setPosition(i, kUnknownPosition, kUnknownPosition);
}

int lapAngleOf(int x, int y)
{
    // 0.31831015504887655 is 1/3.14159, the program's own pi, not 1/pi.
    double a = 180.0 + std::trunc(std::atan2(double(y - 240), double(x - 320)) * 180.0 *
                                  0.31831015504887655);
    int angle = int(a);
    return (angle < 0 || angle > 359) ? 0 : angle;
}

void TrainState::updateLapAngle(int x, int y, bool backward)
{
    const int a = lapAngleOf(x, y);
    const int p = previousAngle.load();
    int d;
    if (!backward) {
        d = a - p;
        if (p > 270 && a < 90)
            d += 360;
        if (p < 90 && a > 270)
            d -= 360;
    } else {
        d = p - a;
        if (p < 90 && a > 270)
            d += 360;
        if (p > 270 && a < 90)
            d -= 360;
    }
    angle.store(a);
    accumulatedAngle.fetch_add(d);
    previousAngle.store(a);
}

} // namespace vardo
