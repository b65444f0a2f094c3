#include "program_description.h"

#include <map>
#include <sstream>
#include <vector>

namespace mkprogram {

namespace {

int kindByName(const std::string& name)
{
    for (int k = 1; k <= vardo::kLastCommandKind; ++k) {
        if (name == vardo::commandKindName(k))
            return k;
    }
    return -1;
}

bool toInt(const std::string& text, int low, int high, int& out)
{
    try {
        size_t used = 0;
        const int v = std::stoi(text, &used);
        if (used != text.size() || v < low || v > high)
            return false;
        out = v;
        return true;
    } catch (...) {
        return false;
    }
}

struct Builder {
    vardo::Program& program;
    std::map<std::string, int> labels;
    std::vector<std::pair<int, std::string>> links; // slot, target label
    int last = -1;
    bool pendingNew = false;

    std::string command(std::istringstream& in, const std::string& first)
    {
        std::string word = first;
        std::string label;
        if (!word.empty() && word[0] == '@') {
            label = word.substr(1);
            if (label.empty() || labels.count(label))
                return "label missing or used twice";
            if (!(in >> word))
                return "a label needs a command";
        }
        bool newChain = pendingNew;
        pendingNew = false;
        if (word == "new") {
            newChain = true;
            if (!(in >> word))
                return "\"new\" needs a command";
        }
        const int kind = kindByName(word);
        if (kind < 0)
            return "unknown command kind: " + word;
        int values[3] = {0, 0, 0};
        std::string token;
        std::string target;
        for (int i = 0; in >> token;) {
            if (token == "->") {
                if (!(in >> target))
                    return "\"->\" needs a label";
                break;
            }
            if (i >= 3 || !toInt(token, -32768, 32767, values[i++]))
                return "bad number: " + token;
        }
        return add(kind, values, label, target, newChain);
    }

    std::string add(int kind, const int values[3], const std::string& label,
                    const std::string& target, bool newChain)
    {
        const bool isStart = kind == int(vardo::CommandKind::Start);
        if (isStart != (last < 0))
            return "the program begins with Start, and only there";
        int slot = 0;
        if (!isStart) {
            if (program.count >= vardo::kInsertLimit)
                return "too many commands";
            slot = program.count++;
        }
        vardo::ProgramCommand& c = program.commands[size_t(slot)];
        c = {};
        c.kind = uint8_t(kind);
        c.option = uint8_t(values[0]);
        c.value1 = int16_t(values[1]);
        c.value2 = int16_t(values[2]);
        const bool head = isStart || newChain || kind == int(vardo::CommandKind::AlarmTime);
        c.prev = int16_t(head ? -1 : last);
        if (!head)
            program.commands[size_t(last)].next = int16_t(slot);
        if (!label.empty())
            labels[label] = slot;
        if (!target.empty())
            links.push_back({slot, target});
        last = slot;
        return "";
    }

    std::string resolveLinks()
    {
        for (const auto& [slot, target] : links) {
            auto it = labels.find(target);
            if (it == labels.end())
                return "unknown label: " + target;
            if (program.checkLink(slot, it->second) != vardo::LinkCheck::Ok)
                return "link to " + target + " breaks the link rules";
            program.setLink(slot, it->second);
        }
        return "";
    }
};

int parseTime(const std::string& text)
{
    int h = 0, m = 0;
    const size_t colon = text.find(':');
    if (colon == std::string::npos || !toInt(text.substr(0, colon), 0, 23, h) ||
        !toInt(text.substr(colon + 1), 0, 59, m))
        return -1;
    return h * 60 + m;
}

} // namespace

ParseResult parseDescription(const std::string& text, vardo::Program& program)
{
    program.reset();
    Builder b{program, {}, {}};
    std::istringstream lines(text);
    std::string line;
    ParseResult result;
    while (std::getline(lines, line)) {
        ++result.line;
        line = line.substr(0, line.find('#'));
        std::istringstream in(line);
        std::string word;
        if (!(in >> word))
            continue;
        std::string error;
        if (word == "title") {
            std::string rest;
            std::getline(in >> std::ws, rest);
            while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\r'))
                rest.pop_back();
            program.setTitle(rest);
        } else if (word == "time") {
            std::string value;
            in >> value;
            program.virtualTime = parseTime(value);
            if (program.virtualTime < 0)
                error = "time needs HH:MM";
        } else {
            error = b.command(in, word);
        }
        if (!error.empty()) {
            result.error = error;
            return result;
        }
    }
    result.line = 0;
    result.error = b.last < 0 ? "no commands" : b.resolveLinks();
    result.ok = result.error.empty();
    if (result.ok)
        program.layoutBoxes();
    return result;
}

} // namespace mkprogram
