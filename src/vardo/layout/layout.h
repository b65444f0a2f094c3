#pragma once
// The loaded layout: the model (track, links, points, crossings, turntable,
// home positions) together with its pictures, built from the layout data
// folder in one fixed order at start-up.
#include "vardo/base/frontend.h"
#include "vardo/layout/crossing_animator.h"
#include "vardo/layout/layout_model.h"
#include "vardo/layout/layout_pictures.h"
#include "vardo/layout/train_figures.h"

#include <QImage>
#include <array>
#include <span>
#include <string>

namespace vardo::layout {

struct LayoutPaths {
    std::string programFolder;
    std::string vardoIni;
    std::string optionIni;
    std::string layout; // the layout data folder when not <program folder>/layout

    std::string layoutFolder() const;
    std::string trainFolder() const;
    TrainPaths trainPaths() const;
    Settings settings() const { return Settings(vardoIni, optionIni); }
};

class Layout {
public:
    explicit Layout(Frontend& frontend);
    ~Layout();
    Layout(const Layout&) = delete;
    Layout& operator=(const Layout&) = delete;

    // Builds everything from the layout data folder. False only when
    // layout.dat cannot be read (its message has then been shown).
    bool load(const LayoutPaths& paths);
    // Home point (when the file gave none), front and back positions, and
    // the stop settings read with them.
    void computeHomePositions();

    LayoutModel& model() { return model_; }
    const LayoutModel& model() const { return model_; }
    LayoutPictures& pictures() { return pictures_; }
    TrainFigures& figures() { return figures_; }
    CrossingAnimator& crossings() { return crossings_; }
    const LayoutPaths& paths() const { return paths_; }

    int nearest(int x, int y, int polyline = -1) const { return model_.nearest(x, y, polyline); }
    int previous(int i) const { return model_.previous(i); }
    int next(int i) const { return model_.next(i); }

    // Whether the layout picture is what the view shows; point symbols and
    // crossings are drawn only then.
    void setLayoutOnScreen(bool shown) { layoutOnScreen_ = shown; }

    // Switches point k. With drawing, the symbol is copied, or the
    // crossings driven by number k + 1 are operated instead (branch =
    // closed). False when k names no point.
    bool setPoint(int k, bool branch, bool draw);
    // Operates every crossing driven by the number (1..6 point outputs,
    // 7..10 option relays).
    void crossingDrive(int number, bool closed);
    // Window timers; true when the id was a crossing light timer.
    bool onTimer(int timerId) { return crossings_.onTimer(timerId); }

    // Draws car t at track position b on the picture (the mask clip
    // applied). True when neither end of the figure reached the end of
    // the track.
    bool drawTrainFigure(QImage& picture, int car, int b);
    // The same on the display picture, under its lock.
    bool drawTrainFigure(int car, int b);

    // Draws the turntable bridge towards track i (0-based line angle).
    // In simulation a change of the reversal flag turns the first car
    // standing on the turntable. False when there is no such track.
    bool drawTurntable(int i, bool simulation, bool reversal, std::span<const Point> cars);
    const QImage& turntablePicture() const { return turntablePicture_; }

    // Ends running barrier animations (the system is stopping), or waits
    // for them to finish.
    void stop() { crossings_.stop(); }
    void waitForAnimations() { crossings_.wait(); }

private:
    void loadLayoutPicture();
    void loadTurntable();
    void loadPoints(const layoutdata::PolylineFile& track);
    void buildPointSymbols();
    void loadRecords();
    void loadCrossings();
    bool paintFigure(QPainter& painter, int car, int b);

    Frontend& frontend_;
    LayoutPaths paths_;
    LayoutModel model_;
    LayoutPictures pictures_;
    TrainFigures figures_;
    CrossingAnimator crossings_;
    std::array<QImage, kMaxPoints> symbols_;
    QImage turntablePicture_;
    bool layoutOnScreen_ = true;
};

} // namespace vardo::layout
