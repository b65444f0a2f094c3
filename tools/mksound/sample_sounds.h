#pragma once
// The sample sounds, synthesised: samples at kRate, -1..1.
#include "sound_files.h"

#include <vector>

namespace mksound {

// A level-crossing bell: two alternating struck bells, a strike every
// 0.33 s; a whole number of strike pairs, so it repeats without a seam.
std::vector<double> crossingBell();
// A two-tone train horn with a soft attack and release.
std::vector<double> trainHorn();
// A four-note station chime, each note ringing on under the next.
std::vector<double> stationChime();
// A short departure melody for the MIDI sample.
std::vector<Note> departureMelody();

} // namespace mksound
