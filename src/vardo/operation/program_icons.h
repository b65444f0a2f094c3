#pragma once
// The pictures of the program display drawn in code: the command icon strip
// (one 32x32 pictogram per command kind, kind k at x = (k - 1) x 32) in its
// three variants, and the strip of 8-pixel option marks.
#include <QImage>

namespace vardo {

inline constexpr int kIconSize = 32;
inline constexpr int kMarkSize = 8;

enum class IconVariant {
    Plain,     // points as points, no turntable button
    Barrier,   // only the outer loop: the point button drives the barrier
    Turntable, // a turntable layout
};

// Transparent ARGB32, 12 x 32 wide and 32 high. Every variant holds an icon
// for every kind, so a program moved to another layout still draws.
QImage commandIconStrip(IconVariant variant);

// Transparent ARGB32, 88 x 8: stop, forward, backward (0, 8, 16), sound
// stopped and playing (24, 32), relay off and on (16 wide at 40 and 56),
// turntable power off and on (72, 80).
QImage markStrip();

// Mark strip columns.
inline constexpr int kMarkStop = 0;
inline constexpr int kMarkForward = 8;
inline constexpr int kMarkSoundStop = 24;
inline constexpr int kMarkSoundPlay = 32;
inline constexpr int kMarkRelay = 40;
inline constexpr int kMarkPower = 72;

} // namespace vardo
