// sounds: the numbered sound files as Vardo sees them at start-up, and
// playing one of them (or a file) through the real sound engine.
#include "common/json_text.h"
#include "common/paths.h"
#include "common/string_table.h"
#include "vardo/app/cli/command_registry.h"
#include "vardo/app/console_frontend.h"
#include "vardo/devices/sound_engine.h"
#include "vardo/devices/sound_table.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
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

bool parseNumber(const std::string& text, int& value)
{
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && ptr == text.data() + text.size();
}

bool parseOptions(const std::vector<std::string>& args, Options& o)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--json") {
            o.json = true;
        } else if (a == "--loop") {
            o.loop = true;
        } else if (a == "--play" && hasValue) {
            if (!parseNumber(args[++i], o.play) || o.play < 1) {
                std::fprintf(stderr, "sounds: --play wants a sound number from 1\n");
                return false;
            }
        } else if (a == "--play-file" && hasValue) {
            o.file = args[++i];
        } else if (a == "--seconds" && hasValue) {
            char* end = nullptr;
            o.seconds = std::strtod(args[++i].c_str(), &end);
            if (*end || o.seconds < 0) {
                std::fprintf(stderr, "sounds: --seconds wants a number of seconds\n");
                return false;
            }
        } else {
            std::fprintf(stderr, "sounds: unexpected argument '%s'\n", a.c_str());
            return false;
        }
    }
    if (o.play > 0 && !o.file.empty()) {
        std::fprintf(stderr, "sounds: --play and --play-file exclude each other\n");
        return false;
    }
    return true;
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
    if (!parseOptions(args, options))
        return 2;
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
