#include "vardo/app/device_components.h"

#include "vardo/app/rail_system.h"

namespace vardo {

SoundFactory soundEngineFactory()
{
    return [](const ComponentContext& c) -> Made<SoundPort, devices::SoundEngine> {
        // The engine keeps a reference to the settings: the assembly's own.
        if (!c.settings)
            return nullptr;
        return std::make_unique<devices::SoundEngine>(*c.settings, c.frontend,
                                                      c.rail.programFolder());
    };
}

ExtendedFactory extendedInterfaceFactory(devices::ExtendedTiming timing)
{
    return [timing](const ComponentContext& c) -> Made<ExtendedPort, devices::ExtendedInterface> {
        // The interface opens its own port only through the assembly's opener.
        if (!c.portOpener)
            return nullptr;
        return std::make_unique<devices::ExtendedInterface>(c.frontend, *c.portOpener,
                                                            c.rail.settings(), timing);
    };
}

AssemblyFactories deviceFactories(devices::ExtendedTiming timing)
{
    AssemblyFactories f;
    f.sound = soundEngineFactory();
    f.extended = extendedInterfaceFactory(timing);
    return f;
}

} // namespace vardo
