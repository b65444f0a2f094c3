#include "vardo/app/command_line.h"

namespace vardo {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Text between double quotes (an unterminated quote runs to the end).
std::vector<bool> quotedMask(std::string_view line)
{
    std::vector<bool> quoted(line.size(), false);
    bool inside = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') {
            quoted[i] = true;
            inside = !inside;
            continue;
        }
        quoted[i] = inside;
    }
    return quoted;
}

// The first place where the switch starts a word outside quotes.
size_t findSwitch(std::string_view line, const std::vector<bool>& quoted, std::string_view name)
{
    for (size_t at = line.find(name); at != std::string_view::npos; at = line.find(name, at + 1)) {
        if (quoted[at])
            continue;
        if (at == 0 || isBlank(line[at - 1]))
            return at;
    }
    return std::string_view::npos;
}

// The path after "-i": quoted up to the closing quote (or the end of the
// line), else up to the next blank. Blanks between the switch and the path
// are skipped, as separate arguments arrive that way; a following switch is
// not taken as the path.
std::string videoPathAt(std::string_view line, size_t from)
{
    size_t i = from;
    bool separated = false;
    while (i < line.size() && isBlank(line[i])) {
        ++i;
        separated = true;
    }
    if (i >= line.size())
        return {};
    if (line[i] == '"') {
        size_t close = line.find('"', i + 1);
        if (close != std::string_view::npos)
            return std::string(line.substr(i + 1, close - i - 1));
        // Unterminated: the rest of the line, without the blanks that end it.
        std::string_view path = line.substr(i + 1);
        while (!path.empty() && isBlank(path.back()))
            path.remove_suffix(1);
        return std::string(path);
    }
    if (separated && line[i] == '-')
        return {};
    size_t end = i;
    while (end < line.size() && !isBlank(line[end]))
        ++end;
    return std::string(line.substr(i, end - i));
}

bool hasBlank(std::string_view text)
{
    for (char c : text) {
        if (isBlank(c))
            return true;
    }
    return false;
}

std::string quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

} // namespace

CommandLine parseCommandLine(std::string_view line)
{
    CommandLine result;
    std::vector<bool> quoted = quotedMask(line);
    if (size_t at = findSwitch(line, quoted, "-i"); at != std::string_view::npos)
        result.videoPath = videoPathAt(line, at + 2);
    result.openEditor = findSwitch(line, quoted, "-e") != std::string_view::npos;
    result.openSdk = findSwitch(line, quoted, "-s") != std::string_view::npos;
    return result;
}

std::string joinCommandLine(const std::vector<std::string>& args)
{
    std::string line;
    for (const std::string& arg : args) {
        if (!line.empty())
            line += ' ';
        std::string_view a = arg;
        if (a.size() > 2 && a.substr(0, 2) == "-i" && hasBlank(a.substr(2)))
            line += "-i" + quoted(a.substr(2));
        else if (a.empty() || hasBlank(a))
            line += quoted(a);
        else
            line += arg;
    }
    return line;
}

std::string joinCommandLine(int argc, const char* const* argv)
{
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i)
        args.emplace_back(argv[i] ? argv[i] : "");
    return joinCommandLine(args);
}

} // namespace vardo
