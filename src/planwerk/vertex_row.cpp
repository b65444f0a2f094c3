#include "planwerk/vertex_row.h"

#include <algorithm>

namespace planwerk {

void VertexRow::allocate(int capacity)
{
    records_.assign(size_t(std::clamp(capacity, 0, kLargestRow)), VertexRecord{});
    count_ = 0;
}

bool VertexRow::insert(int index, const VertexRecord& record)
{
    if (full() || index < 0 || index > count_)
        return false;
    std::move_backward(records_.begin() + index, records_.begin() + count_,
                       records_.begin() + count_ + 1);
    records_[size_t(index)] = record;
    ++count_;
    return true;
}

void VertexRow::remove(int first, int n)
{
    first = std::clamp(first, 0, count_);
    n = std::clamp(n, 0, count_ - first);
    std::move(records_.begin() + first + n, records_.begin() + count_, records_.begin() + first);
    count_ -= n;
}

void VertexRow::move(int from, int to)
{
    if (from == to)
        return;
    auto begin = records_.begin();
    if (from > to)
        std::rotate(begin + to, begin + from, begin + from + 1);
    else
        std::rotate(begin + from, begin + from + 1, begin + to + 1);
}

bool VertexRow::assign(const std::vector<VertexRecord>& records)
{
    if (records.size() > records_.size())
        return false;
    std::copy(records.begin(), records.end(), records_.begin());
    count_ = int(records.size());
    return true;
}

std::vector<VertexRecord> VertexRow::toVector() const
{
    return {records_.begin(), records_.begin() + count_};
}

} // namespace planwerk
