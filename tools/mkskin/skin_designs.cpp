#include "skin_designs.h"

#include "skin_painting.h"

#include "common/atomic_file.h"
#include "common/bmp.h"
#include "common/paths.h"

#include <QDir>

#include <array>
#include <cmath>
#include <functional>

namespace mkskin {

namespace {

constexpr int kRoles = 16;
constexpr int kPointColumn = 41; // what the panel drops per missing point

enum class Kind { None, Button, Lamp };

struct Part {
    Part() = default;
    Part(QRect r, QString l, Kind k) : rect(r), label(std::move(l)), kind(k) {}

    QRect rect; // the button as drawn
    QString label;
    Kind kind = Kind::None;
    QRect picture; // the picture's area when larger than the button
    QRect area() const { return picture.isEmpty() ? rect : picture; }
};

struct Design {
    QString title;
    QSize size;
    Palette colours;
    std::array<Part, kRoles> parts;
    QPointF jogCentre;
    int jogRadius = 40;
    double rest = 0, end = 0, running = 0;
    int knob = 22;
    bool lever = false;
    bool rotatedHandle = false;
    // The turntable tray hangs below the body from here, so a panel cut
    // here for layouts without a turntable ends at the body's own edge.
    int trayTop = 0;
    QRect tray;
    // Point buttons that sit in modules on the right edge, one module per
    // column the narrow panels drop.
    int pointModules = 0;
    std::function<void(QPainter&, const Design&)> decorate;
};

// Dials turned clockwise over three quarters of a turn from the lower left.
constexpr double kRest = -2.3561925, kEnd = -0.7853975, kRunning = 1.570795;

constexpr int kTrayHeight = 44;
constexpr int kTrayLeft = 12;

// The turntable buttons in a tray below the body; each picture is the
// tray's full height over its button, so the tray looks the same pressed.
void addTurntable(Design& d, int trayTop)
{
    d.trayTop = trayTop;
    d.size.setHeight(trayTop + kTrayHeight);
    const int y = trayTop + 9;
    const int x = kTrayLeft + 44; // after the tray's caption
    const int w = 28;
    d.parts[10] = {QRect(x, y, 44, 26), "反転", Kind::Button};
    for (int t = 0; t < 5; ++t)
        d.parts[size_t(11 + t)] = {QRect(x + 48 + t * w, y, w - 2, 26), QString::number(t + 1),
                                   Kind::Button};
    for (int i = 10; i <= 15; ++i) {
        const QRect r = d.parts[size_t(i)].rect;
        d.parts[size_t(i)].picture = QRect(r.left() - 1, trayTop, r.width() + 2, kTrayHeight);
    }
    d.tray = QRect(kTrayLeft, trayTop, d.parts[15].rect.right() + 8 - kTrayLeft, kTrayHeight);
}

// Point buttons in columns at the right edge of the body.
void addPointColumns(Design& d, int count, int firstRole, int top, int height)
{
    for (int j = 0; j < count; ++j) {
        const int x = d.size.width() - kPointColumn * (count - j) - 6;
        d.parts[size_t(firstRole + j)] = {QRect(x, top, kPointColumn - 4, height),
                                          QString("ポイント%1").arg(firstRole + j - 3),
                                          Kind::Button};
    }
}

// Point buttons in modules that make up the right edge: the panel loses
// whole modules, never part of one.
void addPointModules(Design& d, int count, int firstRole, int top, int height)
{
    d.pointModules = count;
    for (int j = 0; j < count; ++j) {
        const int x = d.size.width() - kPointColumn * (count - j) + 2;
        d.parts[size_t(firstRole + j)] = {QRect(x, top, kPointColumn - 4, height),
                                          QString("ポイント%1").arg(firstRole + j - 3),
                                          Kind::Button};
    }
}

QRect bodyRect(const Design& d)
{
    const int bottom = d.trayTop > 0 ? d.trayTop : d.size.height();
    // Ends where the modules begin, so a panel without them keeps an edge.
    const int right = d.size.width() - kPointColumn * d.pointModules;
    return QRect(0, 0, right, bottom);
}

void drawModules(QPainter& p, const Design& d)
{
    const int bottom = bodyRect(d).height();
    for (int j = 0; j < d.pointModules; ++j) {
        const int x = d.size.width() - kPointColumn * (d.pointModules - j);
        drawBody(p, QRect(x, 0, kPointColumn, bottom), d.colours, 8);
        setFont(p, d.colours, 9, false);
        p.setPen(d.colours.buttonText);
        p.drawText(QRect(x, 14, kPointColumn, 14), Qt::AlignCenter, QString("P%1").arg(j + 1));
    }
}

void drawTray(QPainter& p, const Design& d)
{
    if (d.tray.isEmpty())
        return;
    drawBody(p, d.tray, d.colours, 8);
    setFont(p, d.colours, 10);
    p.setPen(d.colours.buttonText);
    p.drawText(QRect(d.tray.left() + 4, d.tray.top(), 42, d.tray.height()), Qt::AlignCenter,
               "転車台");
}

void nameplate(QPainter& p, const Design& d, QRect r)
{
    setFont(p, d.colours, 11);
    p.setPen(d.colours.buttonText);
    p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, d.title);
}

Design standardDesign()
{
    Design d;
    d.title = "標準コントローラ";
    d.size = QSize(400, 230);
    d.colours = {QColor(92, 100, 112),  QColor(48, 52, 60), QColor(20, 22, 26),
                 QColor(170, 172, 176), QColor(20, 20, 24), QColor(255, 170, 40),
                 QColor(40, 20, 0),     QColor(60, 64, 70), QColor(230, 230, 230),
                 QColor(200, 40, 40),   "Noto Sans CJK JP"};
    d.jogCentre = QPointF(86, 112);
    d.jogRadius = 42;
    d.rest = kRest, d.end = kEnd, d.running = kRunning;
    d.parts[2] = {QRect(24, 50, 124, 124), "", Kind::None};
    d.parts[9] = {QRect(75, 101, 22, 22), "", Kind::None};
    d.parts[1] = {QRect(158, 12, 56, 26), "終了", Kind::Button};
    d.parts[3] = {QRect(158, 52, 56, 40), "前進/後進", Kind::Button};
    d.parts[8] = {QRect(158, 104, 56, 44), "自動運転", Kind::Lamp};
    addPointModules(d, 4, 4, 52, 96);
    addTurntable(d, 186);
    d.decorate = [](QPainter& p, const Design& d) {
        nameplate(p, d, QRect(16, 12, 140, 26));
        drawDial(p, d.jogCentre, 62, d.rest, 4.712385, d.colours, "発車/停止");
    };
    return d;
}

Design cabDesign()
{
    Design d;
    d.title = "運転台(キハ75)";
    d.size = QSize(440, 240);
    d.colours = {QColor(120, 128, 118), QColor(70, 76, 70),    QColor(28, 30, 28),
                 QColor(210, 206, 196), QColor(25, 25, 25),    QColor(120, 230, 120),
                 QColor(0, 40, 0),      QColor(245, 245, 235), QColor(30, 30, 30),
                 QColor(60, 60, 60),    "Noto Sans CJK JP"};
    d.lever = true;
    d.parts[2] = {QRect(30, 40, 56, 150), "", Kind::None};
    d.parts[9] = {QRect(30, 40, 56, 22), "", Kind::None};
    d.jogCentre = QPointF(150, 110);
    d.jogRadius = 44;
    d.rest = kRest, d.end = kEnd, d.running = kRunning;
    d.parts[1] = {QRect(208, 12, 58, 26), "終了", Kind::Button};
    d.parts[3] = {QRect(208, 50, 58, 40), "前進/後進", Kind::Button};
    d.parts[8] = {QRect(208, 100, 58, 46), "自動運転", Kind::Lamp};
    addPointColumns(d, 4, 4, 50, 96);
    addTurntable(d, 196);
    d.decorate = [](QPainter& p, const Design& d) {
        nameplate(p, d, QRect(16, 10, 190, 24));
        // The lever's slot: a dark channel with notch marks.
        p.save();
        p.setPen(QPen(QColor(10, 10, 10), 1));
        p.setBrush(QColor(25, 25, 25));
        p.drawRoundedRect(QRect(52, 44, 12, 142), 4, 4);
        p.setPen(QColor(230, 230, 230));
        setFont(p, d.colours, 9, false);
        for (int n = 0; n <= 5; ++n) {
            const int y = 51 + n * 25;
            p.drawLine(36, y, 46, y);
            p.drawText(QRect(88, y - 7, 20, 14), Qt::AlignLeft, n == 0 ? "切" : QString::number(n));
        }
        p.restore();
        // The speedometer around the lever line.
        drawDial(p, d.jogCentre, 50, 0.4712389, 4.084067, d.colours, "km/h");
    };
    return d;
}

Design dialDesign()
{
    Design d;
    d.title = "divedare";
    d.size = QSize(400, 230);
    d.colours = {QColor(40, 40, 48),    QColor(12, 12, 16),    QColor(90, 90, 110),
                 QColor(70, 72, 84),    QColor(235, 235, 245), QColor(0, 200, 255),
                 QColor(0, 20, 30),     QColor(30, 30, 36),    QColor(0, 200, 255),
                 QColor(220, 220, 230), "Noto Sans CJK JP"};
    d.rotatedHandle = true;
    d.jogCentre = QPointF(90, 120);
    d.jogRadius = 0; // the handle turns about the dial centre
    d.rest = 2.6179939, d.end = 0.5235988, d.running = 1.570795;
    d.parts[2] = {QRect(30, 60, 120, 120), "", Kind::None};
    d.parts[9] = {QRect(30, 60, 120, 120), "", Kind::None};
    d.parts[1] = {QRect(166, 12, 56, 26), "終了", Kind::Button};
    d.parts[3] = {QRect(166, 52, 56, 40), "前進/後進", Kind::Button};
    d.parts[8] = {QRect(166, 104, 56, 44), "自動運転", Kind::Lamp};
    addPointColumns(d, 4, 4, 52, 96);
    addTurntable(d, 188);
    d.decorate = [](QPainter& p, const Design& d) {
        nameplate(p, d, QRect(16, 12, 150, 26));
        drawDial(p, d.jogCentre, 62, d.rest, d.rest - d.end, d.colours, "");
    };
    return d;
}

Design steamDesign()
{
    Design d;
    d.title = "ＳＬ鉄道模型";
    d.size = QSize(380, 230);
    d.colours = {QColor(128, 78, 40),  QColor(72, 40, 18),    QColor(40, 22, 8),
                 QColor(212, 170, 80), QColor(40, 20, 0),     QColor(250, 220, 120),
                 QColor(60, 10, 0),    QColor(236, 226, 196), QColor(60, 30, 10),
                 QColor(180, 140, 50), "Noto Serif CJK JP"};
    d.jogCentre = QPointF(86, 116);
    d.jogRadius = 40;
    d.rest = kRest, d.end = kEnd, d.running = kRunning;
    d.parts[2] = {QRect(26, 56, 120, 120), "", Kind::None};
    d.parts[9] = {QRect(74, 104, 24, 24), "", Kind::None};
    d.parts[1] = {QRect(158, 12, 56, 26), "終了", Kind::Button};
    d.parts[3] = {QRect(158, 50, 56, 36), "前進/後進", Kind::Button};
    d.parts[7] = {QRect(158, 94, 56, 30), "ポイント4", Kind::Button};
    d.parts[8] = {QRect(158, 130, 56, 46), "自動運転", Kind::Lamp};
    addPointModules(d, 3, 4, 52, 96);
    addTurntable(d, 186);
    d.decorate = [](QPainter& p, const Design& d) {
        nameplate(p, d, QRect(16, 12, 140, 26));
        // Rivets along the rim.
        p.save();
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        const QRect body = bodyRect(d);
        for (int x = 20; x < body.right() - 24; x += 30)
            for (int y : {6, body.bottom() - 10}) {
                p.setBrush(d.colours.button.darker(140));
                p.drawEllipse(QRectF(x, y, 5, 5));
            }
        p.restore();
        drawDial(p, d.jogCentre, 60, d.rest, 4.712385, d.colours, "発車/停止");
    };
    return d;
}

Design design(int number)
{
    switch (number) {
    case 1:
        return standardDesign();
    case 2:
        return cabDesign();
    case 3:
        return dialDesign();
    default:
        return steamDesign();
    }
}

QImage render(const Design& d, bool lit)
{
    QImage img(d.size, QImage::Format_RGB888);
    img.fill(kKey);
    QPainter p(&img);
    drawBody(p, bodyRect(d), d.colours, 14);
    drawModules(p, d);
    drawTray(p, d);
    if (d.decorate)
        d.decorate(p, d);
    for (int i = 1; i < kRoles; ++i) {
        const Part& part = d.parts[size_t(i)];
        if (part.kind == Kind::Button)
            drawButton(p, part.rect, d.colours, part.label, lit);
        else if (part.kind == Kind::Lamp)
            drawLamp(p, part.rect, d.colours, part.label, lit);
    }
    return img;
}

// The rotated handle of the dial skin: a pointer bar across a knurled disc.
QImage dialHandle(const Design& d)
{
    const int side = 100;
    QImage img(side, side, QImage::Format_RGB888);
    img.fill(Qt::black);
    QPainter p(&img);
    QRadialGradient g(QPointF(side * 0.4, side * 0.4), side * 0.6);
    g.setColorAt(0, QColor(110, 110, 120));
    g.setColorAt(1, QColor(40, 40, 48));
    p.setPen(QPen(QColor(20, 20, 24), 2));
    p.setBrush(g);
    p.drawEllipse(QRectF(6, 6, side - 12, side - 12));
    p.setBrush(d.colours.lit);
    p.setPen(Qt::NoPen);
    // Points along +x: the panel turns it to the jog angle.
    p.drawRect(QRectF(side / 2.0, side / 2.0 - 4, side / 2.0 - 10, 8));
    return img;
}

bool writePicture(const QImage& image, const QString& path, std::string& error)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    common::Bitmap bmp;
    bmp.width = rgb.width();
    bmp.height = rgb.height();
    bmp.bgr.resize(size_t(bmp.stride()) * size_t(bmp.height));
    for (int y = 0; y < bmp.height; ++y) {
        const uchar* row = rgb.constScanLine(y);
        for (int x = 0; x < bmp.width; ++x) {
            uint8_t* px = bmp.pixel(x, y);
            px[0] = row[3 * x + 2];
            px[1] = row[3 * x + 1];
            px[2] = row[3 * x];
        }
    }
    if (!common::writeBitmap(path.toStdString(), bmp)) {
        error = "cannot write " + path.toStdString();
        return false;
    }
    return true;
}

QString pair(QPoint p)
{
    return QString("%1,%2").arg(p.x()).arg(p.y());
}

} // namespace

bool writeSkin(int number, const std::string& folder, std::string& error)
{
    const Design d = design(number);
    const QString dir = QString::fromStdString(folder);
    if (!QDir().mkpath(dir)) {
        error = "cannot create " + folder;
        return false;
    }
    const QImage off = render(d, false);
    const QImage on = render(d, true);
    QString ini = "; " + d.title + "\n[CONTROL]\n";
    ini += "POSITION0=0,0\n";
    if (!writePicture(off, dir + "/control0.bmp", error))
        return false;
    for (int i = 1; i < kRoles; ++i) {
        const Part& part = d.parts[size_t(i)];
        if (part.rect.isEmpty()) {
            ini += QString("POSITION%1=-1,-1\n").arg(i);
            continue;
        }
        ini += QString("POSITION%1=%2\n").arg(i).arg(pair(part.area().topLeft()));
        QImage picture = (i == 2 ? off : on).copy(part.area());
        if (i == 9)
            picture = d.lever ? makeLeverHandle(part.rect.size(), QColor(200, 60, 40))
                              : makeKnob(part.rect.width(), d.colours.knob);
        if (!writePicture(picture, dir + QString("/control%1.bmp").arg(i), error))
            return false;
    }
    ini += QString("JOG_RADIUS=%1\n").arg(d.jogRadius);
    ini += QString("JOG_POSITION=%1\n").arg(pair(d.jogCentre.toPoint()));
    ini += QString("JOG_ANGLE=%1,%2,%3\n")
               .arg(d.rest, 0, 'f', 7)
               .arg(d.end, 0, 'f', 7)
               .arg(d.running, 0, 'f', 7);
    if (d.rotatedHandle) {
        if (!writePicture(dialHandle(d), dir + "/handle.bmp", error))
            return false;
        ini += "JOG_HANDLE=handle.bmp\nJOG_RGN=";
        const int n = 16;
        for (int k = 0; k < n; ++k) {
            const double a = 2 * M_PI * k / n;
            ini += QString("%1%2,%3")
                       .arg(k ? "," : "")
                       .arg(int(d.jogCentre.x() + 52 * std::cos(a)))
                       .arg(int(d.jogCentre.y() - 52 * std::sin(a)));
        }
        ini += "\n";
    }
    const QByteArray text = ini.toUtf8();
    if (!common::writeFileAtomic((dir + "/control.ini").toStdString(),
                                 std::string(text.constData(), size_t(text.size())))) {
        error = "cannot write control.ini in " + folder;
        return false;
    }
    return true;
}

} // namespace mkskin
