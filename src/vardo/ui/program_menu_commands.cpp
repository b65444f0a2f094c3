#include "vardo/ui/program_menu_commands.h"

#include "vardo/operation/program_editor.h"

namespace vardo::ui {

bool editProgramTitle(ProgramEditor& editor, QWidget* parent, const DialogRunner<TitleDialog>& run)
{
    TitleDialog dialog(QString::fromStdString(editor.program().title()), parent);
    const int result = run ? run(dialog) : dialog.exec();
    if (result != QDialog::Accepted)
        return false;
    editor.setTitle(dialog.title().toStdString());
    return true;
}

bool editVirtualTime(ProgramEditor& editor, QWidget* parent, QTime now,
                     const DialogRunner<TimeDialog>& run)
{
    const VirtualTimeValues shown =
        virtualTimeShown(editor.program().virtualTime, now.hour(), now.minute());
    TimeDialog dialog(TimeFormKind::VirtualTime, shown.hour, shown.minute, shown.realClock, parent);
    const int result = run ? run(dialog) : dialog.exec();
    if (result != QDialog::Accepted)
        return false;
    editor.setVirtualTime(virtualTimeStored({dialog.realClock(), dialog.first(), dialog.second()}));
    return true;
}

} // namespace vardo::ui
