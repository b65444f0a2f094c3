// vardo-run actions: the wiring test of the USB I/O controller. Brings
// Vardo up on the program folder (the board with the layout's points),
// carries out the items in order and shuts everything down.
#include "common/paths.h"
#include "vardo/app/assembly.h"
#include "vardo/app/cli/cli_actions_extended.h"
#include "vardo/app/cli/command_options.h"
#include "vardo/app/cli/command_registry.h"
#include "vardo/app/console_frontend.h"
#include "vardo/app/device_components.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace vardo::cli {

namespace {

struct Item {
    enum class Kind { Action, Relay, Wait } kind;
    int value = 0; // action code, relay number or milliseconds
    bool on = false;
};

struct Request {
    bool hasSpeed = false;
    double speed = 0;
    std::vector<Item> items;
};

bool parseInt(const std::string& text, int low, int high, int& out)
{
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || v < low || v > high)
        return false;
    out = static_cast<int>(v);
    return true;
}

// The items, in order; the options (--speed and the answers) are taken
// out before.
bool parseRequest(const std::vector<std::string>& args, Request& r, std::string& error)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool more = i + 1 < args.size();
        if (a == "--relay" && i + 2 < args.size()) {
            Item item{Item::Kind::Relay};
            const std::string& state = args[i + 2];
            if (!parseInt(args[i + 1], 7, 10, item.value) || (state != "on" && state != "off"))
                return error = "--relay needs a relay 7..10 and on or off", false;
            item.on = state == "on";
            r.items.push_back(item);
            i += 2;
        } else if (a == "--wait" && more) {
            Item item{Item::Kind::Wait};
            if (!parseInt(args[++i], 0, 3600000, item.value))
                return error = "--wait needs milliseconds", false;
            r.items.push_back(item);
        } else {
            Item item{Item::Kind::Action};
            if (!parseInt(a, 0, 12, item.value))
                return error = "not an action code 0..12 or item: " + a, false;
            r.items.push_back(item);
        }
    }
    return true;
}

bool isItemWord(const std::string& arg)
{
    return arg == "--relay" || arg == "--wait" || ExtendedActions::isItemWord(arg);
}

// Items are ordered and some take two values, which an option parser cannot
// keep; so every word that starts an option (and --speed's value) goes to
// the shared option parser, the rest stays in order for the item parsers.
void splitItems(const std::vector<std::string>& args, std::vector<std::string>& options,
                std::vector<std::string>& items)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool negative = a.size() > 1 && a[0] == '-' && std::isdigit((unsigned char)a[1]);
        if (!a.starts_with('-') || negative || isItemWord(a)) {
            items.push_back(a);
            continue;
        }
        options.push_back(a);
        if (a == "--speed" && i + 1 < args.size())
            options.push_back(args[++i]);
    }
}

constexpr const char* kActionsUsage = "[--speed F] [--yes|--no] [--agree] ITEM...";
constexpr const char* kActionsItems =
    "ITEM: an action code 0..12 | --relay N on|off | --wait MS | --turntable T | --reverse | "
    "--sensor I TIMEOUT | --servo-id N | --factory-reset; the last two ask first "
    "(--yes answers).";

// nullopt: go on; otherwise the exit status, the error already printed.
std::optional<int> parseActions(CommandOptions& c, const std::vector<std::string>& args,
                                Request& request, ExtendedActions& extended)
{
    c.argument("ITEM", "what to carry out, in order (see above)", false, true);
    c.option("speed", "F", "the speed for the actions, a fraction from 0 to 1");
    c.answerFlags();
    std::vector<std::string> options, items;
    splitItems(args, options, items);
    if (auto exit = c.parse(options))
        return exit;
    if (c.isSet("speed")) {
        const std::string text = c.value("speed");
        char* end = nullptr;
        request.speed = std::strtod(text.c_str(), &end);
        request.hasSpeed =
            !text.empty() && *end == '\0' && request.speed >= 0 && request.speed <= 1;
        if (!request.hasSpeed)
            return c.usageError("--speed needs a fraction from 0 to 1");
    }
    std::string error;
    if (!extended.takeItems(items, error) || !parseRequest(items, request, error))
        return c.usageError(error);
    if (request.items.empty() && !extended.hasItems())
        return c.usageError("nothing to do");
    return std::nullopt;
}

// Commands written on this thread (the PWM worker's pulses are left out).
class Written {
public:
    void add(const std::string& command)
    {
        if (std::this_thread::get_id() != owner_)
            return;
        std::lock_guard lock(mutex_);
        text_ += (text_.empty() ? "" : " ") + command.substr(0, command.find('\r'));
    }
    std::string take()
    {
        std::lock_guard lock(mutex_);
        std::string out = text_.empty() ? "(nothing written)" : text_;
        text_.clear();
        return out;
    }

private:
    const std::thread::id owner_ = std::this_thread::get_id();
    std::mutex mutex_;
    std::string text_;
};

bool runItem(devices::UsbController& usb, const Item& item, Written& written)
{
    bool ok = true;
    std::string label;
    switch (item.kind) {
    case Item::Kind::Wait:
        std::this_thread::sleep_for(std::chrono::milliseconds(item.value));
        return true;
    case Item::Kind::Action:
        ok = usb.sendAction(item.value);
        label = "action " + std::to_string(item.value);
        break;
    case Item::Kind::Relay:
        ok = usb.setRelay(item.value, item.on);
        label = "relay " + std::to_string(item.value) + (item.on ? " on" : " off");
        break;
    }
    std::printf("%s: %s %s\n", label.c_str(), written.take().c_str(), ok ? "OK" : "no reply");
    std::fflush(stdout);
    return ok;
}

int runActions(const std::vector<std::string>& arguments)
{
    CommandOptions parsed("actions", kActionsUsage,
                          std::string("The wiring test of the USB I/O controller and the "
                                      "extended interface: brings the boards up as Vardo does "
                                      "and carries out the items in order.\n") +
                              kActionsItems);
    Request request;
    ExtendedActions extended;
    if (auto exit = parseActions(parsed, arguments, request, extended))
        return *exit;
    // Ended before the controller, so that no timer reaches it afterwards.
    auto frontend = std::make_unique<ConsoleFrontend>(parsed.answers());
    // The board comes up as Vardo brings it up: with the layout's points,
    // so that their start pulses go out first.
    Written written;
    AssemblyParts parts;
    parts.factories.extended = extendedInterfaceFactory();
    parts.hooks.extendedTraffic = printExtendedTraffic;
    auto rt = std::make_unique<VardoAssembly>(*frontend, common::programFolder(), std::move(parts));
    // Only the board is tested: the simulation that start-up asks for
    // without a camera is not started.
    frontend->setCommandHandler([](int) {});
    devices::UsbController& usb = rt->usb();
    usb.setTrafficObserver([&written](const std::string& c) { written.add(c); });
    if (request.hasSpeed)
        usb.setSpeed(request.speed);
    // Either board is enough: the extended interface alone takes the
    // actions its servos drive.
    const bool started = rt->start() == StartupOutcome::Started;
    if (!started || (!usb.connected() && !rt->extendedInterface()->isOpen())) {
        rt->shutdown();
        frontend.reset();
        return 1;
    }
    std::printf("start-up: %s\n", written.take().c_str());
    if (!extended.start(*frontend, *rt->extendedInterface(), usb, common::programFolder(),
                        request.hasSpeed ? request.speed : 0.0)) {
        rt->shutdown();
        frontend.reset();
        return 1;
    }
    bool allOk = true;
    for (const Item& item : request.items)
        allOk = runItem(usb, item, written) && allOk;
    allOk = extended.run() && allOk;
    extended.close();
    rt->shutdown();
    std::printf("shutdown: %s\n", written.take().c_str());
    frontend.reset();
    return allOk ? 0 : 1;
}

CommandRegistration reg("actions",
                        "[--speed F] [--yes|--no] [--agree] ITEM...  (ITEM: action code 0..12 | "
                        "--relay N on|off | --wait MS | --turntable T | --reverse | "
                        "--sensor I TIMEOUT | --servo-id N --yes | --factory-reset --yes) wiring "
                        "test of the USB I/O controller and the extended interface",
                        &runActions);

} // namespace

} // namespace vardo::cli
