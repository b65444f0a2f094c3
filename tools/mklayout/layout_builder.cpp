#include "layout_builder.h"

#include "common/atomic_file.h"
#include "common/paths.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>

namespace mklayout {

using layoutdata::Point;

namespace {

constexpr int kSamplesPerDegree = 20;
// Share of a siding's length over which it leaves (and rejoins) the loop.
constexpr double kRampShare = 0.3;

struct Spot {
    double x, y;
};

Spot onEllipse(const Ellipse& e, double degrees, double offset)
{
    double t = degrees * std::numbers::pi / 180.0;
    return {e.cx + (e.rx + offset) * std::cos(t), e.cy + (e.ry + offset) * std::sin(t)};
}

Point rounded(Spot s) { return {int32_t(std::lround(s.x)), int32_t(std::lround(s.y))}; }

double distance(Spot a, Spot b) { return std::hypot(a.x - b.x, a.y - b.y); }

double smoothStep(double u)
{
    u = std::clamp(u, 0.0, 1.0);
    return u * u * (3.0 - 2.0 * u);
}

// Offset of a siding at share u of its length: from the loop out to the
// full offset, and back again when it rejoins.
double sidingOffset(const SidingSpec& s, double u)
{
    double out = smoothStep(u / kRampShare);
    if (s.rejoin)
        out = std::min(out, smoothStep((1.0 - u) / kRampShare));
    return s.offset * out;
}

// Keeps a sample whenever it lies `step` or more from the last one kept.
template <class Sample>
std::vector<Point> resample(int sampleCount, double step, Sample sample, bool keepLast)
{
    std::vector<Point> points;
    Spot last = sample(0);
    points.push_back(rounded(last));
    for (int i = 1; i <= sampleCount; ++i) {
        Spot s = sample(i);
        if (distance(s, last) >= step) {
            points.push_back(rounded(s));
            last = s;
        }
    }
    if (keepLast) {
        Spot end = sample(sampleCount);
        if (distance(end, last) < step / 2 && points.size() > 1)
            points.pop_back();
        if (!(points.back() == rounded(end)))
            points.push_back(rounded(end));
    }
    return points;
}

size_t nearestIndex(const std::vector<Point>& points, Point p)
{
    size_t best = 0;
    int64_t bestDistance = INT64_MAX;
    for (size_t i = 0; i < points.size(); ++i) {
        int64_t dx = points[i].x - p.x, dy = points[i].y - p.y;
        if (dx * dx + dy * dy < bestDistance) {
            bestDistance = dx * dx + dy * dy;
            best = i;
        }
    }
    return best;
}

// A point record per siding start, and a terminal record where it rejoins
// the loop (branching the other way, since it is entered from its end).
bool buildPoints(const Description& d, const std::vector<std::vector<Point>>& sidings,
                 layoutdata::PointFile& points, std::string& error)
{
    std::vector<layoutdata::PointRecord> records;
    for (size_t k = 0; k < d.sidings.size(); ++k) {
        const auto& s = d.sidings[k];
        if (s.shape == SidingSpec::Shape::Radial) {
            // Only its link direction: number 0 joins it to nothing.
            records.push_back({1, 0, 0, 0, sidings[k].front().x, sidings[k].front().y});
            continue;
        }
        auto number = uint8_t(k + 1);
        records.push_back({uint8_t(s.direction), 0, uint8_t(s.linked), number, sidings[k].front().x,
                           sidings[k].front().y});
        if (s.rejoin)
            records.push_back(
                {uint8_t(3 - s.direction), 1, 0, number, sidings[k].back().x, sidings[k].back().y});
    }
    if (records.size() > size_t(layoutdata::kMaxPoints)) {
        error = "more than 8 points";
        return false;
    }
    // Siding k takes its link direction from point record k-1.
    for (size_t k = 0; k < d.sidings.size(); ++k) {
        if (records[k].direction != d.sidings[k].direction) {
            error = "line " + std::to_string(d.sidings[k].line) +
                    ": this siding would take its direction from another siding's point; "
                    "describe sidings that rejoin the loop after the others";
            return false;
        }
    }
    points = {};
    points.count = int(records.size());
    std::copy(records.begin(), records.end(), points.records.begin());
    return true;
}

template <class File, class Record>
bool checkedRecords(const std::vector<Record>& records, size_t capacity, const char* what,
                    File& file, std::string& error)
{
    if (records.size() > capacity) {
        error = std::string("too many ") + what;
        return false;
    }
    file.records = records;
    return true;
}

bool writeOrRemove(const std::string& path, bool present, bool written, std::string& error)
{
    std::error_code ec;
    if (!present)
        std::filesystem::remove(path, ec);
    if ((present && !written) || ec) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

bool writeTurntableIni(const std::string& path, const layoutdata::TurntableSettings& t)
{
    std::string angles;
    for (size_t i = 0; i < t.lineAngles.size(); ++i)
        angles += (i ? "," : "") + std::to_string(t.lineAngles[i]);
    const std::string text = "[LAYOUT]\nTABLE_SIZE=" + std::to_string(t.size) +
                             "\nTABLE_RANGE=" + std::to_string(t.range) + "\nTABLE_POSITION=" +
                             std::to_string(t.position.x) + "," + std::to_string(t.position.y) +
                             "\nLINE_ANGLE=" + angles + "\n";
    return common::writeFileAtomic(path, text);
}

} // namespace

std::vector<Point> outerLoop(const Ellipse& e)
{
    const int samples = 360 * kSamplesPerDegree;
    auto sample = [&](int i) { return onEllipse(e, double(i) / kSamplesPerDegree, 0.0); };
    auto points = resample(samples, e.step, sample, false);
    // The loop closes by itself: drop vertices that crowd the first one.
    while (points.size() > 2) {
        Spot last{double(points.back().x), double(points.back().y)};
        if (distance(last, sample(0)) >= e.step * 0.75)
            break;
        points.pop_back();
    }
    return points;
}

std::vector<Point> straightVertices(Point from, Point to, double step)
{
    const Spot a{double(from.x), double(from.y)};
    const Spot b{double(to.x), double(to.y)};
    const int samples = std::max(1, int(std::ceil(distance(a, b) * 4)));
    auto sample = [&](int i) {
        const double u = double(i) / samples;
        return Spot{a.x + (b.x - a.x) * u, a.y + (b.y - a.y) * u};
    };
    return resample(samples, step, sample, true);
}

std::vector<Point> sidingVertices(const Ellipse& e, const SidingSpec& s)
{
    if (s.shape == SidingSpec::Shape::Radial)
        return straightVertices(s.start, s.end, e.step);
    if (s.shape == SidingSpec::Shape::Spur)
        return straightVertices(rounded(onEllipse(e, s.from, 0.0)), s.end, e.step);
    const double span = s.to - s.from;
    const int samples = int(std::ceil(std::abs(span) * kSamplesPerDegree));
    auto sample = [&](int i) {
        double u = double(i) / samples;
        return onEllipse(e, s.from + span * u, sidingOffset(s, u));
    };
    return resample(samples, e.step, sample, true);
}

bool buildLayout(const Description& d, GeneratedLayout& out, std::string& error)
{
    GeneratedLayout g;
    const Ellipse& e = *d.outer;
    auto loop = outerLoop(e);
    g.track.vertexCounts.push_back(int32_t(loop.size()));
    g.track.vertices = loop;
    if (d.home)
        g.track.homePoint = layoutdata::PolylineFile::packHome(loop[nearestIndex(loop, *d.home)]);

    std::vector<std::vector<Point>> sidings;
    for (const auto& s : d.sidings) {
        sidings.push_back(sidingVertices(e, s));
        g.track.vertexCounts.push_back(int32_t(sidings.back().size()));
        g.track.vertices.insert(g.track.vertices.end(), sidings.back().begin(),
                                sidings.back().end());
    }
    if (!buildPoints(d, sidings, g.points, error))
        return false;

    std::vector<layoutdata::CrossingRecord> crossings;
    for (const auto& c : d.crossings) {
        auto record = layoutdata::defaultCrossing();
        int dx = c.centre.x - 320, dy = c.centre.y - 240;
        for (auto* p : {&record.arm1[0], &record.arm1[1], &record.arm2[0], &record.arm2[1],
                        &record.lamp[0], &record.lamp[1], &record.lamp[2], &record.lamp[3]})
            *p = {p->x + dx, p->y + dy};
        record.drive = c.drive;
        layoutdata::updateCrossingRect(record);
        crossings.push_back(record);
    }
    g.turntable = d.turntable;
    g.masks = layoutdata::maskToPolylines(d.masks);
    g.excepts = layoutdata::maskToPolylines(d.excepts);
    if (!checkedRecords(crossings, layoutdata::kMaxCrossings, "crossings", g.crossings, error) ||
        !checkedRecords(d.sensors, layoutdata::kMaxSensors, "sensors", g.sensors, error) ||
        !checkedRecords(d.controls, layoutdata::kMaxControlPoints, "control points", g.controls,
                        error))
        return false;
    out = std::move(g);
    return true;
}

bool writeLayout(const GeneratedLayout& layout, const std::string& folder, std::string& error)
{
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        error = "cannot create " + folder;
        return false;
    }
    auto path = [&](const char* name) { return common::joinPath(folder, name); };
    if (!layoutdata::writePolylineFile(path("layout.dat"), layout.track) ||
        !layoutdata::writePointFile(path("point.dat"), layout.points)) {
        error = "cannot write the track files in " + folder;
        return false;
    }
    bool controls = !layout.controls.records.empty();
    bool sensors = !layout.sensors.records.empty();
    bool crossings = !layout.crossings.records.empty();
    bool masks = layout.masks.polylineCount() > 0;
    bool excepts = layout.excepts.polylineCount() > 0;
    bool turntable = layout.turntable.has_value();
    return writeOrRemove(path("mask.dat"), masks,
                         masks && layoutdata::writePolylineFile(path("mask.dat"), layout.masks),
                         error) &&
           writeOrRemove(path("except.dat"), excepts,
                         excepts && layoutdata::writePolylineFile(path("except.dat"), layout.excepts),
                         error) &&
           writeOrRemove(path("turntable.ini"), turntable,
                         turntable && writeTurntableIni(path("turntable.ini"), *layout.turntable),
                         error) &&
           writeOrRemove(
               path("control.dat"), controls,
               controls && layoutdata::writeControlPointFile(path("control.dat"), layout.controls),
               error) &&
           writeOrRemove(path("sensor.dat"), sensors,
                         sensors && layoutdata::writeSensorFile(path("sensor.dat"), layout.sensors),
                         error) &&
           writeOrRemove(path("cross.dat"), crossings,
                         crossings &&
                             layoutdata::writeCrossingFile(path("cross.dat"), layout.crossings),
                         error);
}

} // namespace mklayout
