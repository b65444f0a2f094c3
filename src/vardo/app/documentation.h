#pragma once
// The documentation command: the local pages when installed, else (after
// asking) the pages on the web. The opener is the desktop's "open" service,
// handed in by the window (and by tests).
#include "vardo/base/frontend.h"

#include <functional>
#include <string>

namespace vardo {

// Opens a file path or URL; true on success.
using DocumentOpener = std::function<bool(const std::string& target)>;

enum class DocumentationResult { OpenedLocal, OpenedWeb, Declined, Failed };

DocumentationResult showDocumentation(Frontend& frontend, const std::string& programFolder,
                                      const DocumentOpener& open);

} // namespace vardo
