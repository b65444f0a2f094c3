#include "vardo/ui/dialog_command_editor.h"

#include "vardo/ui/time_dialog.h"
#include "vardo/ui/turn_dialog.h"

namespace vardo::ui {

bool DialogCommandEditor::editCommand(ProgramCommand& command, const ProgramLayoutFacts& layout)
{
    const FormValues shown = shownValues(command);
    FormValues chosen = shown;
    switch (command.commandKind()) {
    case CommandKind::AlarmTime:
    case CommandKind::Timer: {
        const auto kind =
            command.is(CommandKind::Timer) ? TimeFormKind::Timer : TimeFormKind::Alarm;
        TimeDialog dialog(kind, shown.value1, shown.value2, false, parent_);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        chosen.value1 = dialog.first();
        chosen.value2 = dialog.second();
        break;
    }
    case CommandKind::Turntable: {
        TurnDialog dialog(shown, parent_);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        chosen = dialog.values();
        break;
    }
    default: {
        if (!CommandForm::serves(command.commandKind()))
            return false;
        EventDialog dialog(CommandForm(command.commandKind(), layout), shown, parent_);
        if (sound_)
            dialog.setSoundSettings(sound_);
        // Modal to the window only: the option-output toggles, a dialog of
        // their own, stay usable and fill in the relay being defined.
        if (command.is(CommandKind::OptionOutput))
            dialog.setWindowModality(Qt::WindowModal);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        chosen = dialog.values();
        pick_ = dialog.pickRequested();
        break;
    }
    }
    storeValues(command, chosen);
    return true;
}

bool DialogCommandEditor::takePickRequest()
{
    const bool pick = pick_;
    pick_ = false;
    return pick;
}

} // namespace vardo::ui
