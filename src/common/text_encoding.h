#pragma once
// Japanese text on disk is code page 932; the program works in UTF-8.
#include <string>
#include <string_view>

namespace common {

bool isValidUtf8(std::string_view text);

// Conversions through iconv. Bytes that cannot be converted become '?', so
// a damaged title never loses the rest of its text.
std::string cp932ToUtf8(std::string_view text);
std::string utf8ToCp932(std::string_view text);

// Text read from a settings file: kept when it is UTF-8, else taken as CP932.
std::string textFileToUtf8(std::string_view bytes);

} // namespace common
