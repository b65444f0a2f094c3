#include "vardo/vision/contour_tracer.h"

#include <cstring>

namespace vardo::vision {

const std::array<Step, 8> kDirections = {
    {{0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}, {1, 0}, {1, 1}}};

int PolygonSet::firstVertex(int polygon) const
{
    int first = 0;
    for (int k = 0; k < polygon && k < count; ++k)
        first += counts[size_t(k)];
    return first;
}

namespace {

class Tracer {
public:
    Tracer(uint8_t* image, int width) : image_(image), width_(width) {}

    uint8_t& at(int row, int col) { return image_[size_t(row) * size_t(width_) + size_t(col)]; }
    uint8_t neighbour(int row, int col, int d)
    {
        return at(row + kDirections[size_t(d)].row, col + kDirections[size_t(d)].col);
    }

    // The first background neighbour among below, left, above, right in the
    // buffer; -1 when the pixel is not on an edge.
    int startDirection(int row, int col)
    {
        static constexpr int kOrder[4] = {6, 4, 2, 0};
        for (int d : kOrder)
            if (neighbour(row, col, d) == 0)
                return d;
        return -1;
    }

    bool isolated(int row, int col)
    {
        for (int d = 0; d < 8; ++d)
            if (neighbour(row, col, d) != 0)
                return false;
        return true;
    }

    // Follows the contour from the start pixel. Returns the chain length,
    // or -1 when it reaches the overflow length.
    int trace(int row, int col, int startDir, Point* chain)
    {
        const int startRow = row, startCol = col;
        int d = (startDir + 4) & 7;
        int first = -1;
        int n = 0;
        for (;;) {
            chain[n++] = {col, row};
            at(row, col) = kContourMark;
            d = (d + 4) & 7; // back towards where the last step came from
            do
                d = (d + 1) & 7;
            while (neighbour(row, col, d) == 0);
            if (first < 0)
                first = d;
            if (n >= kContourOverflow)
                return -1;
            if (row == startRow && col == startCol && n > 1 && d == first)
                return n;
            row += kDirections[size_t(d)].row;
            col += kDirections[size_t(d)].col;
        }
    }

private:
    uint8_t* image_;
    int width_;
};

int stepCode(const Point& a, const Point& b)
{
    // Points hold (column, buffer row).
    if (b.y > a.y)
        return b.x > a.x ? 7 : b.x < a.x ? 5 : 6;
    if (b.y < a.y)
        return b.x > a.x ? 1 : b.x < a.x ? 3 : 2;
    return b.x > a.x ? 0 : b.x < a.x ? 4 : 10;
}

uint64_t loadWord(const uint8_t* p)
{
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void clearBorder(uint8_t* image, int width, int height)
{
    const size_t w = size_t(width), h = size_t(height);
    std::memset(image, 0, w);
    std::memset(image + (h - 1) * w, 0, w);
    for (size_t r = 1; r + 1 < h; ++r) {
        image[r * w] = 0;
        image[r * w + w - 1] = 0;
    }
}

bool accept(PolygonSet& out, const Point* corners, int n, int height)
{
    if (n <= 3 || out.count >= kMaxPolygons || out.vertexTotal + n > kMaxVertices)
        return false;
    Point* v = &out.vertices[size_t(out.vertexTotal)];
    for (int i = 0; i < n; ++i)
        v[i] = {corners[i].x, height - 1 - corners[i].y};
    out.counts[size_t(out.count++)] = n;
    out.vertexTotal += n;
    return true;
}

} // namespace

int simplifyChain(const Point* chain, int count, Point* corners)
{
    if (count <= 0)
        return 0;
    int n = 0;
    corners[n++] = chain[0];
    int previous = count > 1 ? stepCode(chain[0], chain[1]) : 10;
    for (int i = 1; i + 1 < count; ++i) {
        int code = stepCode(chain[i], chain[i + 1]);
        if (code != previous)
            corners[n++] = chain[i];
        previous = code;
    }
    if (count > 1)
        corners[n++] = chain[count - 1];
    return n;
}

TraceResult tracePolygons(uint8_t* image, int width, int height, PolygonSet& out,
                          TraceBuffers& buffers)
{
    out.clear();
    if (width < 3 || height < 3)
        return TraceResult::Ok;
    clearBorder(image, width, height);
    Tracer tracer(image, width);
    for (int row = 1; row < height - 1; ++row) {
        const uint8_t* line = image + size_t(row) * size_t(width);
        for (int col = 1; col < width - 1; ++col) {
            // Most of the image is empty: skip it eight bytes at a time.
            while (col + 8 < width - 1 && loadWord(line + col) == 0)
                col += 8;
            if (line[col] != 1)
                continue;
            const int startDir = tracer.startDirection(row, col);
            if (startDir < 0)
                continue;
            if (tracer.isolated(row, col)) {
                tracer.at(row, col) = kIsolatedMark;
                continue;
            }
            const int length = tracer.trace(row, col, startDir, buffers.chain.data());
            if (length < 0) {
                out.clear();
                return TraceResult::Overflow;
            }
            const int corners = simplifyChain(buffers.chain.data(), length, buffers.corners.data());
            accept(out, buffers.corners.data(), corners, height);
        }
    }
    return TraceResult::Ok;
}

} // namespace vardo::vision
