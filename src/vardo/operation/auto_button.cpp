#include "vardo/operation/auto_button.h"

#include "vardo/operation/folder_run.h"

namespace vardo {

namespace msg = common::msg;

int commandCount(const Program& program)
{
    int n = 0;
    for (int i = 0; i < program.count; ++i)
        n += program.isCommand(i) ? 1 : 0;
    return n;
}

namespace {

AutoButtonResult start(Operation& operation, Controller& controller, Frontend& frontend,
                       const Program& program, const AutoButtonContext& context)
{
    if (!controller.simulation &&
        (!context.controllerConnected || !context.calibrated || commandCount(program) <= 1)) {
        frontend.showMessage(context.calibrated ? msg::ControlSetupFailed
                                                : msg::OperationNotCalibrated,
                             Icon::Warning);
        return AutoButtonResult::Refused;
    }
    controller.performAction(ActionLampOn);
    return operation.startOperation(program) ? AutoButtonResult::Started
                                             : AutoButtonResult::StartFailed;
}

} // namespace

AutoButtonResult pressAutoButton(Operation& operation, Controller& controller, Frontend& frontend,
                                 const Program& program, bool on, const AutoButtonContext& context)
{
    if (on)
        return start(operation, controller, frontend, program, context);
    // Stopping is never refused: a lost connection must not keep a program running.
    controller.performAction(ActionLampOff);
    if (context.folderRun && context.folderRun->active() &&
        frontend.ask(msg::EndFolderRun, Buttons::YesNo) == Answer::Yes)
        context.folderRun->end();
    operation.stopOperation(EndReason::Stopped);
    return AutoButtonResult::Stopped;
}

} // namespace vardo
