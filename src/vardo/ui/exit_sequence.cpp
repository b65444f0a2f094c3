#include "vardo/ui/exit_sequence.h"

namespace vardo::ui {

namespace {

// False when the user wanted the data saved and it could not be.
bool offerSave(Frontend& frontend, bool modified, int question, const std::function<bool()>& save)
{
    if (!modified)
        return true;
    if (frontend.ask(question, Buttons::YesNo) != Answer::Yes)
        return true;
    return save && save();
}

} // namespace

ExitDecision askBeforeExit(Frontend& frontend, const ExitSaves& saves)
{
    if (!offerSave(frontend, saves.calibrationModified, common::msg::CalibrationModified,
                   saves.saveCalibration))
        return ExitDecision::Cancelled;
    if (!offerSave(frontend, saves.programModified, common::msg::ProgramModifiedSave,
                   saves.saveProgram))
        return ExitDecision::Cancelled;
    return ExitDecision::Close;
}

} // namespace vardo::ui
