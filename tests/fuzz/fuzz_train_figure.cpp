// Feeds arbitrary bytes to the train figure reader: it must never read out
// of bounds, and what it accepts must respect the capacities.
#include "layoutdata/train_figure_file.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size);
    layoutdata::TrainFigureOutline out;
    if (layoutdata::parseTrainFigure(bytes, out) == layoutdata::ReadStatus::Ok) {
        int total = 0;
        for (int i = 0; i < out.polygonCount; ++i)
            total += out.pointCounts[size_t(i)];
        if (out.polygonCount > layoutdata::kMaxFigurePolygons || total != out.pointTotal ||
            total > layoutdata::kMaxFigurePoints)
            std::abort();
    }
    return 0;
}
