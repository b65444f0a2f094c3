#pragma once
// The editor's data sets other than the vertex rows: fixed-capacity arrays
// with a count, and whether the set exists at all (a set that does not
// exist writes no file on export).
#include "layoutdata/layout_files.h"

#include <array>
#include <vector>

namespace planwerk {

template <class Record, int Capacity> class FixedSet {
public:
    static constexpr int kCapacity = Capacity;

    bool present() const { return present_; }
    int count() const { return count_; }
    Record& operator[](int i) { return items_[size_t(i)]; }
    const Record& operator[](int i) const { return items_[size_t(i)]; }

    // Creates the set, zero-filled and empty, when it does not exist.
    void create()
    {
        if (!present_)
            reset();
    }
    // A fresh zero-filled, empty set.
    void reset()
    {
        items_.fill(Record{});
        count_ = 0;
        present_ = true;
    }
    // The set no longer exists.
    void drop()
    {
        count_ = 0;
        present_ = false;
    }
    void setCount(int count) { count_ = count < 0 ? 0 : (count > Capacity ? Capacity : count); }

    // The records from a file; false (set unchanged) when they do not fit.
    bool assign(const std::vector<Record>& records)
    {
        if (records.size() > size_t(Capacity))
            return false;
        for (size_t i = 0; i < records.size(); ++i)
            items_[i] = records[i];
        count_ = int(records.size());
        return true;
    }
    std::vector<Record> toVector() const { return {items_.begin(), items_.begin() + count_}; }
    const std::array<Record, Capacity>& items() const { return items_; }
    std::array<Record, Capacity>& items() { return items_; }

private:
    std::array<Record, Capacity> items_{};
    int count_ = 0;
    bool present_ = false;
};

inline constexpr int kMaxRegions = layoutdata::kMaxMaskRecords;

using RegionSet = FixedSet<layoutdata::MaskRecord, kMaxRegions>;
using ControlPointSet = FixedSet<layoutdata::ControlPointRecord, layoutdata::kMaxControlPoints>;
using CrossingSet = FixedSet<layoutdata::CrossingRecord, layoutdata::kMaxCrossings>;
using SensorSet = FixedSet<layoutdata::SensorRecord, layoutdata::kMaxSensors>;

// The train rectangle: handles P0, P1, P2 and the derived P3, P4.
using TrainRect = std::array<layoutdata::Point, 5>;

// One flag per data set: changed since it was last saved.
struct ModifiedFlags {
    bool picture = false;
    bool layout = false;
    bool mask = false;
    bool exception = false;
    bool control = false;
    bool crossing = false;
    bool sensor = false;
    bool collage = false;
    bool trainEdit = false;

    bool any() const
    {
        return picture || layout || mask || exception || control || crossing || sensor || collage ||
               trainEdit;
    }
};

} // namespace planwerk
