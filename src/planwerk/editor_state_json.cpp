#include "planwerk/editor_state_json.h"

#include "common/json_writer.h"

namespace planwerk {

namespace {

using common::JsonWriter;

void point(JsonWriter& w, Point p)
{
    w.beginArray().value(p.x).value(p.y).endArray();
}

void rowJson(JsonWriter& w, const VertexRow& row)
{
    w.beginArray();
    for (int i = 0; i < row.count(); ++i) {
        const VertexRecord& v = row[i];
        w.beginObject()
            .member("x", v.x)
            .member("y", v.y)
            .member("sortKey", v.angle)
            .member("pointMark", int(v.pointMark))
            .member("terminal", int(v.terminal))
            .member("linked", int(v.linked));
        w.key("centre");
        point(w, {v.curveX, v.curveY});
        w.endObject();
    }
    w.endArray();
}

void regions(JsonWriter& w, const char* name, const RegionSet& set)
{
    w.key(name);
    if (!set.present()) {
        w.null();
        return;
    }
    w.beginArray();
    for (int i = 0; i < set.count(); ++i) {
        w.beginObject().key("corners").beginArray();
        for (Point p : set[i].corners)
            point(w, p);
        w.endArray().member("width", set[i].width).endObject();
    }
    w.endArray();
}

void controlPoints(JsonWriter& w, const ControlPointSet& set)
{
    w.key("controlPoints");
    if (!set.present()) {
        w.null();
        return;
    }
    w.beginArray();
    for (int i = 0; i < set.count(); ++i) {
        const auto& c = set[i];
        w.beginObject()
            .member("x", c.x)
            .member("y", c.y)
            .member("direction", int(c.direction))
            .member("trackAction", int(c.trackAction))
            .member("point", int(c.point))
            .member("option", int(c.option))
            .member("relay", int(c.relay))
            .member("sound", int(c.sound))
            .member("soundNumber", int(c.soundNumber))
            .endObject();
    }
    w.endArray();
}

void crossings(JsonWriter& w, const CrossingSet& set)
{
    w.key("crossings");
    if (!set.present()) {
        w.null();
        return;
    }
    w.beginArray();
    for (int i = 0; i < set.count(); ++i) {
        const auto& c = set[i];
        w.beginObject().member("barrier", c.barrier).member("lights", c.lights);
        w.key("arm1").beginArray();
        point(w, c.arm1[0]);
        point(w, c.arm1[1]);
        w.endArray().key("arm2").beginArray();
        point(w, c.arm2[0]);
        point(w, c.arm2[1]);
        w.endArray().key("lamps").beginArray();
        for (Point p : c.lamp)
            point(w, p);
        w.endArray().key("rect").beginArray().value(c.left).value(c.top).value(c.right).value(
            c.bottom);
        w.endArray().member("drive", c.drive).endObject();
    }
    w.endArray();
}

void sensors(JsonWriter& w, const SensorSet& set)
{
    w.key("sensors");
    if (!set.present()) {
        w.null();
        return;
    }
    w.beginArray();
    for (int i = 0; i < set.count(); ++i) {
        w.beginObject()
            .member("x", set[i].x)
            .member("y", set[i].y)
            .member("sensitivity", set[i].sensitivity)
            .endObject();
    }
    w.endArray();
}

} // namespace

std::string editorStateJson(const LayoutEditor& e, int indent)
{
    JsonWriter w(indent);
    w.beginObject()
        .member("mode", modeName(e.mode()))
        .member("selection", e.selection())
        .member("snapshotCount", e.snapshotCount());
    const ModifiedFlags& f = e.modified();
    w.key("modified")
        .beginObject()
        .member("picture", f.picture)
        .member("layout", f.layout)
        .member("mask", f.mask)
        .member("exception", f.exception)
        .member("control", f.control)
        .member("crossing", f.crossing)
        .member("sensor", f.sensor)
        .member("collage", f.collage)
        .member("trainEdit", f.trainEdit)
        .endObject();
    w.key("rows").beginArray();
    rowJson(w, e.row(0));
    rowJson(w, e.row(1));
    w.endArray();
    regions(w, "masks", e.masks());
    regions(w, "exceptions", e.exceptions());
    controlPoints(w, e.controlPoints());
    crossings(w, e.crossings());
    sensors(w, e.sensors());
    w.key("trainRect").beginArray();
    for (Point p : e.trainRect())
        point(w, p);
    w.endArray();
    w.endObject();
    return w.str() + "\n";
}

} // namespace planwerk
