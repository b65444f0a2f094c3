#pragma once
// The notice dialog with its "do not show again" box. Each caller owns one
// SURPRESS_MESSAGE key; once the box was ticked the notice stays away.
#include "vardo/base/frontend.h"
#include "vardo/base/settings.h"

namespace vardo {

// Shows the message unless the caller's suppress key is 1; a ticked box
// writes the key. True when the notice was shown.
bool showNoticeOnce(Frontend& frontend, const Settings& settings, SettingId suppressKey,
                    int messageId);

} // namespace vardo
