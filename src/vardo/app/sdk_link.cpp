#include "vardo/app/sdk_link.h"

#include "vardo/app/assembly.h"
#include "vardo/base/command_ids.h"

namespace vardo {

namespace {

devices::SdkSettings linkSettings(const Settings& settings)
{
    devices::SdkSettings s;
    s.commIntervalMs = settings.getInt(SettingId::ApiCommInterval);
    // VARDO.ini may be edited while Vardo runs: the next wait takes it.
    s.commInterval = [&settings] { return settings.getInt(SettingId::ApiCommInterval); };
    return s;
}

} // namespace

SdkLink::SdkLink(VardoAssembly& assembly, const AssemblySdkHooks& hooks)
    : calls_([&frontend = assembly.frontend()] { frontend.postCommand(cmd::SdkCalls); }),
      host_(assembly, hooks, calls_), sdk_(host_, linkSettings(assembly.settings()))
{
}

} // namespace vardo
