#include "layout_description.h"

#include <charconv>
#include <sstream>

namespace mklayout {

namespace {

using Words = std::vector<std::string>;

Words splitWords(const std::string& line)
{
    std::string text = line.substr(0, line.find('#'));
    std::istringstream in(text);
    Words words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

template <class T>
bool toNumber(const std::string& word, T& value)
{
    const char* end = word.data() + word.size();
    auto [ptr, ec] = std::from_chars(word.data(), end, value);
    return ec == std::errc() && ptr == end;
}

bool toInt(const std::string& word, int& value) { return toNumber(word, value); }
bool toDouble(const std::string& word, double& value) { return toNumber(word, value); }

// Reads words[first..] as integers, each within its [lo, hi].
bool ints(const Words& words, size_t first, std::initializer_list<std::pair<int, int>> ranges,
          std::vector<int>& values)
{
    if (words.size() != first + ranges.size())
        return false;
    values.clear();
    size_t i = first;
    for (auto [lo, hi] : ranges) {
        int v = 0;
        if (!toInt(words[i++], v) || v < lo || v > hi)
            return false;
        values.push_back(v);
    }
    return true;
}

constexpr std::pair<int, int> kX{0, layoutdata::kPictureWidth - 1};
constexpr std::pair<int, int> kY{0, layoutdata::kPictureHeight - 1};
constexpr std::pair<int, int> kSize{1, 1000};

bool parseOuter(const Words& w, Description& d)
{
    std::vector<int> v;
    if (w.size() < 2 || w[1] != "ellipse" || !ints(w, 2, {kX, kY, kSize, kSize, {1, 50}}, v))
        return false;
    d.outer = Ellipse{v[0], v[1], v[2], v[3], v[4]};
    return true;
}

bool parseHome(const Words& w, Description& d)
{
    std::vector<int> v;
    if (!ints(w, 1, {kX, kY}, v))
        return false;
    d.home = layoutdata::Point{v[0], v[1]};
    return true;
}

bool parseSiding(const Words& w, int line, Description& d)
{
    SidingSpec s;
    s.line = line;
    if (w.size() < 6 || w.size() > 7 || !toInt(w[1], s.direction) || !toDouble(w[2], s.from) ||
        !toDouble(w[3], s.to) || !toInt(w[4], s.offset))
        return false;
    bool ordered = s.direction == 1 ? s.from < s.to : s.direction == 2 && s.from > s.to;
    if (!ordered || s.offset < -200 || s.offset > 200 || (w[5] != "dead" && w[5] != "rejoin"))
        return false;
    s.rejoin = w[5] == "rejoin";
    if (w.size() == 7 && w[6] != "linked")
        return false;
    s.linked = w.size() == 7;
    d.sidings.push_back(s);
    return true;
}

bool parseCrossing(const Words& w, Description& d)
{
    std::vector<int> v;
    if (!ints(w, 1, {kX, kY, {1, 10}}, v))
        return false;
    d.crossings.push_back({{v[0], v[1]}, v[2]});
    return true;
}

bool parseSensor(const Words& w, Description& d)
{
    std::vector<int> v;
    if (!ints(w, 1, {kX, kY, {0, 99}}, v))
        return false;
    d.sensors.push_back({v[0], v[1], v[2]});
    return true;
}

bool parseControl(const Words& w, Description& d)
{
    std::vector<int> v;
    if (!ints(w, 1, {kX, kY, {0, 2}, {0, 8}, {0, 7}, {0, 2}, {0, 3}, {0, 3}, {0, 255}}, v))
        return false;
    if (v[3] > 2 && v[3] < 7)
        return false; // track actions are 0, 1, 2, 7 and 8
    layoutdata::ControlPointRecord c;
    c.x = v[0];
    c.y = v[1];
    c.direction = int16_t(v[2]);
    c.trackAction = uint8_t(v[3]);
    c.point = uint8_t(v[4]);
    c.option = uint8_t(v[5]);
    c.relay = uint8_t(v[6]);
    c.sound = uint8_t(v[7]);
    c.soundNumber = uint8_t(v[8]);
    d.controls.push_back(c);
    return true;
}

bool parseSpur(const Words& w, int line, Description& d)
{
    SidingSpec s;
    s.shape = SidingSpec::Shape::Spur;
    s.line = line;
    std::vector<int> v;
    if (w.size() != 5 || !toInt(w[1], s.direction) || (s.direction != 1 && s.direction != 2) ||
        !toDouble(w[2], s.from) || !ints(Words{w[0], w[3], w[4]}, 1, {kX, kY}, v))
        return false;
    s.end = {v[0], v[1]};
    d.sidings.push_back(s);
    return true;
}

bool parseRadial(const Words& w, int line, Description& d)
{
    std::vector<int> v;
    if (!ints(w, 1, {kX, kY, kX, kY}, v))
        return false;
    SidingSpec s;
    s.shape = SidingSpec::Shape::Radial;
    s.line = line;
    s.start = {v[0], v[1]};
    s.end = {v[2], v[3]};
    d.sidings.push_back(s);
    return true;
}

bool parseTurntable(const Words& w, Description& d)
{
    if (w.size() < 6 || w.size() > 10 || d.turntable)
        return false;
    std::vector<int> v;
    if (!ints(Words(w.begin(), w.begin() + 5), 1, {kX, kY, {1, 200}, {1, 1000000}}, v))
        return false;
    layoutdata::TurntableSettings t;
    t.position = {v[0], v[1]};
    t.size = v[2];
    t.range = v[3];
    for (size_t i = 5; i < w.size(); ++i) {
        int angle = 0;
        if (!toInt(w[i], angle) || angle < -360 || angle > 360)
            return false;
        t.lineAngles.push_back(angle);
    }
    d.turntable = t;
    return true;
}

bool parseRegion(const Words& w, layoutdata::MaskFile& file)
{
    if (w.size() != 9 && w.size() != 10)
        return false;
    std::vector<int> v;
    if (!ints(Words(w.begin(), w.begin() + 9), 1, {kX, kY, kX, kY, kX, kY, kX, kY}, v))
        return false;
    layoutdata::MaskRecord r;
    for (size_t i = 0; i < 4; ++i)
        r.corners[i] = {v[2 * i], v[2 * i + 1]};
    if (w.size() == 10 && (!toInt(w[9], r.width) || r.width < 1 || r.width > 640))
        return false;
    if (file.records.size() >= size_t(layoutdata::kMaxMaskRecords))
        return false;
    file.records.push_back(r);
    return true;
}

bool parseLine(const Words& w, int line, Description& d)
{
    const std::string& item = w[0];
    if (item == "outer")
        return parseOuter(w, d);
    if (item == "home")
        return parseHome(w, d);
    if (item == "siding")
        return parseSiding(w, line, d);
    if (item == "crossing")
        return parseCrossing(w, d);
    if (item == "sensor")
        return parseSensor(w, d);
    if (item == "control")
        return parseControl(w, d);
    if (item == "spur")
        return parseSpur(w, line, d);
    if (item == "radial")
        return parseRadial(w, line, d);
    if (item == "turntable")
        return parseTurntable(w, d);
    if (item == "mask")
        return parseRegion(w, d.masks);
    if (item == "except")
        return parseRegion(w, d.excepts);
    return false;
}

} // namespace

bool parseDescription(const std::string& text, Description& out, std::string& error)
{
    Description d;
    std::istringstream in(text);
    int line = 0;
    for (std::string content; std::getline(in, content);) {
        ++line;
        Words words = splitWords(content);
        if (words.empty())
            continue;
        if (!parseLine(words, line, d)) {
            error = "line " + std::to_string(line) + ": cannot use '" + content + "'";
            return false;
        }
    }
    if (!d.outer) {
        error = "no outer loop described";
        return false;
    }
    out = std::move(d);
    return true;
}

} // namespace mklayout
