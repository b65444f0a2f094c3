#include "vardo/operation/trace_printer.h"

#include "common/json_text.h"
#include "vardo/operation/program_command.h"

namespace vardo {

TracePrinter::TracePrinter(std::FILE* out, bool json)
    : out_(out), json_(json), start_(std::chrono::steady_clock::now())
{
}

int64_t TracePrinter::elapsedMs() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start_)
        .count();
}

std::string TracePrinter::escaped(const std::string& text)
{
    return common::jsonEscaped(text);
}

void TracePrinter::writeLine(const std::string& line)
{
    std::lock_guard lock(mutex_);
    std::fputs(line.c_str(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
}

namespace {

// Every JSON line starts with its type and time.
common::Json begin(const char* type, int64_t t)
{
    return common::Json{{"type", type}, {"t", t}};
}

std::string textTime(int64_t t)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "[%8lld ms] ", static_cast<long long>(t));
    return buffer;
}

} // namespace

void TracePrinter::commandExecuted(int index, int kind, int option, int value1, int value2)
{
    const int64_t t = elapsedMs();
    const char* name = commandKindName(kind);
    const std::string kindName = name ? name : std::to_string(kind);
    if (json_) {
        auto w = begin("command", t);
        w["index"] = index;
        w["kind"] = kindName;
        w["option"] = option;
        w["value1"] = value1;
        w["value2"] = value2;
        writeLine(common::jsonText(w));
        return;
    }
    writeLine(textTime(t) + "command " + std::to_string(index) + " " + kindName +
              " option=" + std::to_string(option) + " value1=" + std::to_string(value1) +
              " value2=" + std::to_string(value2));
}

void TracePrinter::actionPerformed(int code, bool sent)
{
    const int64_t t = elapsedMs();
    if (json_) {
        auto w = begin("action", t);
        w["code"] = code;
        w["sent"] = sent;
        writeLine(common::jsonText(w));
        return;
    }
    writeLine(textTime(t) + "action " + std::to_string(code) + (sent ? " sent" : " not sent"));
}

void TracePrinter::soundCalled(const char* call, int number, bool loop)
{
    const int64_t t = elapsedMs();
    if (json_) {
        auto w = begin("sound", t);
        w["call"] = call;
        w["number"] = number;
        w["loop"] = loop;
        writeLine(common::jsonText(w));
        return;
    }
    writeLine(textTime(t) + "sound " + call + " " + std::to_string(number) + (loop ? " loop" : ""));
}

void TracePrinter::positionChanged(int x, int y, int nearest, int laps)
{
    const int64_t t = elapsedMs();
    {
        std::lock_guard lock(mutex_);
        if (t - lastPositionMs_ < kPositionIntervalMs)
            return;
        lastPositionMs_ = t;
    }
    if (json_) {
        auto w = begin("position", t);
        w["x"] = x;
        w["y"] = y;
        w["nearest"] = nearest;
        w["laps"] = laps;
        writeLine(common::jsonText(w));
        return;
    }
    writeLine(textTime(t) + "position " + std::to_string(x) + "," + std::to_string(y) +
              " nearest=" + std::to_string(nearest) + " laps=" + std::to_string(laps));
}

void TracePrinter::device(const std::string& port, const std::string& text)
{
    const int64_t t = elapsedMs();
    if (json_) {
        auto w = begin("device", t);
        w["port"] = port;
        w["text"] = text;
        writeLine(common::jsonText(w));
        return;
    }
    writeLine(textTime(t) + "device " + port + " " + escaped(text));
}

void TracePrinter::speech(const std::string& phrase, int command)
{
    const int64_t t = elapsedMs();
    if (json_) {
        auto w = begin("speech", t);
        w["phrase"] = phrase;
        w["command"] = command;
        writeLine(common::jsonText(w));
        return;
    }
    writeLine(textTime(t) + "speech " + escaped(phrase) + " command " + std::to_string(command));
}

void TracePrinter::message(const std::string& text)
{
    const int64_t t = elapsedMs();
    if (json_) {
        auto w = begin("message", t);
        w["text"] = text;
        writeLine(common::jsonText(w));
        return;
    }
    writeLine(textTime(t) + "message " + escaped(text));
}

void TracePrinter::end(const std::string& reason)
{
    const int64_t t = elapsedMs();
    if (json_) {
        auto w = begin("end", t);
        w["reason"] = reason;
        writeLine(common::jsonText(w));
        return;
    }
    writeLine(textTime(t) + "end " + reason);
}

} // namespace vardo
