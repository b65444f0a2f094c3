#pragma once
// One row of traced vertices: a fixed capacity chosen at start-up (the
// MAX_POINT setting) and the count in use.
#include "layoutdata/layout_files.h"

#include <vector>

namespace planwerk {

using layoutdata::Point;
using layoutdata::VertexRecord;

// Largest row the editor allocates, whatever the settings ask for.
inline constexpr int kLargestRow = layoutdata::kMaxVertexRecords;

class VertexRow {
public:
    // Capacity records, all zero, count 0. A negative capacity holds nothing.
    void allocate(int capacity);
    int capacity() const { return int(records_.size()); }
    int count() const { return count_; }
    bool empty() const { return count_ == 0; }
    bool full() const { return count_ >= capacity(); }

    VertexRecord& operator[](int i) { return records_[size_t(i)]; }
    const VertexRecord& operator[](int i) const { return records_[size_t(i)]; }
    VertexRecord& back() { return records_[size_t(count_ - 1)]; }
    const VertexRecord& back() const { return records_[size_t(count_ - 1)]; }

    // Inserts at index (0..count); false when the row is full.
    bool insert(int index, const VertexRecord& record);
    // Removes n records from first on; later records move down.
    void remove(int first, int n);
    // Moves the record at `from` to `to`, shifting the ones between.
    void move(int from, int to);
    void clear() { count_ = 0; }

    // The records in use; false (row unchanged) when they do not fit.
    bool assign(const std::vector<VertexRecord>& records);
    std::vector<VertexRecord> toVector() const;

private:
    std::vector<VertexRecord> records_;
    int count_ = 0;
};

} // namespace planwerk
