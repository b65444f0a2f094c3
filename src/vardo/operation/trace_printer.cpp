#include "vardo/operation/trace_printer.h"

#include "common/json_writer.h"
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
    const std::string quoted = common::JsonWriter::quote(text);
    return quoted.substr(1, quoted.size() - 2);
}

void TracePrinter::writeLine(const std::string& line)
{
    std::lock_guard lock(mutex_);
    std::fputs(line.c_str(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
}

namespace {

common::JsonWriter begin(const char* type, int64_t t)
{
    common::JsonWriter w;
    w.beginObject().member("type", type).member("t", t);
    return w;
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
        w.member("index", index).member("kind", kindName).member("option", option);
        w.member("value1", value1).member("value2", value2).endObject();
        writeLine(w.str());
        return;
    }
    writeLine(textTime(t) + "command " + std::to_string(index) + " " + kindName + " option=" +
         std::to_string(option) + " value1=" + std::to_string(value1) +
         " value2=" + std::to_string(value2));
}

void TracePrinter::actionPerformed(int code, bool sent)
{
    const int64_t t = elapsedMs();
    if (json_) {
        auto w = begin("action", t);
        w.member("code", code).member("sent", sent).endObject();
        writeLine(w.str());
        return;
    }
    writeLine(textTime(t) + "action " + std::to_string(code) + (sent ? " sent" : " not sent"));
}

void TracePrinter::soundCalled(const char* call, int number, bool loop)
{
    const int64_t t = elapsedMs();
    if (json_) {
        auto w = begin("sound", t);
        w.member("call", call).member("number", number).member("loop", loop).endObject();
        writeLine(w.str());
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
        w.member("x", x).member("y", y).member("nearest", nearest).member("laps", laps).endObject();
        writeLine(w.str());
        return;
    }
    writeLine(textTime(t) + "position " + std::to_string(x) + "," + std::to_string(y) + " nearest=" +
         std::to_string(nearest) + " laps=" + std::to_string(laps));
}

void TracePrinter::device(const std::string& port, const std::string& text)
{
    const int64_t t = elapsedMs();
    if (json_) {
        auto w = begin("device", t);
        w.member("port", port).member("text", text).endObject();
        writeLine(w.str());
        return;
    }
    writeLine(textTime(t) + "device " + port + " " + escaped(text));
}

void TracePrinter::message(const std::string& text)
{
    const int64_t t = elapsedMs();
    if (json_) {
        auto w = begin("message", t);
        w.member("text", text).endObject();
        writeLine(w.str());
        return;
    }
    writeLine(textTime(t) + "message " + escaped(text));
}

void TracePrinter::end(const std::string& reason)
{
    const int64_t t = elapsedMs();
    if (json_) {
        auto w = begin("end", t);
        w.member("reason", reason).endObject();
        writeLine(w.str());
        return;
    }
    writeLine(textTime(t) + "end " + reason);
}

} // namespace vardo
