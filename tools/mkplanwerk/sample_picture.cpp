#include "sample_picture.h"

#include "layout_builder.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <random>

namespace mkplanwerk {

namespace {

QPainterPath pathThrough(const std::vector<layoutdata::Point>& points, bool closed)
{
    QPainterPath path;
    if (points.empty())
        return path;
    path.moveTo(points[0].x, points[0].y);
    for (size_t i = 1; i < points.size(); ++i)
        path.lineTo(points[i].x, points[i].y);
    if (closed)
        path.closeSubpath();
    return path;
}

// Grain of a photographed baseboard: every pixel a little off its colour.
void baseboard(QImage& image, std::mt19937& random)
{
    std::normal_distribution<double> grain(0.0, 6.0);
    for (int y = 0; y < image.height(); ++y) {
        uchar* line = image.scanLine(y);
        double shade = 8.0 * std::sin(y / 37.0); // uneven light
        for (int x = 0; x < image.width(); ++x) {
            double g = grain(random) + shade;
            line[3 * x] = uchar(std::clamp(74.0 + g, 0.0, 255.0));
            line[3 * x + 1] = uchar(std::clamp(112.0 + g, 0.0, 255.0));
            line[3 * x + 2] = uchar(std::clamp(58.0 + g, 0.0, 255.0));
        }
    }
}

void track(QPainter& p, const QPainterPath& path)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(128, 122, 112), 14, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path); // ballast
    p.setPen(QPen(QColor(92, 64, 44), 10, Qt::DashLine, Qt::FlatCap, Qt::RoundJoin));
    p.drawPath(path); // sleepers
    QPainterPathStroker rails;
    rails.setWidth(5);
    p.setPen(QPen(QColor(60, 60, 66), 1.5));
    p.drawPath(rails.createStroke(path)); // both rails as the outline of a 5 px band
}

} // namespace

QImage samplePicture(const mklayout::Description& d)
{
    QImage image(640, 480, QImage::Format_RGB888);
    std::mt19937 random(20261208);
    baseboard(image, random);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    std::uniform_int_distribution<int> x(10, 630), y(10, 470), size(6, 14);
    const auto& e = *d.outer;
    for (int i = 0; i < 40; ++i) { // trees, away from the loop
        QPointF c(x(random), y(random));
        double u = (c.x() - e.cx) / e.rx, v = (c.y() - e.cy) / e.ry;
        double r = std::sqrt(u * u + v * v);
        if (r > 0.75 && r < 1.3)
            continue;
        int s = size(random);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(34, 70, 30));
        p.drawEllipse(c, s, s);
        p.setBrush(QColor(52, 96, 42));
        p.drawEllipse(c - QPointF(s / 3.0, s / 3.0), s / 2.0, s / 2.0);
    }
    if (d.home) { // the platform beside the loop, inside it
        p.setPen(QPen(QColor(90, 90, 90), 1));
        p.setBrush(QColor(196, 190, 176));
        p.drawRect(QRect(d.home->x - 50, d.home->y - 26, 100, 12));
    }
    track(p, pathThrough(mklayout::outerLoop(e), true));
    for (const auto& s : d.sidings)
        track(p, pathThrough(mklayout::sidingVertices(e, s), false));
    return image;
}

} // namespace mkplanwerk
