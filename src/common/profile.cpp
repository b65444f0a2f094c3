#include "common/profile.h"

#include "common/byte_io.h"
#include "common/text_encoding.h"

#include <cctype>
#include <optional>
#include <string_view>
#include <vector>

namespace common {

namespace {

// One line of the file: its bytes as stored (without the line end), its text
// in UTF-8 for matching, and the line end that followed it.
struct Line {
    std::string raw;
    std::string text;
    std::string end;
};

struct IniFile {
    std::vector<Line> lines;
    bool cp932 = false;
};

std::string_view trim(std::string_view s)
{
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r'))
        --e;
    return s.substr(b, e - b);
}

bool equalsIgnoreCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

IniFile load(const std::string& path)
{
    IniFile file;
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, bytes))
        return file;
    std::string_view all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    file.cp932 = !isValidUtf8(all);
    size_t start = 0;
    while (start < all.size()) {
        size_t nl = all.find('\n', start);
        size_t stop = nl == std::string_view::npos ? all.size() : nl;
        bool crlf = stop > start && all[stop - 1] == '\r';
        Line line;
        line.raw.assign(all.data() + start, stop - start - (crlf ? 1 : 0));
        if (nl != std::string_view::npos)
            line.end.assign(crlf ? "\r\n" : "\n");
        else if (crlf)
            line.end.assign("\r");
        start = nl == std::string_view::npos ? all.size() : nl + 1;
        line.text = file.cp932 ? cp932ToUtf8(line.raw) : line.raw;
        file.lines.push_back(std::move(line));
    }
    return file;
}

// The section name when the line is a section header.
std::optional<std::string_view> sectionName(std::string_view text)
{
    std::string_view t = trim(text);
    if (t.empty() || t.front() != '[')
        return std::nullopt;
    size_t close = t.find(']');
    if (close == std::string_view::npos)
        return trim(t.substr(1));
    return trim(t.substr(1, close - 1));
}

// The key of a key line (text before '='), or nothing for comments and
// lines without '='.
std::optional<std::string_view> keyName(std::string_view text)
{
    std::string_view t = trim(text);
    if (t.empty() || t.front() == ';')
        return std::nullopt;
    size_t eq = t.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return trim(t.substr(0, eq));
}

struct Location {
    int sectionLine = -1;  // header line of the section, -1 when absent
    int keyLine = -1;      // line of the key, -1 when absent
    int lastEntryLine = -1; // last non-blank line of the section
};

Location locate(const IniFile& file, std::string_view section, std::string_view key)
{
    Location loc;
    bool inSection = false;
    for (int i = 0; i < int(file.lines.size()); ++i) {
        const std::string& text = file.lines[size_t(i)].text;
        if (auto name = sectionName(text)) {
            if (inSection)
                break; // only the first section of a name counts
            if (equalsIgnoreCase(*name, trim(section))) {
                inSection = true;
                loc.sectionLine = i;
                loc.lastEntryLine = i;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (!trim(text).empty())
            loc.lastEntryLine = i;
        if (loc.keyLine < 0) {
            auto name = keyName(text);
            if (name && equalsIgnoreCase(*name, trim(key)))
                loc.keyLine = i;
        }
    }
    return loc;
}

std::optional<std::string> findValue(const std::string& path, const std::string& section,
                                     const std::string& key)
{
    IniFile file = load(path);
    Location loc = locate(file, section, key);
    if (loc.keyLine < 0)
        return std::nullopt;
    std::string_view text = file.lines[size_t(loc.keyLine)].text;
    std::string_view value = trim(text.substr(text.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

} // namespace

int Profile::getInt(const std::string& path, const std::string& section, const std::string& key,
                    int defaultValue)
{
    auto value = findValue(path, section, key);
    if (!value)
        return defaultValue;
    std::string_view v = trim(*value);
    bool negative = false;
    size_t i = 0;
    if (i < v.size() && (v[i] == '-' || v[i] == '+'))
        negative = v[i++] == '-';
    long long result = 0;
    for (; i < v.size() && std::isdigit(static_cast<unsigned char>(v[i])); ++i) {
        result = result * 10 + (v[i] - '0');
        if (result > 0xFFFFFFFFLL)
            result = 0xFFFFFFFFLL; // saturate; the value wraps like a 32-bit number
    }
    if (negative)
        result = -result;
    return static_cast<int>(static_cast<uint32_t>(result));
}

std::string Profile::getString(const std::string& path, const std::string& section,
                               const std::string& key, const std::string& defaultValue)
{
    std::string value = findValue(path, section, key).value_or(defaultValue);
    if (value.size() > kMaxString) {
        // Cut on a character boundary so the result stays valid UTF-8.
        size_t cut = kMaxString;
        while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80)
            --cut;
        value.resize(cut);
    }
    return value;
}

bool Profile::hasKey(const std::string& path, const std::string& section, const std::string& key)
{
    return findValue(path, section, key).has_value();
}

bool Profile::writeString(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& value)
{
    IniFile file = load(path);
    // New lines end like the file's first line. A lone CR (a last line cut
    // short) ends no line for the reader, so lines written after it take
    // CR LF; otherwise the new entry would run into the line before it.
    std::string newline = "\n";
    if (!file.lines.empty() && !file.lines.front().end.empty())
        newline = file.lines.front().end == "\r" ? "\r\n" : file.lines.front().end;
    auto endBeforeNewLine = [&](Line& line) {
        if (line.end.empty() || line.end == "\r")
            line.end = newline;
    };
    auto encode = [&](const std::string& text) { return file.cp932 ? utf8ToCp932(text) : text; };

    Line entry{encode(key + "=" + value), key + "=" + value, newline};
    Location loc = locate(file, section, key);
    if (loc.keyLine >= 0) {
        entry.end = file.lines[size_t(loc.keyLine)].end;
        if (entry.end.empty())
            entry.end = newline;
        file.lines[size_t(loc.keyLine)] = entry;
    } else if (loc.sectionLine >= 0) {
        endBeforeNewLine(file.lines[size_t(loc.lastEntryLine)]);
        file.lines.insert(file.lines.begin() + loc.lastEntryLine + 1, entry);
    } else {
        if (!file.lines.empty())
            endBeforeNewLine(file.lines.back());
        std::string header = "[" + section + "]";
        file.lines.push_back(Line{encode(header), header, newline});
        file.lines.push_back(entry);
    }

    std::string out;
    for (const Line& line : file.lines)
        out += line.raw + line.end;
    return writeFileAtomic(path, out);
}

bool Profile::writeInt(const std::string& path, const std::string& section, const std::string& key,
                       int value)
{
    return writeString(path, section, key, std::to_string(value));
}

} // namespace common
