// calibrate: the calibration run without a window, on a video file. The
// train is started through the controller actions (and the USB I/O
// controller when one is set), the samples come from detection; at the end
// the angle follows the marker when one is given and the calibration is
// saved. Prints the progress as lines.
#include "common/paths.h"
#include "vardo/app/assembly.h"
#include "vardo/app/cli/command_options.h"
#include "vardo/app/cli/command_registry.h"
#include "vardo/app/console_frontend.h"
#include "vardo/vision/calibration_record.h"
#include "vardo/vision/video_gst_backend.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <thread>

namespace vardo::cli {

namespace {

struct CalibrateOptions {
    std::string video;
    std::string out;
    bool marker = false;
    int markerX = 0;
    int markerY = 0;
    int seconds = 300;
};

bool parseNumber(std::string_view text, int& out)
{
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && p == end;
}

bool parseMarker(const std::string& text, CalibrateOptions& o)
{
    const size_t comma = text.find(',');
    if (comma == std::string::npos)
        return false;
    const std::string_view all(text);
    o.marker = parseNumber(all.substr(0, comma), o.markerX) &&
               parseNumber(all.substr(comma + 1), o.markerY) && o.markerX >= 0 && o.markerY >= 0;
    return o.marker;
}

constexpr const char* kCalibrateUsage =
    "-i VIDEO --out FILE.clb [--angle-marker X,Y] [--seconds N] [--agree] [--yes|--no]";

// nullopt: go on; otherwise the exit status, the error already printed.
std::optional<int> parseCalibrateOptions(CommandOptions& c, const std::vector<std::string>& args,
                                         CalibrateOptions& o)
{
    c.option("i", "VIDEO", "the video file the calibration run watches");
    c.option("out", "FILE.clb", "where the calibration is saved");
    c.option("angle-marker", "X,Y", "the picture point the angle follows");
    c.option("seconds", "N", "give up after N seconds (default 300)");
    c.answerFlags();
    if (auto exit = c.parse(args))
        return exit;
    if (!c.intValue("seconds", 1, 86400, o.seconds))
        return kUsageError;
    if (c.isSet("angle-marker") && !parseMarker(c.value("angle-marker"), o))
        return c.usageError("--angle-marker needs X,Y");
    o.video = c.value("i");
    o.out = c.value("out");
    if (o.video.empty() || o.out.empty())
        return c.usageError("-i VIDEO and --out FILE.clb are needed");
    return std::nullopt;
}

// The progress dialog as lines on stdout.
class ProgressLines : public vision::CalibrationProgress {
public:
    void open() override { std::printf("calibration started\n"); }
    void setRange(int maximum) override { range_ = maximum; }
    // The run reports its position on every sample; a line only when it moves.
    void setPosition(int position) override
    {
        if (position == shown_)
            return;
        shown_ = position;
        std::printf("progress %d/%d\n", position, range_);
        std::fflush(stdout);
    }
    void close() override { std::printf("calibration ended\n"); }

private:
    int range_ = 0;
    int shown_ = -1;
};

// Runs the calibration until it completes, the time is up or the video
// ends; true when it completed.
bool runCalibration(VardoAssembly& rt, int seconds)
{
    if (!rt.startCalibration())
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (rt.calibrationRunning()) {
        if (std::chrono::steady_clock::now() >= deadline || rt.videoFinished()) {
            rt.abortCalibration();
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    rt.joinCalibration();
    return rt.calibration().calibrated();
}

void applyMarker(vision::Calibration& calibration, int x, int y)
{
    calibration.setMarker(x, y);
    calibration.setAngle(
        vision::markerAngle(x, y, calibration.currentWidth(), calibration.currentHeight()));
}

int calibrate(const std::vector<std::string>& arguments)
{
    CommandOptions parsed("calibrate", kCalibrateUsage,
                          "The calibration run without a window, on a video file; the "
                          "calibration is saved when the run completes.");
    CalibrateOptions options;
    if (auto exit = parseCalibrateOptions(parsed, arguments, options))
        return *exit;
    auto frontend = std::make_unique<ConsoleFrontend>(parsed.answers());
    ProgressLines progress;
    AssemblyParts parts;
    parts.videoBackend = std::make_unique<vision::GstVideoBackend>();
    parts.videoPath = options.video;
    parts.dialogs.calibrationProgress = &progress;
    auto rt = std::make_unique<VardoAssembly>(*frontend, common::programFolder(), std::move(parts));
    const bool started = rt->start() == StartupOutcome::Started && rt->videoOpened();
    const bool completed = started && runCalibration(*rt, options.seconds);
    bool saved = false;
    bool markerInside = true;
    if (completed) {
        vision::Calibration& calibration = rt->calibration();
        // The marker is a point of the picture, as the mouse gives it.
        markerInside = !options.marker || (options.markerX < calibration.currentWidth() &&
                                           options.markerY < calibration.currentHeight());
        if (options.marker && markerInside)
            applyMarker(calibration, options.markerX, options.markerY);
        saved = markerInside && calibration.SaveCalibration(options.out);
        const vision::CalibrationRecord r = calibration.record();
        std::printf("rectangle %d,%d-%d,%d angle %.3f\n", r.left, r.top, r.right, r.bottom,
                    double(r.angle));
    }
    rt->shutdown();
    frontend.reset();
    rt.reset();
    if (!started) {
        std::fprintf(stderr, "vardo-run calibrate: start-up failed\n");
        return 1;
    }
    if (!completed) {
        std::fprintf(stderr, "vardo-run calibrate: the calibration run did not complete\n");
        return 1;
    }
    if (!markerInside)
        std::fprintf(stderr, "vardo-run calibrate: the angle marker lies outside the picture\n");
    return saved ? 0 : 1;
}

CommandRegistration reg("calibrate",
                        "-i VIDEO --out FILE.clb [--angle-marker X,Y] [--seconds N] [--agree]  "
                        "calibration run on a video file",
                        &calibrate);

} // namespace

} // namespace vardo::cli
