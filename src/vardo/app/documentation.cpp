#include "vardo/app/documentation.h"

#include "common/byte_io.h"
#include "common/paths.h"

namespace vardo {

DocumentationResult showDocumentation(Frontend& frontend, const std::string& programFolder,
                                      const DocumentOpener& open)
{
    const std::string index = common::joinPath(programFolder, "doc/index.html");
    if (common::fileExists(index)) {
        if (open && open(index))
            return DocumentationResult::OpenedLocal;
        frontend.showMessage(common::msg::HelpDisplayFailed);
        return DocumentationResult::Failed;
    }
    if (frontend.ask(common::msg::DocumentationMissing, Buttons::YesNo) != Answer::Yes)
        return DocumentationResult::Declined;
    if (open && open(common::messageText(common::msg::DocumentationUrl)))
        return DocumentationResult::OpenedWeb;
    frontend.showMessage(common::msg::HelpDisplayFailed);
    return DocumentationResult::Failed;
}

} // namespace vardo
