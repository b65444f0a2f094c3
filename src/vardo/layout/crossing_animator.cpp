#include "vardo/layout/crossing_animator.h"

#include "common/bmp.h"
#include "common/paths.h"

#include <QPainter>
#include <cmath>

namespace vardo::layout {

namespace {

const QColor kArmColour(205, 178, 96);
const QColor kStripeColour(200, 0, 0);

QPoint toQ(const Point& p) { return {p.x, p.y}; }

// Both arms and their red stripes (every other sixteenth of the arm).
void drawClosedArms(QPainter& painter, const layoutdata::CrossingRecord& c, QPoint offset)
{
    for (const auto& arm : {c.arm1, c.arm2}) {
        QPointF from = toQ(arm[0]) + offset;
        QPointF to = toQ(arm[1]) + offset;
        painter.setPen(QPen(kArmColour, 2));
        painter.drawLine(from, to);
        painter.setPen(QPen(kStripeColour, 2, Qt::SolidLine, Qt::FlatCap));
        for (int s = 0; s < 8; ++s) {
            double a = (2 * s + 1) / 16.0, b = (2 * s + 2) / 16.0;
            painter.drawLine(from + (to - from) * a, from + (to - from) * b);
        }
    }
}

} // namespace

CrossingAnimator::CrossingAnimator(LayoutModel& model, LayoutPictures& pictures)
    : model_(model), pictures_(pictures)
{
}

CrossingAnimator::~CrossingAnimator() { stop(); }

void CrossingAnimator::buildPictures(const std::string& layoutFolder)
{
    std::lock_guard lock(pictures_.mutex());
    const QRect whole(0, 0, kPictureWidth, kPictureHeight);
    for (int i = 0; i < model_.crossingCount(); ++i) {
        const auto& c = model_.crossing(i).record;
        pairs_[size_t(i)] = QImage();
        rects_[size_t(i)] = QRect(QPoint(c.left, c.top), QPoint(c.right, c.bottom)) & whole;
        const QRect r = rects_[size_t(i)];
        if (!c.barrier || r.isEmpty())
            continue;
        QImage pair(r.width(), 2 * r.height(), QImage::Format_RGB888);
        QPainter painter(&pair);
        painter.drawImage(QPoint(0, 0), pictures_.layout(), r);
        common::Bitmap closed;
        std::string name = "cross" + std::to_string(i + 1) + ".bmp";
        if (common::readBitmap(common::joinPath(layoutFolder, name), closed)) {
            painter.drawImage(QPoint(0, r.height()), imageFromBitmap(closed));
        } else {
            painter.drawImage(QPoint(0, r.height()), pictures_.layout(), r);
            drawClosedArms(painter, c, QPoint(-r.left(), r.height() - r.top()));
        }
        painter.end();
        pairs_[size_t(i)] = pair;
    }
}

void CrossingAnimator::drive(int number, bool closed, Frontend* frontend)
{
    for (int i = 0; i < model_.crossingCount(); ++i) {
        CrossingState& c = model_.crossing(i);
        if (c.record.drive != number)
            continue;
        if (c.record.lights) {
            if (closed) {
                if (frontend)
                    frontend->startTimer(kCrossingTimerBase + i, kCrossingTimerInterval);
            } else {
                if (frontend)
                    frontend->killTimer(kCrossingTimerBase + i);
                c.lightState = 0;
                drawLights(i, 0);
            }
        }
        if (c.record.barrier && !pairs_[size_t(i)].isNull())
            startBarrier(i, closed);
    }
}

bool CrossingAnimator::onTimer(int timerId)
{
    int i = timerId - kCrossingTimerBase;
    if (i < 0 || i >= model_.crossingCount())
        return false;
    CrossingState& c = model_.crossing(i);
    int state = c.lightState == 1 ? 2 : 1;
    c.lightState = state;
    drawLights(i, state);
    return true;
}

void CrossingAnimator::drawLights(int i, int state)
{
    const auto& lamp = model_.crossing(i).record.lamp;
    auto colourOf = [state](int light) {
        bool odd = light % 2 == 0; // lights 1 and 3
        bool lit = (state == 1 && odd) || (state == 2 && !odd);
        return lit ? QColor(255, 0, 0) : QColor(0, 0, 0);
    };
    auto paint = [&](QPainter& painter) {
        painter.setPen(Qt::NoPen);
        for (int light = 0; light < 4; ++light) {
            painter.setBrush(colourOf(light));
            painter.drawEllipse(QRect(lamp[size_t(light)].x - 2, lamp[size_t(light)].y - 2, 4, 4));
        }
    };
    std::lock_guard lock(pictures_.mutex());
    QPainter onLayout(&pictures_.layout());
    paint(onLayout);
    onLayout.end();
    QPainter onDisplay;
    if (pictures_.beginDisplayPainter(onDisplay))
        paint(onDisplay);
}

void CrossingAnimator::endWorker(Worker& worker)
{
    if (!worker.thread.joinable())
        return;
    worker.stop = true;
    worker.wake.set();
    worker.thread.join();
}

void CrossingAnimator::startBarrier(int i, bool closed)
{
    Worker& worker = workers_[size_t(i)];
    endWorker(worker); // a new movement replaces one still running
    worker.stop = false;
    worker.wake.reset();
    worker.thread = std::thread([this, i, closed] { animate(i, closed); });
}

void CrossingAnimator::animate(int i, bool closed)
{
    Worker& worker = workers_[size_t(i)];
    const int pause = model_.crossTime * 100 / kBarrierSteps;
    for (int step = 0; step < kBarrierSteps; ++step) {
        if (worker.stop)
            return;
        revealStep(i, closed, step);
        worker.wake.wait(pause > 0 ? pause : 0);
        if (worker.stop)
            return;
    }
    revealAll(i, closed);
}

void CrossingAnimator::revealStep(int i, bool closed, int step)
{
    const auto& c = model_.crossing(i).record;
    const QRect r = rects_[size_t(i)];
    const int halfTop = closed ? r.height() : 0;
    std::lock_guard lock(pictures_.mutex());
    QPainter painter(&pictures_.layout());
    for (const auto& arm : {c.arm1, c.arm2}) {
        const Point& from = closed ? arm[0] : arm[1];
        const Point& to = closed ? arm[1] : arm[0];
        double length = std::hypot(double(to.x - from.x), double(to.y - from.y));
        int f = int(length / 16 + 0.5);
        int cx = from.x + (to.x - from.x) * step / 8;
        int cy = from.y + (to.y - from.y) * step / 8;
        QRect square = QRect(cx - f, cy - f, 2 * f, 2 * f) & r;
        if (square.isEmpty())
            continue;
        QRect source = square.translated(-r.left(), halfTop - r.top());
        painter.drawImage(square.topLeft(), pairs_[size_t(i)], source);
    }
    painter.end();
    pictures_.copyToDisplay(r);
}

void CrossingAnimator::revealAll(int i, bool closed)
{
    const QRect r = rects_[size_t(i)];
    std::lock_guard lock(pictures_.mutex());
    QPainter painter(&pictures_.layout());
    painter.drawImage(r.topLeft(), pairs_[size_t(i)],
                      QRect(0, closed ? r.height() : 0, r.width(), r.height()));
    painter.end();
    pictures_.copyToDisplay(r);
}

void CrossingAnimator::stop()
{
    for (Worker& w : workers_)
        endWorker(w);
}

void CrossingAnimator::wait()
{
    for (Worker& w : workers_)
        if (w.thread.joinable())
            w.thread.join();
}

} // namespace vardo::layout
