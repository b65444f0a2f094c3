#pragma once
// How large a freshly opened picture is shown: it must fit the screen with
// the frame window's borders, menu, tool bar and status bar around it.

namespace planwerk {

struct DisplayScale {
    int width = 0;   // shown width
    int height = 0;  // shown height
    int scale = 100; // percent
};

// Room taken by the frame around the view, in pixels.
inline constexpr int kFrameExtraWidth = 19;
inline constexpr int kFrameExtraHeight = 103;

DisplayScale displayScale(int width, int height, int screenWidth, int screenHeight);

} // namespace planwerk
