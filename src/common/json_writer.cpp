#include "common/json_writer.h"

#include <charconv>
#include <cmath>

#include <cstdio>

namespace common {

std::string JsonWriter::quote(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (char c : text) {
        auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        default:
            if (u < 0x20 || u == 0x7F) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", unsigned(u));
                out += buf;
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

void JsonWriter::newline()
{
    if (indent_ <= 0)
        return;
    out_ += '\n';
    out_.append(depth_.size() * size_t(indent_), ' ');
}

void JsonWriter::beforeValue()
{
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!depth_.empty()) {
        if (!depth_.back().first)
            out_ += ',';
        depth_.back().first = false;
        newline();
    }
    wroteTop_ = true;
}

JsonWriter& JsonWriter::key(std::string_view name)
{
    beforeValue();
    out_ += quote(name);
    out_ += indent_ > 0 ? ": " : ":";
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::beginObject()
{
    beforeValue();
    out_ += '{';
    depth_.push_back({});
    return *this;
}

JsonWriter& JsonWriter::beginArray()
{
    beforeValue();
    out_ += '[';
    depth_.push_back({});
    return *this;
}

void JsonWriter::close(char bracket)
{
    if (depth_.empty())
        return; // unbalanced: ignore rather than corrupt the text
    bool empty = depth_.back().first;
    depth_.pop_back();
    if (!empty)
        newline();
    out_ += bracket;
}

JsonWriter& JsonWriter::endObject()
{
    close('}');
    return *this;
}

JsonWriter& JsonWriter::endArray()
{
    close(']');
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view text)
{
    beforeValue();
    out_ += quote(text);
    return *this;
}

JsonWriter& JsonWriter::value(int64_t number)
{
    beforeValue();
    out_ += std::to_string(number);
    return *this;
}

JsonWriter& JsonWriter::value(double number)
{
    if (!std::isfinite(number))
        return null();
    beforeValue();
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, number);
    out_.append(text, result.ptr);
    return *this;
}

JsonWriter& JsonWriter::value(bool flag)
{
    beforeValue();
    out_ += flag ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::null()
{
    beforeValue();
    out_ += "null";
    return *this;
}

} // namespace common
