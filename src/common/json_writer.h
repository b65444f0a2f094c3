#pragma once
// A small streaming JSON writer: objects, arrays, strings, integers,
// booleans and null, written in order into a string. Commas and the
// escaping of strings are taken care of; the caller keeps the nesting right.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace common {

class JsonWriter {
public:
    // indent > 0: one member or element per line, nested by that many blanks.
    explicit JsonWriter(int indent = 0) : indent_(indent) {}

    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    // The name of the next member of the current object.
    JsonWriter& key(std::string_view name);

    JsonWriter& value(std::string_view text);
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    JsonWriter& value(int64_t number);
    JsonWriter& value(int number) { return value(int64_t(number)); }
    // Shortest text that reads back as the same double; null when not finite.
    JsonWriter& value(double number);
    JsonWriter& value(bool flag);
    JsonWriter& null();

    // Shorthands for a member.
    template <class T> JsonWriter& member(std::string_view name, const T& v)
    {
        return key(name).value(v);
    }

    // The text written so far.
    const std::string& str() const { return out_; }
    // Whether every object and array begun has been ended.
    bool complete() const { return depth_.empty() && wroteTop_; }

    // The quoted, escaped form of a string: quotes, backslashes and control
    // characters are escaped; other bytes (UTF-8) are kept as they are.
    static std::string quote(std::string_view text);

private:
    void beforeValue();
    void newline();
    void close(char bracket);

    struct Level {
        bool first = true;
    };
    std::string out_;
    std::vector<Level> depth_;
    int indent_ = 0;
    bool afterKey_ = false;
    bool wroteTop_ = false;
};

} // namespace common
