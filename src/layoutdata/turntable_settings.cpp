#include "common/profile.h"
#include "layoutdata/layout_files.h"

#include <cctype>
#include <climits>

namespace layoutdata {

namespace {

constexpr const char* kSection = "LAYOUT";
constexpr size_t kMaxLineAngles = 5;

// One decimal integer at pos: blanks, optional sign, digits (at least one).
// Values beyond the int range saturate.
bool parseInt(const std::string& text, size_t& pos, int& value)
{
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos])))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        negative = text[pos++] == '-';
    size_t start = pos;
    long long magnitude = 0;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
        if (magnitude <= INT_MAX)
            magnitude = magnitude * 10 + (text[pos] - '0');
        ++pos;
    }
    if (pos == start)
        return false;
    long long v = negative ? -magnitude : magnitude;
    value = v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : int(v);
    return true;
}

} // namespace

std::vector<int> parseIntList(const std::string& text, size_t maxCount)
{
    std::vector<int> values;
    size_t pos = 0;
    while (values.size() < maxCount) {
        int value = 0;
        if (!parseInt(text, pos, value))
            break;
        values.push_back(value);
        while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos])))
            ++pos;
        if (pos >= text.size() || text[pos] != ',')
            break;
        ++pos;
    }
    return values;
}

TurntableSettings readTurntableSettings(const std::string& path)
{
    using common::Profile;
    TurntableSettings settings;
    settings.size = Profile::getInt(path, kSection, "TABLE_SIZE", 0);
    settings.range = Profile::getInt(path, kSection, "TABLE_RANGE", 0);
    auto position = parseIntList(Profile::getString(path, kSection, "TABLE_POSITION", "0,0"), 2);
    if (!position.empty())
        settings.position.x = position[0];
    if (position.size() > 1)
        settings.position.y = position[1];
    settings.lineAngles =
        parseIntList(Profile::getString(path, kSection, "LINE_ANGLE", ""), kMaxLineAngles);
    return settings;
}

} // namespace layoutdata
