#pragma once
// Level crossings on the pictures: the warning lights flashing from a
// 1000 ms window timer (id 7 + crossing index) and the barrier animation,
// which reveals the closed (or open) picture along each arm in 7 steps on a
// short worker thread of its own.
#include "common/event.h"
#include "vardo/base/frontend.h"
#include "vardo/layout/layout_model.h"
#include "vardo/layout/layout_pictures.h"

#include <QImage>
#include <array>
#include <atomic>
#include <string>
#include <thread>

namespace vardo::layout {

constexpr int kCrossingTimerBase = 7;
constexpr int kCrossingTimerInterval = 1000;
constexpr int kBarrierSteps = 7;

class CrossingAnimator {
public:
    CrossingAnimator(LayoutModel& model, LayoutPictures& pictures);
    ~CrossingAnimator();
    CrossingAnimator(const CrossingAnimator&) = delete;
    CrossingAnimator& operator=(const CrossingAnimator&) = delete;

    // Picture pairs (upper half open, lower half closed) for every crossing
    // with barriers; the closed half from cross<i>.bmp in the folder, or
    // drawn when that cannot be read.
    void buildPictures(const std::string& layoutFolder);
    const QImage& picturePair(int i) const { return pairs_[size_t(i)]; }
    QRect crossingRect(int i) const { return rects_[size_t(i)]; }

    // Operates every crossing driven by the number.
    void drive(int number, bool closed, Frontend* frontend);
    // A window timer; true when it was one of the crossing timers.
    bool onTimer(int timerId);
    // Ends running barrier animations at once (the system is stopping).
    void stop();
    // Waits until running barrier animations have finished.
    void wait();

private:
    struct Worker {
        std::thread thread;
        std::atomic<bool> stop{false};
        common::Event wake;
    };

    void drawLights(int i, int state);
    void startBarrier(int i, bool closed);
    void animate(int i, bool closed);
    void revealStep(int i, bool closed, int step);
    void revealAll(int i, bool closed);
    void endWorker(Worker& worker);

    LayoutModel& model_;
    LayoutPictures& pictures_;
    std::array<QImage, kMaxCrossings> pairs_;
    std::array<QRect, kMaxCrossings> rects_;
    std::array<Worker, kMaxCrossings> workers_;
};

} // namespace vardo::layout
