#pragma once
// Centroids of the traced polygons and of the moving object as a whole.
#include "vardo/vision/contour_tracer.h"

#include <span>

namespace vardo::vision {

constexpr Point kNoCentroid{-1, -1};

// Area centroid by a fan of triangles from the first vertex, cut toward
// zero; the vertex mean when the area is 0; (-1,-1) below three vertices.
Point polygonCentroid(std::span<const Point> vertices);

// Fills centroids[k] for every polygon of the set.
void polygonCentroids(const PolygonSet& polygons, std::span<Point> centroids);

// One polygon: its centroid; two: their midpoint; more: the centroid of
// the polygon through them in tracing order; none: (-1,-1).
Point objectCentroid(std::span<const Point> centroids);

} // namespace vardo::vision
