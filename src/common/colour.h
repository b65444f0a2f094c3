#pragma once
// Colour settings: "#RRGGBB" (either case) as a colour value with red in the
// low byte, as the settings files and drawing code expect.
#include "common/message_sink.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace common {

// The colour value, or -1 when the text is not exactly "#" and six
// hexadecimal digits.
int32_t parseColour(std::string_view text);

// "#RRGGBB" in upper case.
std::string formatColour(int32_t colour);

inline int colourRed(int32_t c) { return c & 0xFF; }
inline int colourGreen(int32_t c) { return (c >> 8) & 0xFF; }
inline int colourBlue(int32_t c) { return (c >> 16) & 0xFF; }
inline int32_t makeColour(int r, int g, int b) { return r | (g << 8) | (b << 16); }

// Reads a colour key; a bad value is reported (warning icon) and gives -1.
int32_t readColour(MessageSink& sink, const std::string& path, const std::string& section,
                   const std::string& key, const std::string& defaultValue);

} // namespace common
