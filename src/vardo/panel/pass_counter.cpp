#include "vardo/panel/pass_counter.h"

namespace vardo::panel {

void PassCounter::open()
{
    count_ = 0;
    open_ = true;
}

void PassCounter::close()
{
    open_ = false;
}

void PassCounter::frameAnalysed(int trainX, int trainY, int checkX, int checkY, int range)
{
    if (!open_.load())
        return;
    const long dx = trainX - checkX, dy = trainY - checkY;
    if (dx * dx + dy * dy <= long(range) * range)
        count_.fetch_add(1);
}

void PassCounter::passed()
{
    if (open_.load())
        count_.fetch_add(1);
}

} // namespace vardo::panel
