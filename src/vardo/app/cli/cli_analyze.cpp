// analyze: runs the detector over the 24-bit BMP frames of a folder (in
// name order) with the layout of the program folder, and prints what each
// analysed frame gave: polygons, object centroid, train position, nearest
// track position and accumulated lap angle.
#include "common/bmp.h"
#include "common/json_text.h"
#include "common/paths.h"
#include "vardo/app/cli/command_options.h"
#include "vardo/app/cli/command_registry.h"
#include "vardo/app/console_frontend.h"
#include "vardo/layout/layout.h"
#include "vardo/vision/detector.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vardo::cli {

namespace {

// Frames flow and nothing runs: no program, no speed control. There is
// no outside program, turntable or parameter dialog to give detection.
class IdleHost : public vision::FrameGate, public vision::ControlSide {
public:
    bool videoRunning() const override { return true; }
    bool simulationMode() const override { return false; }
    vision::DisplayMode displayMode() const override { return vision::DisplayMode::Live; }
    vision::DisplaySubMode displaySubMode() const override
    {
        return vision::DisplaySubMode::Centroid;
    }
    int controllerState() const override { return 0; }
    bool programRunning() const override { return false; }
    // Analysis only: nothing is driven.
    void stopOperation() override {}
    void performAction(int) override {}
    bool speedControlEnabled() const override { return false; }
    void setSpeed(double) override {}
    bool extendedPointMode1() const override { return false; }
};

struct Options {
    std::string folder;
    std::string calibration;
    bool json = false;
    int diffLevel = -1;
    int compareFrame = -1;
    bool noExcept = false;
};

constexpr const char* kUsage =
    "FRAMES_DIR [--calibration FILE] [--json] [--diff-level N] [--compare-frame N] [--no-except]";

// Fills the options; nullopt to go on, else the exit status.
std::optional<int> parseOptions(const std::vector<std::string>& args, Options& o)
{
    CommandOptions options("analyze", kUsage,
                           "Runs detection over the 24-bit bitmaps of a folder, in name order, "
                           "and prints what each analysed frame gave.");
    options.argument("FRAMES_DIR", "the folder of frames (.bmp)");
    options.option("calibration", "FILE", "the calibration to use (.clb)");
    options.flag("json", "one JSON object per frame");
    options.option("diff-level", "N", "the difference threshold, in place of the settings'");
    options.option("compare-frame", "N", "the frame distance compared, in place of the settings'");
    options.flag("no-except", "ignore the exclusion regions");
    if (auto exit = options.parse(args))
        return exit;
    o.folder = options.arguments()[0];
    o.calibration = options.value("calibration");
    o.json = options.isSet("json");
    o.noExcept = options.isSet("no-except");
    if (!options.intValue("diff-level", 0, INT_MAX, o.diffLevel) ||
        !options.intValue("compare-frame", 0, INT_MAX, o.compareFrame))
        return kUsageError;
    return std::nullopt;
}

std::vector<std::string> bitmapFiles(const std::string& folder)
{
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        std::string ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        if (ext == ".bmp" && entry.is_regular_file(ec))
            files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

void printFrame(size_t index, const vision::Detector& detector, const TrainState& train, bool json)
{
    const vision::Point c = detector.objectCentroid();
    const TrainState::Position p = train.position(train.current.load());
    const int nearest = train.nearest.load(), angle = train.accumulatedAngle.load();
    if (!json) {
        std::printf("frame %zu: polygons %d centroid (%d,%d) position (%d,%d) nearest %d "
                    "lapAngle %d\n",
                    index, detector.polygonCount(), c.x, c.y, p.x, p.y, nearest, angle);
        return;
    }
    const common::Json line = {{"frame", index},         {"polygons", detector.polygonCount()},
                               {"centroid", {c.x, c.y}}, {"position", {p.x, p.y}},
                               {"nearest", nearest},     {"lapAngle", angle}};
    std::printf("%s\n", common::jsonText(line).c_str());
}

int analyze(const std::vector<std::string>& args)
{
    Options o;
    if (auto exit = parseOptions(args, o))
        return *exit;
    const std::string folder = common::programFolder();
    const std::string vardoIni = common::joinPath(folder, "VARDO.ini");
    const std::string optionIni = common::joinPath(folder, "option.ini");
    ConsoleFrontend frontend(ConsoleFrontend::Options{Answer::Yes, false, false});
    Settings settings(vardoIni, optionIni);
    layout::Layout layout(frontend);
    layout::LayoutPaths paths;
    paths.programFolder = folder;
    paths.vardoIni = vardoIni;
    paths.optionIni = optionIni;
    if (!layout.load(paths))
        return 1;
    layout.computeHomePositions();

    vision::Calibration calibration(frontend, settings, layout.model());
    calibration.InitCalibration();
    if (!o.calibration.empty() && !calibration.LoadCalibration(o.calibration))
        return 1;

    IdleHost host;
    TrainState train;
    vision::Detector detector(vision::DetectionHost{host, host}, frontend, calibration,
                              layout.model(), train, folder);
    vision::DetectorSettings s = vision::DetectorSettings::read(settings);
    if (o.diffLevel >= 0)
        s.diffLevel = o.diffLevel;
    if (o.compareFrame >= 0)
        s.compareFrame = o.compareFrame;
    if (o.noExcept)
        s.enableExcept = false;
    s.captureFolder.clear(); // never dump the frames being read
    detector.setSettings(s);

    const std::vector<std::string> files = bitmapFiles(o.folder);
    for (size_t i = 0; i < files.size(); ++i) {
        common::Bitmap frame;
        if (!common::readBitmap(files[i], frame)) {
            std::fprintf(stderr, "analyze: %s is not a 24-bit bitmap; skipped\n", files[i].c_str());
            continue;
        }
        const uint64_t before = detector.analysisCount();
        detector.AnalyzeFrame(frame.bgr, frame.width, frame.height);
        if (detector.analysisCount() != before)
            printFrame(i, detector, train, o.json);
    }
    return 0;
}

CommandRegistration reg("analyze", kUsage, &analyze);

} // namespace

} // namespace vardo::cli
