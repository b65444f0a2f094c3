#pragma once
// Frames come from the decoder top row first with rows padded to the
// framework's stride; the detector wants them bottom row first and packed.
#include <cstddef>
#include <cstdint>

namespace vardo::vision {

// Copies a top-down BGR24 picture with `stride` bytes per row into `packed`
// (width * height * 3 bytes) as bottom-up rows without padding. False, and
// nothing copied, when the sizes do not fit together.
bool packBottomUp(const uint8_t* topDown, size_t topDownLength, size_t stride, int width,
                  int height, uint8_t* packed, size_t packedLength);

} // namespace vardo::vision
