#pragma once
// The real sound engine and extended interface, made by the assembly's
// factories. The window, vardo-run and the tests take them from here; the
// factories hand them over by their own type, which the assembly starts,
// wires and stops.
#include "vardo/app/assembly_parts.h"
#include "vardo/devices/extended_interface.h"
#include "vardo/devices/sound_engine.h"

namespace vardo {

SoundFactory soundEngineFactory();
ExtendedFactory extendedInterfaceFactory(devices::ExtendedTiming timing = {});

// Both real components; the other factories stay empty.
AssemblyFactories deviceFactories(devices::ExtendedTiming timing = {});

} // namespace vardo
