// check-layout: reads a layout data folder the way Vardo loads it and tells
// what it found, as a readable summary or as JSON for scripts.
#include "common/json_writer.h"
#include "common/paths.h"
#include "vardo/app/cli/command_registry.h"
#include "vardo/layout/layout.h"
#include "vardo/layout/layout_folder.h"

#include <cstdio>
#include <string>
#include <vector>

namespace vardo::cli {

namespace {

// Keeps the messages the loader shows; nothing here asks or waits.
class CollectingFrontend : public Frontend {
public:
    using Frontend::showMessage;
    void showMessage(const std::string& text, Icon) override { messages.push_back(text); }
    Answer ask(const std::string& text, Buttons buttons, Icon) override
    {
        messages.push_back(text);
        return buttons == Buttons::Ok || buttons == Buttons::OkCancel ? Answer::Cancel : Answer::No;
    }
    bool showNotice(const std::string& text) override
    {
        messages.push_back(text);
        return false;
    }
    bool showDisclaimer() override { return false; }
    void postCommand(int) override {}
    void startTimer(int, int) override {}
    void killTimer(int) override {}
    void requestQuit() override {}
    void redrawPanel() override {}
    void refreshProgram() override {}
    void setCaption(const std::string&) override {}

    std::vector<std::string> messages;
};

struct Options {
    std::string folder;
    bool json = false;
};

bool parseOptions(const std::vector<std::string>& args, Options& options)
{
    bool haveFolder = false;
    for (const auto& arg : args) {
        if (arg == "--json") {
            options.json = true;
        } else if (arg.starts_with("--") || haveFolder) {
            std::fprintf(stderr, "check-layout: unexpected argument '%s'\n", arg.c_str());
            return false;
        } else {
            options.folder = arg;
            haveFolder = true;
        }
    }
    if (!haveFolder)
        options.folder = common::joinPath(common::programFolder(), "layout");
    return true;
}

// ---- JSON: one writer function per part, called in order by layoutJson.

void writePointXY(common::JsonWriter& w, layoutdata::Point p)
{
    w.beginArray().value(p.x).value(p.y).endArray();
}

void writeTrack(common::JsonWriter& w, const layoutdata::PolylineFile& track)
{
    w.member("polylines", track.polylineCount());
    w.key("vertexCounts").beginArray();
    for (int32_t count : track.vertexCounts)
        w.value(count);
    w.endArray();
    w.member("vertices", int64_t(track.vertices.size()));
    w.key("home");
    if (track.hasHome())
        writePointXY(w, track.home());
    else
        w.null();
}

void writePoints(common::JsonWriter& w, const layoutdata::PointFile& points)
{
    w.key("points").beginArray();
    for (int i = 0; i < points.count; ++i) {
        const auto& p = points.records[size_t(i)];
        w.beginObject()
            .member("direction", p.direction)
            .member("terminal", p.terminal)
            .member("linked", p.linked)
            .member("number", p.number)
            .member("x", p.x)
            .member("y", p.y)
            .endObject();
    }
    w.endArray();
}

void writeControlPoints(common::JsonWriter& w, const layoutdata::ControlPointFile& file)
{
    w.key("controlPoints").beginArray();
    for (const auto& c : file.records) {
        w.beginObject()
            .member("direction", c.direction)
            .member("x", c.x)
            .member("y", c.y)
            .member("trackAction", c.trackAction)
            .member("point", c.point)
            .member("option", c.option)
            .member("relay", c.relay)
            .member("sound", c.sound)
            .member("soundNumber", c.soundNumber)
            .endObject();
    }
    w.endArray();
}

void writeSensors(common::JsonWriter& w, const layoutdata::SensorFile& file)
{
    w.key("sensors").beginArray();
    for (const auto& s : file.records)
        w.beginObject()
            .member("x", s.x)
            .member("y", s.y)
            .member("sensitivity", s.sensitivity)
            .endObject();
    w.endArray();
}

void writeCrossings(common::JsonWriter& w, const layoutdata::CrossingFile& file)
{
    w.key("crossings").beginArray();
    for (const auto& c : file.records) {
        w.beginObject().member("barrier", c.barrier).member("lights", c.lights);
        w.key("rect")
            .beginArray()
            .value(c.left)
            .value(c.top)
            .value(c.right)
            .value(c.bottom)
            .endArray();
        w.member("drive", c.drive).endObject();
    }
    w.endArray();
}

void writeTurntable(common::JsonWriter& w, const layoutdata::TurntableSettings& t)
{
    w.key("turntable");
    if (!t.present()) {
        w.null();
        return;
    }
    w.beginObject().member("size", t.size).member("range", t.range);
    w.key("position");
    writePointXY(w, t.position);
    w.key("angles").beginArray();
    for (int angle : t.lineAngles)
        w.value(angle);
    w.endArray().endObject();
}

// ---- The loaded model: points with what they link, the links, positions.

void writeModelPoints(common::JsonWriter& w, const layout::LayoutModel& m)
{
    w.key("points").beginArray();
    for (int i = 0; i < m.pointRecordCount(); ++i) {
        const auto& p = m.point(i);
        w.beginObject()
            .member("direction", p.record.direction)
            .member("terminal", p.record.terminal)
            .member("linked", p.record.linked)
            .member("number", p.record.number)
            .member("x", p.record.x)
            .member("y", p.record.y)
            .member("junction", p.junction)
            .member("sidingPosition", p.sidingPosition)
            .member("straight", p.straight)
            .endObject();
    }
    w.endArray();
    w.member("pointCount", m.pointCount());
}

void writeIndices(common::JsonWriter& w, const char* key, const std::vector<int>& values)
{
    w.key(key).beginArray();
    for (int v : values)
        w.value(v);
    w.endArray();
}

void writeModel(common::JsonWriter& w, const layout::LayoutModel& m)
{
    writeIndices(w, "previous", m.links().previousLinks());
    writeIndices(w, "next", m.links().nextLinks());
    const auto& positions = m.positions();
    w.key("homePoint");
    writePointXY(w, positions.home);
    w.key("frontPosition");
    writePointXY(w, positions.front);
    w.key("backPosition");
    writePointXY(w, positions.back);
    w.member("homeIndex", positions.homeIndex);
    w.key("sidingEnds").beginArray();
    for (const auto& end : m.links().sidingEnds())
        writePointXY(w, end);
    w.endArray();
    const auto& e = m.track().extent();
    w.key("trackExtent")
        .beginArray()
        .value(e.xmin)
        .value(e.ymin)
        .value(e.xmax)
        .value(e.ymax)
        .endArray();
}

// The whole report. Further parts of the layout go in here, in order.
std::string layoutJson(const LayoutFolder& folder, const std::vector<std::string>& messages,
                       const layout::Layout* model)
{
    common::JsonWriter w(2);
    w.beginObject();
    writeTrack(w, folder.track);
    if (model)
        writeModelPoints(w, model->model());
    else
        writePoints(w, folder.points);
    w.member("masks", folder.masks.polylineCount());
    w.member("exceptions", folder.exceptions.polylineCount());
    writeControlPoints(w, folder.controlPoints);
    writeSensors(w, folder.sensors);
    writeCrossings(w, folder.crossings);
    writeTurntable(w, folder.turntable);
    if (model)
        writeModel(w, model->model());
    w.key("messages").beginArray();
    for (const auto& text : messages)
        w.value(text);
    w.endArray();
    w.endObject();
    return w.str() + "\n";
}

// ---- Plain summary.

const char* directionName(uint8_t direction)
{
    switch (direction) {
    case 1:
        return "branches for forward running";
    case 2:
        return "branches for backward running";
    default:
        return "not a working point";
    }
}

const char* trackActionName(uint8_t action)
{
    switch (action) {
    case 0:
        return "no track action";
    case 1:
        return "straight/open";
    case 2:
        return "branch/close";
    case 7:
        return "stop the train";
    case 8:
        return "reverse the train";
    default:
        return "unknown track action";
    }
}

void printTrack(const LayoutFolder& f)
{
    const auto& t = f.track;
    std::printf("Track: %d polyline(s), %zu vertices", t.polylineCount(), t.vertices.size());
    for (size_t i = 0; i < t.vertexCounts.size(); ++i)
        std::printf("%s%s %d", i == 0 ? " (" : ", ", i == 0 ? "outer loop" : "siding",
                    t.vertexCounts[i]);
    std::printf("%s\n", t.vertexCounts.empty() ? "" : ")");
    if (t.hasHome())
        std::printf("Home: (%d, %d)\n", t.home().x, t.home().y);
    else
        std::printf("Home: not marked (derived at start-up)\n");
    std::printf("Picture: %s\n",
                f.pictureRead ? "layout.bmp, 640 x 480" : "none (drawn from the track)");
}

void printPointsAndRegions(const LayoutFolder& f)
{
    std::printf("Points: %d\n", f.points.count);
    for (int i = 0; i < f.points.count; ++i) {
        const auto& p = f.points.records[size_t(i)];
        std::printf("  %d: number %d, %s%s%s, at (%d, %d)\n", i + 1, p.number,
                    directionName(p.direction), p.terminal ? ", ends its siding" : "",
                    p.linked ? ", linked with the next" : "", p.x, p.y);
    }
    std::printf("Masks: %d, exclusion regions: %d\n", f.masks.polylineCount(),
                f.exceptions.polylineCount());
}

void printMarkers(const LayoutFolder& f)
{
    std::printf("Control points: %zu\n", f.controlPoints.records.size());
    for (const auto& c : f.controlPoints.records)
        std::printf("  (%d, %d) direction %d, %s, point %d, option %d relay %d, sound %d #%d\n",
                    c.x, c.y, c.direction, trackActionName(c.trackAction), c.point + 1, c.option,
                    c.relay + 7, c.sound, c.soundNumber);
    std::printf("Sensors: %zu\n", f.sensors.records.size());
    for (const auto& s : f.sensors.records)
        std::printf("  (%d, %d) sensitivity %d\n", s.x, s.y, s.sensitivity);
    std::printf("Crossings: %zu\n", f.crossings.records.size());
    for (const auto& c : f.crossings.records)
        std::printf("  barrier %d, lights %d, rectangle (%d, %d)-(%d, %d), drive %d\n", c.barrier,
                    c.lights, c.left, c.top, c.right, c.bottom, c.drive);
    const auto& t = f.turntable;
    if (!t.present()) {
        std::printf("Turntable: none\n");
        return;
    }
    std::printf("Turntable: radius %d at (%d, %d), range %d, %zu track angle(s):", t.size,
                t.position.x, t.position.y, t.range, t.lineAngles.size());
    for (int angle : t.lineAngles)
        std::printf(" %d", angle);
    std::printf("\n");
}

void printSummary(const std::string& path, bool loaded, const LayoutFolder& f,
                  const std::vector<std::string>& messages)
{
    std::printf("Layout folder: %s\n", path.c_str());
    if (loaded) {
        printTrack(f);
        printPointsAndRegions(f);
        printMarkers(f);
    } else {
        std::printf("layout.dat could not be read: the layout cannot be loaded.\n");
    }
    std::printf("Messages: %zu\n", messages.size());
    for (const auto& text : messages)
        std::printf("  %s\n", text.c_str());
}

int checkLayout(const std::vector<std::string>& args)
{
    Options options;
    if (!parseOptions(args, options))
        return 2;
    CollectingFrontend frontend;
    LayoutFolder folder;
    bool loaded = loadLayoutFolder(options.folder, frontend, folder);
    if (options.json) {
        // The model as Vardo builds it; its messages repeat the folder's.
        CollectingFrontend quiet;
        layout::Layout model(quiet);
        const std::string program = common::programFolder();
        bool built =
            loaded && model.load({program, common::joinPath(program, "VARDO.ini"),
                                  common::joinPath(program, "option.ini"), options.folder});
        if (built)
            model.computeHomePositions();
        std::fputs(layoutJson(folder, frontend.messages, built ? &model : nullptr).c_str(), stdout);
    } else {
        printSummary(options.folder, loaded, folder, frontend.messages);
    }
    return loaded ? 0 : 1;
}

CommandRegistration reg("check-layout", "[DIR] [--json]  read a layout data folder and report it",
                        &checkLayout);

} // namespace

} // namespace vardo::cli
