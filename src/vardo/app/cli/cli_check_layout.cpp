// check-layout: reads a layout data folder the way Vardo loads it and tells
// what it found, as a readable summary or as JSON for scripts.
#include "common/json_text.h"
#include "common/paths.h"
#include "vardo/app/cli/command_options.h"
#include "vardo/app/cli/command_registry.h"
#include "vardo/base/quiet_frontend.h"
#include "vardo/layout/layout.h"
#include "vardo/layout/layout_folder.h"

#include <cstdio>
#include <string>
#include <vector>

namespace vardo::cli {

namespace {

// Keeps the messages the loader shows; nothing here asks or waits.
class CollectingFrontend : public QuietFrontend {
public:
    using Frontend::showMessage;
    void showMessage(const std::string& text, Icon) override { messages.push_back(text); }
    Answer ask(const std::string& text, Buttons buttons, Icon icon) override
    {
        messages.push_back(text);
        return QuietFrontend::ask(text, buttons, icon);
    }
    bool showNotice(const std::string& text) override
    {
        messages.push_back(text);
        return false;
    }

    std::vector<std::string> messages;
};

// ---- JSON: one function per part, called in order by layoutJson; each
// adds its members to the report object.

using common::Json;

Json pointXY(layoutdata::Point p)
{
    return Json::array({p.x, p.y});
}

void writeTrack(Json& out, const layoutdata::PolylineFile& track)
{
    out["polylines"] = track.polylineCount();
    out["vertexCounts"] = track.vertexCounts;
    out["vertices"] = track.vertices.size();
    out["home"] = track.hasHome() ? pointXY(track.home()) : Json(nullptr);
}

void writePoints(Json& out, const layoutdata::PointFile& points)
{
    Json list = Json::array();
    for (int i = 0; i < points.count; ++i) {
        const auto& p = points.records[size_t(i)];
        list.push_back({{"direction", p.direction},
                        {"terminal", p.terminal},
                        {"linked", p.linked},
                        {"number", p.number},
                        {"x", p.x},
                        {"y", p.y}});
    }
    out["points"] = std::move(list);
}

void writeControlPoints(Json& out, const layoutdata::ControlPointFile& file)
{
    Json list = Json::array();
    for (const auto& c : file.records) {
        list.push_back({{"direction", c.direction},
                        {"x", c.x},
                        {"y", c.y},
                        {"trackAction", c.trackAction},
                        {"point", c.point},
                        {"option", c.option},
                        {"relay", c.relay},
                        {"sound", c.sound},
                        {"soundNumber", c.soundNumber}});
    }
    out["controlPoints"] = std::move(list);
}

void writeSensors(Json& out, const layoutdata::SensorFile& file)
{
    Json list = Json::array();
    for (const auto& s : file.records)
        list.push_back({{"x", s.x}, {"y", s.y}, {"sensitivity", s.sensitivity}});
    out["sensors"] = std::move(list);
}

void writeCrossings(Json& out, const layoutdata::CrossingFile& file)
{
    Json list = Json::array();
    for (const auto& c : file.records) {
        list.push_back({{"barrier", c.barrier},
                        {"lights", c.lights},
                        {"rect", Json::array({c.left, c.top, c.right, c.bottom})},
                        {"drive", c.drive}});
    }
    out["crossings"] = std::move(list);
}

void writeTurntable(Json& out, const layoutdata::TurntableSettings& t)
{
    if (!t.present()) {
        out["turntable"] = nullptr;
        return;
    }
    out["turntable"] = {{"size", t.size},
                        {"range", t.range},
                        {"position", pointXY(t.position)},
                        {"angles", t.lineAngles}};
}

// ---- The loaded model: points with what they link, the links, positions.

void writeModelPoints(Json& out, const layout::LayoutModel& m)
{
    Json list = Json::array();
    for (int i = 0; i < m.pointRecordCount(); ++i) {
        const auto& p = m.point(i);
        list.push_back({{"direction", p.record.direction},
                        {"terminal", p.record.terminal},
                        {"linked", p.record.linked},
                        {"number", p.record.number},
                        {"x", p.record.x},
                        {"y", p.record.y},
                        {"junction", p.junction},
                        {"sidingPosition", p.sidingPosition},
                        {"straight", p.straight}});
    }
    out["points"] = std::move(list);
    out["pointCount"] = m.pointCount();
}

void writeModel(Json& out, const layout::LayoutModel& m)
{
    out["previous"] = m.links().previousLinks();
    out["next"] = m.links().nextLinks();
    const auto& positions = m.positions();
    out["homePoint"] = pointXY(positions.home);
    out["frontPosition"] = pointXY(positions.front);
    out["backPosition"] = pointXY(positions.back);
    out["homeIndex"] = positions.homeIndex;
    Json ends = Json::array();
    for (const auto& end : m.links().sidingEnds())
        ends.push_back(pointXY(end));
    out["sidingEnds"] = std::move(ends);
    const auto& e = m.track().extent();
    out["trackExtent"] = Json::array({e.xmin, e.ymin, e.xmax, e.ymax});
}

// The whole report. Further parts of the layout go in here, in order.
std::string layoutJson(const LayoutFolder& folder, const std::vector<std::string>& messages,
                       const layout::Layout* model)
{
    Json out = Json::object();
    writeTrack(out, folder.track);
    if (model)
        writeModelPoints(out, model->model());
    else
        writePoints(out, folder.points);
    out["masks"] = folder.masks.polylineCount();
    out["exceptions"] = folder.exceptions.polylineCount();
    writeControlPoints(out, folder.controlPoints);
    writeSensors(out, folder.sensors);
    writeCrossings(out, folder.crossings);
    writeTurntable(out, folder.turntable);
    if (model)
        writeModel(out, model->model());
    out["messages"] = messages;
    return common::jsonText(out, 2) + "\n";
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
    CommandOptions options("check-layout", "[DIR] [--json]",
                           "Reads a layout data folder the way Vardo loads it and reports what "
                           "it found.");
    options.argument("DIR", "the layout folder (default: layout in the program folder)", false);
    options.flag("json", "print the report as JSON");
    if (auto exit = options.parse(args))
        return *exit;
    const std::string folderPath = options.arguments().empty()
                                       ? common::joinPath(common::programFolder(), "layout")
                                       : options.arguments()[0];
    CollectingFrontend frontend;
    LayoutFolder folder;
    bool loaded = loadLayoutFolder(folderPath, frontend, folder);
    if (options.isSet("json")) {
        // The model as Vardo builds it; its messages repeat the folder's.
        CollectingFrontend quiet;
        layout::Layout model(quiet);
        const std::string program = common::programFolder();
        bool built = loaded && model.load({program, common::joinPath(program, "VARDO.ini"),
                                           common::joinPath(program, "option.ini"), folderPath});
        if (built)
            model.computeHomePositions();
        std::fputs(layoutJson(folder, frontend.messages, built ? &model : nullptr).c_str(), stdout);
    } else {
        printSummary(folderPath, loaded, folder, frontend.messages);
    }
    return loaded ? 0 : 1;
}

CommandRegistration reg("check-layout", "[DIR] [--json]  read a layout data folder and report it",
                        &checkLayout);

} // namespace

} // namespace vardo::cli
