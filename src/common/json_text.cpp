#include "common/json_text.h"

namespace common {

std::string jsonText(const Json& value, int indent)
{
    return value.dump(indent, ' ', false, Json::error_handler_t::replace);
}

std::string jsonEscaped(const std::string& text)
{
    const std::string quoted = jsonText(Json(text));
    return quoted.substr(1, quoted.size() - 2);
}

} // namespace common
