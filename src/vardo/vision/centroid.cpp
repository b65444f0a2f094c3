#include "vardo/vision/centroid.h"

#include <cmath>

namespace vardo::vision {

Point polygonCentroid(std::span<const Point> v)
{
    const size_t n = v.size();
    if (n <= 2)
        return kNoCentroid;
    double area = 0.0, sumX = 0.0, sumY = 0.0;
    const double x0 = v[0].x, y0 = v[0].y;
    for (size_t k = 1; k + 1 < n; ++k) {
        const double x1 = v[k].x, y1 = v[k].y, x2 = v[k + 1].x, y2 = v[k + 1].y;
        const double a = std::fabs((x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0)) / 2.0;
        area += a;
        sumX += a * (x0 + x1 + x2) / 3.0;
        sumY += a * (y0 + y1 + y2) / 3.0;
    }
    if (area != 0.0)
        return {int32_t(std::trunc(sumX / area)), int32_t(std::trunc(sumY / area))};
    long long mx = 0, my = 0;
    for (const Point& p : v) {
        mx += p.x;
        my += p.y;
    }
    return {int32_t(mx / (long long)n), int32_t(my / (long long)n)};
}

void polygonCentroids(const PolygonSet& polygons, std::span<Point> centroids)
{
    int first = 0;
    for (int k = 0; k < polygons.count && size_t(k) < centroids.size(); ++k) {
        const int n = polygons.counts[size_t(k)];
        centroids[size_t(k)] =
            polygonCentroid(std::span<const Point>(&polygons.vertices[size_t(first)], size_t(n)));
        first += n;
    }
}

Point objectCentroid(std::span<const Point> c)
{
    switch (c.size()) {
    case 0:
        return kNoCentroid;
    case 1:
        return c[0];
    case 2:
        return {(c[0].x + c[1].x) / 2, (c[0].y + c[1].y) / 2};
    default:
        return polygonCentroid(c);
    }
}

} // namespace vardo::vision
