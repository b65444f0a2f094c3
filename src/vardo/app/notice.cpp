#include "vardo/app/notice.h"

namespace vardo {

bool showNoticeOnce(Frontend& frontend, const Settings& settings, SettingId suppressKey,
                    int messageId)
{
    if (settings.getInt(suppressKey) == 1)
        return false;
    if (frontend.showNotice(common::formatMessage(messageId)))
        settings.writeInt(suppressKey, 1);
    return true;
}

} // namespace vardo
