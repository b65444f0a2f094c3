#pragma once
// Where a component reports a message that the user must see.
#include <string>

namespace common {

enum class Icon { None, Information, Warning, Stop, Question };

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void showMessage(const std::string& text, Icon icon) = 0;
};

} // namespace common
