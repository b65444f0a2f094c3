#pragma once
// The real sound engine and extended interface, made by the assembly's
// factories. The window, vardo-run and the tests take them from here; the
// assembly finds them again by type to start, wire and stop them.
#include "vardo/app/assembly_parts.h"
#include "vardo/devices/extended_interface.h"
#include "vardo/devices/sound_engine.h"

namespace vardo {

ComponentFactory<SoundPort> soundEngineFactory();
ComponentFactory<ExtendedPort> extendedInterfaceFactory(devices::ExtendedTiming timing = {});

// Both real components; the other factories stay empty.
AssemblyFactories deviceFactories(devices::ExtendedTiming timing = {});

} // namespace vardo
