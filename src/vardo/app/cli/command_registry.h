#pragma once
// The sub-commands of vardo-run. Each lives in its own file in this folder
// and registers itself with a static VARDO_RUN_COMMAND object.
#include <string>
#include <vector>

namespace vardo::cli {

using CommandFunction = int (*)(const std::vector<std::string>& args);

struct CommandInfo {
    std::string name;
    std::string usage; // one line: arguments and options
    CommandFunction run;
};

std::vector<CommandInfo>& commandRegistry();

struct CommandRegistration {
    CommandRegistration(const char* name, const char* usage, CommandFunction run)
    {
        commandRegistry().push_back({name, usage, run});
    }
};

} // namespace vardo::cli
