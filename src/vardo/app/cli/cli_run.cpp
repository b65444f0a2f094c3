// vardo-run run: automatic operation without a window. Brings Vardo up on
// the program folder, switches to simulation mode (or, with -i, detects the
// train in a video file), presses the automatic-operation button, runs
// until the program ends, the time is up, the video ends or Ctrl+C, then
// shuts down in order. Prints a trace of what it did.
#include "common/paths.h"
#include "vardo/app/assembly.h"
#include "vardo/app/cli/command_options.h"
#include "vardo/app/cli/command_registry.h"
#include "vardo/app/console_frontend.h"
#include "vardo/app/device_components.h"
#include "vardo/app/rail_system.h"
#include "vardo/app/speech_component.h"
#include "vardo/base/command_ids.h"
#include "vardo/operation/logging_seams.h"
#include "vardo/operation/trace_printer.h"
#include "vardo/vision/video_gst_backend.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <pthread.h>
#include <thread>

namespace vardo::cli {

namespace {

struct RunOptions {
    std::string program;
    std::string video;       // -i: detection on this file instead of simulation
    std::string calibration; // overrides [CALIBRATION] FILE_PATH
    bool simulate = false;
    bool boards = false; // --boards: the simulated run drives the boards too
    int seconds = 0; // 0: no limit
    bool json = false;
    // -s: the outside-program interface; it drives the layout, so no
    // program is started here and the run lasts until the time or Ctrl+C.
    bool sdk = false;
    std::optional<std::string> clipboard; // --clipboard: what command 12 reads
    std::string speechWav; // fed in as if spoken
};

constexpr const char* kRunUsage =
    "[--program FILE] [--simulate [--boards] | -i VIDEO [--calibration FILE.clb]] [--seconds N] "
    "[-s [--clipboard TEXT]] [--json] [--speech-wav FILE.wav] [--agree] [--yes|--no]";

void declareRunOptions(CommandOptions& c)
{
    c.option("program", "FILE", "the program to run (default: the one Vardo loads at start)");
    c.flag("simulate", "run in simulation mode");
    c.flag("boards", "in simulation, still drive the boards (actions and relays)");
    c.option("i", "VIDEO", "detect the train in this video file instead of simulating");
    c.option("calibration", "FILE.clb", "with -i: the calibration to use");
    c.option("seconds", "N", "stop after N seconds (default: no limit)");
    c.flag("s", "open the interface for outside programs; no program is started");
    c.option("clipboard", "TEXT", "with -s: what a program reads from the clipboard");
    c.option("speech-wav", "FILE.wav", "feed this recording in as if spoken");
    c.flag("json", "print the trace as JSON lines");
    c.answerFlags();
}

// nullopt: go on; otherwise the exit status, the error already printed.
std::optional<int> parseRunOptions(CommandOptions& c, const std::vector<std::string>& args,
                                   RunOptions& o)
{
    declareRunOptions(c);
    if (auto exit = c.parse(args))
        return exit;
    if (!c.intValue("seconds", 1, 86400 * 7, o.seconds))
        return kUsageError;
    o.program = c.value("program");
    o.video = c.value("i");
    o.calibration = c.value("calibration");
    o.simulate = c.isSet("simulate");
    o.boards = c.isSet("boards");
    o.sdk = c.isSet("s");
    if (c.isSet("clipboard"))
        o.clipboard = c.value("clipboard");
    o.speechWav = c.value("speech-wav");
    o.json = c.isSet("json");
    if (!o.video.empty() && o.simulate)
        return c.usageError("-i and --simulate exclude each other");
    if (o.video.empty() && !o.calibration.empty())
        return c.usageError("--calibration needs -i");
    if (o.boards && !o.simulate)
        return c.usageError("--boards needs --simulate");
    return std::nullopt;
}

// Ctrl+C and termination, taken by a thread of their own with sigwait: no
// work happens in a signal handler.
class SignalWatcher {
public:
    SignalWatcher()
    {
        sigemptyset(&set_);
        sigaddset(&set_, SIGINT);
        sigaddset(&set_, SIGTERM);
        sigaddset(&set_, SIGUSR1);
        // Blocked before any other thread exists, so every thread inherits it.
        pthread_sigmask(SIG_BLOCK, &set_, nullptr);
        thread_ = std::thread([this] {
            for (;;) {
                int signal = 0;
                if (sigwait(&set_, &signal) != 0 || signal == SIGUSR1)
                    return;
                interrupted_ = true;
            }
        });
    }
    ~SignalWatcher()
    {
        pthread_kill(thread_.native_handle(), SIGUSR1);
        thread_.join();
    }
    bool interrupted() const { return interrupted_; }

private:
    sigset_t set_;
    std::atomic<bool> interrupted_{false};
    std::thread thread_;
};

// The real sound engine when sounds are configured and the real extended
// interface when its port is; otherwise stand-ins that report into the trace.
AssemblyFactories runComponents(TracePrinter& trace)
{
    AssemblyFactories f;
    const SoundFactory engine = soundEngineFactory();
    f.sound = [engine](const ComponentContext& c) -> Made<SoundPort, devices::SoundEngine> {
        if (!c.rail.settings().soundFile(1).empty())
            return engine(c);
        return std::make_unique<LoggingSound>(c.frontend, c.rail.optionIniPath());
    };
    const ExtendedFactory board = extendedInterfaceFactory();
    f.extended = [board,
                  &trace](const ComponentContext& c) -> Made<ExtendedPort, devices::ExtendedInterface> {
        if (devices::ServoSettings::load(c.rail.settings()).comNo != 0)
            return board(c);
        auto ext = std::make_unique<LoggingExtended>(
            c.rail.optionIniPath(), [&trace](const std::string& t) { trace.device("ext", t); });
        ext->setArrival(c.turntableArrived);
        return ext;
    };
    return f;
}

// --speech-wav: the run lasts until the whole recording has been heard and
// every phrase of it carried out on the frontend's thread.
class SpeechFeed {
public:
    // The recording the speech factory made, handed over as it is made.
    void setRecording(WavSpeechInput* wav) { made_ = wav; }
    void attach(VardoAssembly& rt)
    {
        rt_ = &rt;
        if (rt.speech() && rt.speechActive())
            wav_ = made_;
    }
    // On the frontend's thread, around each speech command: once the
    // recording has ended before a round began, that round took its last
    // phrase.
    void beforeRound() { roundAfterEnd_ = ended_.load(); }
    void afterRound()
    {
        if (roundAfterEnd_)
            drained_ = true;
    }
    // True without a recording, or once it is all carried out.
    bool heard()
    {
        if (!wav_)
            return true;
        if (!ended_ && wav_->finished()) {
            ended_ = true;
            // A round that starts now sees every event of the recording.
            rt_->frontend().postCommand(cmd::SpeechEvents);
        }
        return drained_.load();
    }

private:
    VardoAssembly* rt_ = nullptr;
    WavSpeechInput* made_ = nullptr;
    WavSpeechInput* wav_ = nullptr;
    std::atomic<bool> ended_{false};
    std::atomic<bool> drained_{false};
    bool roundAfterEnd_ = false;
};

// --speech-wav: the recording is heard at the speed it was spoken, each
// phrase and the command it ran go into the trace.
void addSpeechWav(AssemblyFactories& f, const std::string& wav, TracePrinter& trace,
                  SpeechFeed& feed)
{
    if (wav.empty())
        return;
    f.speech = speechFactory(
        [wav, &feed] {
            auto input = std::make_unique<WavSpeechInput>(wav, /*paced*/ true);
            feed.setRecording(input.get());
            return input;
        },
        {},
        [&trace](const std::string& phrase, int command) { trace.speech(phrase, command); });
}

AssemblyParts runParts(const RunOptions& options, TracePrinter& trace, TrainState*& trains,
                       SpeechFeed& speech)
{
    AssemblyParts parts;
    if (!options.video.empty())
        parts.videoBackend = std::make_unique<vision::GstVideoBackend>();
    parts.videoPath = options.video;
    parts.calibrationPath = options.calibration;
    parts.programPath = options.program;
    parts.observer = &trace;
    parts.factories = runComponents(trace);
    addSpeechWav(parts.factories, options.speechWav, trace, speech);
    parts.hooks.extendedTraffic = [&trace](const std::string& t) { trace.device("ext", t); };
    parts.sdk.clipboardText = [text = options.clipboard](std::string& out) {
        if (!text)
            return false;
        out = *text;
        return true;
    };
    // Every analysis that ran is a trace line of where the train is.
    parts.hooks.frame = [&trace, &trains](std::span<const uint8_t>, int, int, bool analysed) {
        if (!analysed || !trains)
            return;
        const TrainState::Position p = trains->position(trains->current.load());
        trace.positionChanged(p.x, p.y, trains->nearest.load(),
                              trains->accumulatedAngle.load() / 360);
    };
    return parts;
}

const char* reasonName(EndReason reason)
{
    return reason == EndReason::Emergency ? "emergency" : "program";
}

// Runs until the program has ended (and no next program of a folder run
// follows), the time is up or a signal came. The end reason.
std::string runUntilEnd(VardoAssembly& rt, const RunOptions& options,
                        const SignalWatcher& interrupts, SpeechFeed& speech)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::seconds(options.seconds);
    for (;;) {
        if (interrupts.interrupted())
            return "interrupt";
        if (options.seconds > 0 && Clock::now() >= deadline)
            return "time";
        // Under an outside program's control programs come and go.
        if (options.sdk)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        else if (rt.operation().waitForEnd(50) && !rt.folderRunActive() && speech.heard())
            return reasonName(rt.operation().endReason());
        // No more frames: nothing will move the program on.
        if (rt.video() && rt.videoFinished())
            return "video";
    }
}

int run(const std::vector<std::string>& arguments)
{
    SignalWatcher interrupts;
    CommandOptions parsed("run", kRunUsage,
                          "Automatic operation without a window: runs the program in simulation "
                          "or on a video file and prints a trace of what it did.");
    RunOptions options;
    if (auto exit = parseRunOptions(parsed, arguments, options))
        return *exit;
    ConsoleFrontend::Options frontendOptions = parsed.answers();
    frontendOptions.quiet = true; // messages go into the trace
    auto frontend = std::make_unique<ConsoleFrontend>(frontendOptions);
    TracePrinter trace(stdout, options.json);
    TrainState* trains = nullptr;
    SpeechFeed speech;
    auto rt = std::make_unique<VardoAssembly>(*frontend, common::programFolder(),
                                              runParts(options, trace, trains, speech));
    trains = &rt->trains();
    // The simulation is started here as well as by the command start-up
    // posts without a picture source: that command must not toggle it off.
    VardoAssembly& assembly = *rt;
    frontend->setCommandHandler([&assembly, &speech](int id) {
        if (id == cmd::Simulation) {
            assembly.startSimulation();
        } else if (id == cmd::SpeechEvents) {
            speech.beforeRound();
            assembly.handleCommand(id);
            speech.afterRound();
        } else {
            assembly.handleCommand(id);
        }
    });
    frontend->setMessageObserver([&trace](const std::string& text) { trace.message(text); });
    frontend->setStatusObserver([&trace](const std::string& text) { trace.device("status", text); });
    rt->controller().boardsInSimulation = options.boards;
    rt->usb().setTrafficObserver([&trace](const std::string& text) { trace.device("usb", text); });
    const bool started =
        rt->start(options.sdk ? "-s" : "") == StartupOutcome::Started && rt->programLoaded();
    if (started && !options.speechWav.empty() && !rt->speechActive())
        rt->handleCommand(cmd::SpeechRecognition);
    speech.attach(*rt);
    bool running = false;
    if (rt->video())
        running = started && rt->videoOpened() && rt->calibrationLoaded();
    else
        running = started && rt->startSimulation();
    if (running && !options.sdk)
        running = rt->pressAutoButton();
    std::string reason = "startup";
    if (running)
        reason = runUntilEnd(*rt, options, interrupts, speech);
    else if (started && rt->operation().endReason() == EndReason::SoundFailed)
        reason = "program";
    rt->shutdown();
    // The frontend's event loop ends before the objects its handlers use.
    frontend.reset();
    rt.reset();
    trace.end(reason);
    return reason == "interrupt" ? 130 : reason == "startup" ? 1 : 0;
}

CommandRegistration reg("run",
                        "[--program FILE] [--simulate [--boards] | -i VIDEO [--calibration FILE.clb]] "
                        "[--seconds N] [-s [--clipboard TEXT]] [--json] [--speech-wav FILE.wav] "
                        "[--agree] [--yes|--no]  automatic operation without a window, with a trace",
                        &run);

} // namespace

} // namespace vardo::cli
