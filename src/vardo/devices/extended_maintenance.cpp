#include "vardo/devices/extended_maintenance.h"

#include "common/string_table.h"

namespace vardo::devices {

bool confirmServoIdChange(Frontend& frontend, ExtendedInterface& ext, int newId)
{
    if (newId < 1 || newId > kMaxServoId) {
        frontend.showMessage(common::msg::ServoIdRange, Icon::Stop);
        return false;
    }
    if (frontend.ask(common::msg::ServoIdConfirm, Buttons::YesNo, {std::to_string(newId)}) !=
        Answer::Yes)
        return false;
    ext.changeServoId(newId);
    frontend.showMessage(common::msg::ServoIdChanged);
    return true;
}

bool confirmFactoryReset(Frontend& frontend, ExtendedInterface& ext)
{
    if (frontend.ask(common::msg::FactoryResetConfirm, Buttons::YesNo) != Answer::Yes)
        return false;
    ext.factoryReset();
    frontend.showMessage(common::msg::FactoryReset);
    return true;
}

} // namespace vardo::devices
