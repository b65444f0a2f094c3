#include "vardo/base/frontend.h"

namespace vardo {

void Frontend::showMessage(int messageId, std::initializer_list<std::string> args)
{
    showMessage(common::formatMessage(messageId, args), common::messageIcon(messageId));
}

void Frontend::showMessage(int messageId, Icon icon, std::initializer_list<std::string> args)
{
    showMessage(common::formatMessage(messageId, args), icon);
}

Answer Frontend::ask(int messageId, Buttons buttons, std::initializer_list<std::string> args)
{
    return ask(common::formatMessage(messageId, args), buttons, Icon::Question);
}

void Frontend::deliverTimer(int timerId)
{
    if (timerHandler_)
        timerHandler_(timerId);
}

void Frontend::deliverCommand(int commandId)
{
    if (commandHandler_)
        commandHandler_(commandId);
}

} // namespace vardo
