#include "planwerk/rail_drawing.h"

#include "planwerk/qt_colour.h"
#include "planwerk/rail_geometry.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <optional>

namespace planwerk {

namespace {

constexpr double kRadiansToSixteenths = 180.0 / 3.14159265358979 * 16.0;

class RowPainter {
public:
    RowPainter(QPainter& p, const VertexRow& row, bool siding, int selection,
               const EditorSettings& s)
        : p_(p), row_(row), siding_(siding), selection_(selection),
          linePen_(toQColor(s.lineColour), s.lineWidth),
          selectPen_(toQColor(s.selectColour), s.selectWidth)
    {
        if (siding && selection >= 0 && selection < row.count())
            group_ = sidingRange(row, row.count(), selection);
    }

    void rails()
    {
        int n = row_.count();
        if (n == 0)
            return;
        current_ = position(row_[0]);
        for (int j = 0; j < n; ++j) {
            bool nextExists = j + 1 < n;
            if (siding_ && nextExists && isGroupStart(row_[j + 1])) {
                current_ = position(row_[j + 1]);
            } else if (isCurved(row_[j]) && j > 0 && j < n - 1) {
                arc(j, j - 1, j + 1);
            } else if (j == 0 && isCurved(row_[0]) && n > 2) {
                arc(0, n - 1, 1);
            } else if (nextExists && (!isCurved(row_[j + 1]) || (siding_ && j + 1 == n - 1))) {
                line(j, position(row_[j + 1]));
            }
        }
        if (siding_)
            return;
        if (n >= 3 && isCurved(row_[n - 1]))
            arc(n - 1, n - 2, 0);
        else if (!isCurved(row_[0]))
            line(n - 1, position(row_[0]));
    }

    void handles(const EditorSettings& s)
    {
        int r = s.pointSize;
        int number = 0;
        for (int i = 0; i < row_.count(); ++i) {
            const VertexRecord& v = row_[i];
            QColor fill = toQColor(v.pointMark ? s.maskColour : s.pointColour);
            p_.setBrush(fill);
            p_.setPen(i == selection_ ? selectPen_ : QPen(fill));
            p_.drawEllipse(QPoint(v.x, v.y), r, r);
            if (siding_ && v.pointMark) {
                int x = v.x >= 617 ? v.x - 16 : v.x + 8;
                int y = v.y > 448 ? v.y - 28 : v.y + 8;
                p_.setPen(toQColor(s.lineColour));
                p_.drawText(QPoint(x, y + p_.fontMetrics().ascent()), QString::number(++number));
            }
        }
    }

private:
    const QPen& penFor(int j) const
    {
        if (fixedPen_)
            return *fixedPen_;
        return group_.contains(j) ? selectPen_ : linePen_;
    }

    void line(int j, Point to)
    {
        p_.setPen(penFor(j));
        p_.drawLine(current_.x, current_.y, to.x, to.y);
        current_ = to;
    }

    // The arc through v about its centre between its neighbours, drawn
    // counter-clockwise from b to a; afterwards the pen stands at b.
    void arc(int v, int a, int b)
    {
        Point o{row_[v].curveX, row_[v].curveY};
        Point pa = position(row_[a]), pv = position(row_[v]), pb = position(row_[b]);
        // Far beyond the picture an arc is as good as straight; the limit
        // keeps the rectangle representable.
        int radius = int(std::min(std::sqrt(double(squaredDistance(pv, o))) + 0.5, 1e6));
        auto angle = [&](Point q) { return std::atan2(double(q.y - o.y), double(q.x - o.x)); };
        double angleA = angle(pa), angleV = angle(pv), angleB = angle(pb);
        if (std::fabs(angleV) > 1.570795) {
            for (double* t : {&angleA, &angleV, &angleB}) {
                if (*t < 0)
                    *t += 6.28318;
            }
        }
        if (angleA > angleV && angleB < angleV)
            std::swap(pa, pb);
        // Screen angles run the other way round than angles with y downwards.
        double start = -angle(pb), end = -angle(pa);
        double span = std::fmod(end - start, 2 * 3.14159265358979);
        if (span <= 0)
            span += 2 * 3.14159265358979;
        p_.setPen(penFor(v));
        p_.setBrush(Qt::NoBrush);
        p_.drawArc(QRect(o.x - radius, o.y - radius, 2 * radius, 2 * radius),
                   int(start * kRadiansToSixteenths), int(span * kRadiansToSixteenths));
        current_ = pb;
    }

    QPainter& p_;
    const VertexRow& row_;
    bool siding_;
    int selection_;
    QPen linePen_, selectPen_;
    Range group_{0, -1};
    Point current_{};

public:
    std::optional<QPen> fixedPen_;
};

} // namespace

void drawRow(QPainter& painter, const VertexRow& row, bool sidingLine, int selection,
             const EditorSettings& settings)
{
    RowPainter p(painter, row, sidingLine, selection, settings);
    p.rails();
    p.handles(settings);
}

void drawRails(QPainter& painter, const VertexRow& row, bool sidingLine, const QPen& pen)
{
    RowPainter p(painter, row, sidingLine, -1, EditorSettings{});
    p.fixedPen_ = pen;
    p.rails();
}

} // namespace planwerk
