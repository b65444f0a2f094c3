#pragma once
// The layout as the rest of Vardo asks about it: track positions and their
// links under the current point settings, the points, crossings, sensors,
// control points, regions and the turntable, and the home, front and back
// positions. No picture code lives here (see layout_pictures.h).
#include "common/event.h"
#include "layoutdata/layout_files.h"
#include "vardo/layout/track.h"
#include "vardo/layout/track_links.h"

#include <array>
#include <atomic>
#include <string>
#include <vector>

namespace vardo::layout {

constexpr int kMaxCrossings = layoutdata::kMaxCrossings;
constexpr int kMaxCars = 3;
// Drive numbers that are point outputs (higher ones are option relays).
constexpr int kMaxPointDrive = 6;

struct TurntableData {
    bool present = false;
    int radius = 0;
    int range = 0; // squared distance in pixels
    Point centre{};
    std::vector<int> lineAngles; // degrees, at most 5
    int trackIndex = -1;         // the track the bridge points to
    bool lastReversal = false;   // reversal flag seen at the last drawing
    int approachForward = -1;    // track positions, -1 when the track is too short
    int approachBackward = -1;
};

struct CrossingState {
    layoutdata::CrossingRecord record;
    std::atomic<int> lightState{0}; // 0 off, 1 and 2 while flashing
};

class LayoutModel {
public:
    // ---- building (the loader calls these in its order)
    void setTrack(const layoutdata::PolylineFile& file);
    void setPoints(const layoutdata::PointFile& file);
    // Adds a point (direction, flags and number 0); false when all 8 are used.
    bool addPoint(int x, int y);
    void findJunctions();
    void buildLinks();
    void setTurntable(const layoutdata::TurntableSettings& settings);
    void takeApproachPositions();
    void setCrossings(const layoutdata::CrossingFile& file);
    // A drive number 1..6 above the point count raises it (never beyond 8).
    void raisePointCountForCrossings();

    // ---- the track
    const Track& track() const { return track_; }
    int nearest(int x, int y, int polyline = -1) const { return track_.nearest(x, y, polyline); }
    int previous(int i) const { return links_.previous(i); }
    int next(int i) const { return links_.next(i); }
    const TrackLinks& links() const { return links_; }

    // ---- points
    int pointCount() const { return pointCount_; }
    // Records held (the count may have been raised beyond them).
    int pointRecordCount() const { return pointRecords_; }
    const TrackPoint& point(int k) const { return points_[size_t(k)]; }
    // Switches the links of point k (k below the point count); false when
    // k names no point.
    bool setPointLinks(int k, bool branch);
    bool isBranch(int k) const { return k >= 0 && k < kMaxPoints && branch_[size_t(k)]; }

    // ---- crossings
    int crossingCount() const { return crossingCount_; }
    CrossingState& crossing(int i) { return crossings_[size_t(i)]; }
    const CrossingState& crossing(int i) const { return crossings_[size_t(i)]; }
    bool crossingDrivenBy(int drive) const;
    int crossTime = 8; // tenths of a second

    // ---- other records held as read
    layoutdata::SensorFile sensors;
    layoutdata::ControlPointFile controlPoints;
    bool controlRegion = true;
    common::Event controlPointEvent;
    layoutdata::PolylineFile masks;
    layoutdata::PolylineFile exceptions;
    TurntableData turntable;

    // ---- home, front and back
    struct Positions {
        Point home{};
        Point front{};
        Point back{};
        int homeIndex = -1; // the home point's track position
        int homeOffset = 16;
        int positionRange = 32;
    };
    // The header's home point, when it has one.
    Point headerHome() const { return headerHome_; }
    void computeHomePositions(const std::string& vardoIni, const std::string& optionIni);
    const Positions& positions() const { return positions_; }

    // ---- train figures (run-time flags)
    // [LAYOUT] TRAIN_TYPE as the user chose it: what the train display
    // settings show and write back.
    int trainType = 0;
    // The figure actually drawn (0 photographs, 1 graphic): the graphic one
    // while the photographs cannot be loaded, whatever trainType says. The
    // capture thread reads it while the window may change it.
    std::atomic<int> figureType{0};
    int trainCount = 1;
    // Read by the simulation when it places the cars.
    std::atomic<int> trainConnect{1};
    // Takes the train display choices; the figure falls back to the graphic
    // one when photographs are chosen but not loaded.
    void setTrainDisplay(int type, int count, int connect, bool photosLoaded)
    {
        trainType = type;
        figureType = (type == 0 && !photosLoaded) ? 1 : type;
        trainCount = count;
        trainConnect = connect;
    }
    std::array<bool, kMaxCars> turned{};

private:
    Track track_;
    TrackLinks links_;
    std::array<TrackPoint, kMaxPoints> points_{};
    std::array<bool, kMaxPoints> branch_{};
    int pointCount_ = 0;
    int pointRecords_ = 0;
    std::array<CrossingState, kMaxCrossings> crossings_;
    int crossingCount_ = 0;
    Point headerHome_{};
    Positions positions_;
};

} // namespace vardo::layout
