#pragma once
// JSON as our commands print it: members keep the order they were added in,
// and text that is not valid UTF-8 is printed with U+FFFD in place of the
// bad bytes instead of failing (the output stays valid JSON).
#include <nlohmann/json.hpp>

#include <string>

namespace common {

using Json = nlohmann::ordered_json;

// indent < 0: all on one line; otherwise one member or element per line.
std::string jsonText(const Json& value, int indent = -1);

// The escaped form of a string without the enclosing quotes.
std::string jsonEscaped(const std::string& text);

} // namespace common
