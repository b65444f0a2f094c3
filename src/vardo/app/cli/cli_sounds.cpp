// sounds: the numbered sound files as Vardo sees them at start-up, and
// playing one of them (or a file) through the real sound engine.
#include "common/json_text.h"
#include "common/paths.h"
#include "common/string_table.h"
#include "vardo/app/cli/command_options.h"
#include "vardo/app/cli/command_registry.h"
#include "vardo/app/console_frontend.h"
#include "vardo/devices/sound_engine.h"
#include "vardo/devices/sound_table.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vardo::cli {

namespace {

struct Options {
    bool json = false;
    int play = -1;    // --play N
    std::string file; // --play-file PATH
    bool loop = false;
    double seconds = -1; // --seconds S; < 0: until the end (5 s for a loop)
};

constexpr const char* kUsage = "[--json] | --play N | --play-file PATH [--loop] [--seconds S]";

// nullopt: go on; otherwise the exit status, the error already printed.
std::optional<int> parseOptions(const std::vector<std::string>& args, Options& o)
{
    CommandOptions c("sounds", kUsage, "The sound table as Vardo sees it, or play a sound.");
    c.flag("json", "print the table as JSON");
    c.option("play", "N", "play sound number N through the sound engine");
    c.option("play-file", "PATH", "play this file");
    c.flag("loop", "play in a loop (5 s unless --seconds)");
    c.option("seconds", "S", "stop after S seconds");
    if (auto exit = c.parse(args))
        return exit;
    o.json = c.isSet("json");
    o.loop = c.isSet("loop");
    o.file = c.value("play-file");
    if (c.isSet("play") && !c.intValue("play", 1, 1 << 30, o.play))
        return kUsageError;
    if (c.isSet("seconds")) {
        const std::string text = c.value("seconds");
        char* end = nullptr;
        o.seconds = std::strtod(text.c_str(), &end);
        if (text.empty() || *end || !(o.seconds >= 0))
            return c.usageError("--seconds wants a number of seconds");
    }
    if (o.play > 0 && !o.file.empty())
        return c.usageError("--play and --play-file exclude each other");
    return std::nullopt;
}

struct Entry {
    int number;
    std::string value;
    std::string path;
    bool exists;
};

int listSounds(const Settings& settings, const std::string& folder, bool json)
{
    ConsoleFrontend frontend({});
    const int count = devices::soundCount(settings);
    std::vector<Entry> entries;
    for (int n = 1; n <= count; ++n) {
        Entry e{n, settings.soundFile(n), "", false};
        e.path = devices::resolveSoundPath(e.value, folder);
        e.exists = std::filesystem::exists(e.path);
        if (!e.exists)
            frontend.showMessage(common::msg::SoundFileMissing, Icon::Stop,
                                 {std::to_string(n), e.path});
        entries.push_back(std::move(e));
    }
    const int capacity = devices::soundCapacity(count);
    if (!json) {
        std::printf("count %d\ncapacity %d\n", count, capacity);
        for (const Entry& e : entries)
            std::printf("%d\t%s\t%s\t%s\n", e.number, e.value.c_str(), e.path.c_str(),
                        e.exists ? "exists" : "missing");
        return 0;
    }
    common::Json sounds = common::Json::array();
    for (const Entry& e : entries)
        sounds.push_back(
            {{"number", e.number}, {"value", e.value}, {"path", e.path}, {"exists", e.exists}});
    const common::Json out = {{"count", count}, {"capacity", capacity}, {"sounds", sounds}};
    std::printf("%s\n", common::jsonText(out, 2).c_str());
    return 0;
}

int playSound(const Settings& settings, const std::string& folder, const Options& o)
{
    ConsoleFrontend frontend({});
    devices::SoundEngine engine(settings, frontend, folder);
    if (!engine.InitSound(true)) {
        frontend.showMessage(common::msg::SoundClassInitFailed);
        return 1;
    }
    const int slot = o.file.empty() ? o.play : 0;
    if (slot > 0 && engine.PrepareSound(slot) != 0)
        return 1;
    if (engine.PlaySound(slot, o.loop, o.file) != 0)
        return 1;
    const double limit = o.seconds >= 0 ? o.seconds : (o.loop ? 5.0 : 3600.0);
    const auto end =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(long(limit * 1000));
    while (engine.isPlaying(slot) && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    engine.StopAllSounds();
    return 0;
}

int sounds(const std::vector<std::string>& args)
{
    Options options;
    if (auto exit = parseOptions(args, options))
        return *exit;
    const std::string folder = common::programFolder();
    Settings settings(common::joinPath(folder, "VARDO.ini"),
                      common::joinPath(folder, "option.ini"));
    if (options.play > 0 || !options.file.empty())
        return playSound(settings, folder, options);
    return listSounds(settings, folder, options.json);
}

CommandRegistration reg("sounds",
                        "[--json] | --play N | --play-file PATH [--loop] [--seconds S]  "
                        "the sound table, or play a sound",
                        &sounds);

} // namespace

} // namespace vardo::cli
