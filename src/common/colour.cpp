#include "common/colour.h"

#include "common/profile.h"
#include "common/string_table.h"

#include <cstdio>

namespace common {

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

int32_t parseColour(std::string_view text)
{
    if (text.size() != 7 || text[0] != '#')
        return -1;
    int v[6];
    for (int i = 0; i < 6; ++i) {
        v[i] = hexDigit(text[size_t(i) + 1]);
        if (v[i] < 0)
            return -1;
    }
    return makeColour(v[0] * 16 + v[1], v[2] * 16 + v[3], v[4] * 16 + v[5]);
}

std::string formatColour(int32_t colour)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", colourRed(colour), colourGreen(colour),
                  colourBlue(colour));
    return buffer;
}

int32_t readColour(MessageSink& sink, const std::string& path, const std::string& section,
                   const std::string& key, const std::string& defaultValue)
{
    std::string text = Profile::getString(path, section, key, defaultValue);
    int32_t colour = parseColour(text);
    if (colour < 0)
        sink.showMessage(formatMessage(msg::IniSettingError, {section, key}), Icon::Warning);
    return colour;
}

} // namespace common
