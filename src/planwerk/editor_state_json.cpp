#include "planwerk/editor_state_json.h"

#include "common/json_text.h"

namespace planwerk {

namespace {

using common::Json;

Json point(Point p)
{
    return Json::array({p.x, p.y});
}

Json rowJson(const VertexRow& row)
{
    Json out = Json::array();
    for (int i = 0; i < row.count(); ++i) {
        const VertexRecord& v = row[i];
        out.push_back({{"x", v.x},
                       {"y", v.y},
                       {"sortKey", v.angle},
                       {"pointMark", int(v.pointMark)},
                       {"terminal", int(v.terminal)},
                       {"linked", int(v.linked)},
                       {"centre", point({v.curveX, v.curveY})}});
    }
    return out;
}

// A data set that is absent prints as null, an empty one as [].
template <class Set, class Each> Json setJson(const Set& set, Each each)
{
    if (!set.present())
        return nullptr;
    Json out = Json::array();
    for (int i = 0; i < set.count(); ++i)
        out.push_back(each(set[i]));
    return out;
}

Json regions(const RegionSet& set)
{
    return setJson(set, [](const auto& r) {
        Json corners = Json::array();
        for (Point p : r.corners)
            corners.push_back(point(p));
        return Json{{"corners", corners}, {"width", r.width}};
    });
}

Json controlPoints(const ControlPointSet& set)
{
    return setJson(set, [](const auto& c) {
        return Json{{"x", c.x},
                    {"y", c.y},
                    {"direction", int(c.direction)},
                    {"trackAction", int(c.trackAction)},
                    {"point", int(c.point)},
                    {"option", int(c.option)},
                    {"relay", int(c.relay)},
                    {"sound", int(c.sound)},
                    {"soundNumber", int(c.soundNumber)}};
    });
}

Json crossings(const CrossingSet& set)
{
    return setJson(set, [](const auto& c) {
        Json lamps = Json::array();
        for (Point p : c.lamp)
            lamps.push_back(point(p));
        return Json{{"barrier", c.barrier},
                    {"lights", c.lights},
                    {"arm1", Json::array({point(c.arm1[0]), point(c.arm1[1])})},
                    {"arm2", Json::array({point(c.arm2[0]), point(c.arm2[1])})},
                    {"lamps", lamps},
                    {"rect", Json::array({c.left, c.top, c.right, c.bottom})},
                    {"drive", c.drive}};
    });
}

Json sensors(const SensorSet& set)
{
    return setJson(set, [](const auto& s) {
        return Json{{"x", s.x}, {"y", s.y}, {"sensitivity", s.sensitivity}};
    });
}

} // namespace

std::string editorStateJson(const LayoutEditor& e, int indent)
{
    const ModifiedFlags& f = e.modified();
    Json trainRect = Json::array();
    for (Point p : e.trainRect())
        trainRect.push_back(point(p));
    Json out;
    out["mode"] = modeName(e.mode());
    out["selection"] = e.selection();
    out["snapshotCount"] = e.snapshotCount();
    out["modified"] = {{"picture", f.picture},     {"layout", f.layout},   {"mask", f.mask},
                       {"exception", f.exception}, {"control", f.control}, {"crossing", f.crossing},
                       {"sensor", f.sensor},       {"collage", f.collage}, {"trainEdit", f.trainEdit}};
    out["rows"] = Json::array({rowJson(e.row(0)), rowJson(e.row(1))});
    out["masks"] = regions(e.masks());
    out["exceptions"] = regions(e.exceptions());
    out["controlPoints"] = controlPoints(e.controlPoints());
    out["crossings"] = crossings(e.crossings());
    out["sensors"] = sensors(e.sensors());
    out["trainRect"] = trainRect;
    return common::jsonText(out, indent) + "\n";
}

} // namespace planwerk
