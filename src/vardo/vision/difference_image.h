#pragma once
// The first two passes of detection over a frame: which pixels changed
// since the reference frame, and the erosion that removes specks and thin
// lines. Images are one byte per pixel, rows bottom-up like the frame.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vardo::vision {

// The per-channel threshold: scaled by the frame width, not by 255 (48 at
// width 320 with DIFF_LEVEL 85).
int diffThreshold(int diffLevel, int width);

// out[i] = 1 when any channel of pixel i differs by the threshold or more,
// unless mask (when given) is nonzero there; else 0.
void computeDifference(const uint8_t* frame, const uint8_t* reference, size_t pixels,
                       int threshold, const uint8_t* mask, uint8_t* out);

// Clears the one-pixel border, then keeps an interior pixel only when it
// and its eight neighbours were all 1. scratch is resized as needed.
void erode(uint8_t* image, int width, int height, std::vector<uint8_t>& scratch);

} // namespace vardo::vision
