#pragma once
// The 4:3 rectangle the user drags over a freshly opened picture to choose
// the part that Resize keeps. Positions are in shown (scaled) pixels.
#include "planwerk/picture/picture_geometry.h"

namespace planwerk {

class TrimRectangle {
public:
    enum State { Idle = 0, Started = 1, Dragging = 2, Finished = 3 };

    // What the view must draw after an event.
    struct Redraw {
        bool repaint = false;       // repaint the whole view first
        bool erasePrevious = false; // invert `previous` once more to erase it
        PictureRect previous;
        bool drawCurrent = false; // invert `current`
        PictureRect current;
    };

    Redraw press(int x, int y);
    Redraw move(int x, int y);
    Redraw release(int x, int y);
    void reset() { state_ = Idle; }

    State state() const { return state_; }
    bool finished() const { return state_ == Finished; }
    // Start corner and the corner opposite, as dragged (not normalised).
    PicturePoint start() const { return start_; }
    PicturePoint end() const { return end_; }
    // The rectangle as shown, normalised to positive width and height.
    PictureRect shown() const;

private:
    Redraw follow(int x, int y, State next);

    State state_ = Idle;
    PicturePoint start_;
    PicturePoint end_;
};

// The part of the picture a finished trim rectangle covers, from shown
// pixels at `scale` percent back to picture pixels.
PictureRect trimToSource(const TrimRectangle& trim, int scale);

} // namespace planwerk
