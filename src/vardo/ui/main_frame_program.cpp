// The program editor inside the main window: the program display over the
// view, the 編集 menu and the command toolbar, the command dialogs and the
// program commands of the menus.
#include "vardo/base/command_ids.h"
#include "vardo/devices/sound_engine.h"
#include "vardo/operation/program_picture.h"
#include "vardo/ui/dialog_command_editor.h"
#include "vardo/ui/main_frame.h"
#include "vardo/ui/menu_table.h"
#include "vardo/ui/program_actions.h"
#include "vardo/ui/program_menu_commands.h"
#include "vardo/ui/program_view.h"
#include "vardo/ui/sound_dialog.h"
#include "vardo/ui/toolbar_icons.h"

#include <QAction>
#include <QApplication>
#include <QToolBar>

namespace vardo::ui {

namespace {

struct EditCommandId {
    int id;
    ProgramActions::Edit edit;
};

const EditCommandId kEditCommands[] = {
    {cmd::Undo, ProgramActions::Undo},
    {cmd::EditCommand, ProgramActions::EditCommand},
    {cmd::DeleteCommand, ProgramActions::Delete},
    {cmd::MoveNext, ProgramActions::MoveNext},
    {cmd::MovePrevious, ProgramActions::MovePrevious},
    {cmd::Link, ProgramActions::Link},
    {cmd::Unlink, ProgramActions::RemoveLink},
};

struct InsertCommandId {
    int id;
    CommandKind kind;
};

// The barrier button is the point button of a layout with a barrier.
const InsertCommandId kInsertCommands[] = {
    {cmd::InsertAlarm, CommandKind::AlarmTime},
    {cmd::InsertTimer, CommandKind::Timer},
    {cmd::InsertTrainControl, CommandKind::TrainControl},
    {cmd::InsertPointControl, CommandKind::SwitchPoint},
    {cmd::InsertBarrierControl, CommandKind::SwitchPoint},
    {cmd::InsertPosition, CommandKind::PositionWait},
    {cmd::InsertRepeat, CommandKind::Repeat},
    {cmd::InsertSound, CommandKind::SoundOutput},
    {cmd::InsertEnd, CommandKind::EndOfOperation},
    {cmd::InsertOptionOutput, CommandKind::OptionOutput},
    {cmd::InsertTrainSpeed, CommandKind::TrainSpeed},
    {cmd::InsertTurntable, CommandKind::Turntable},
};

} // namespace

void CMainFrame::buildProgramEditor()
{
    // The program display lies over the view and shows only in its mode.
    programView_ = new ProgramView(session_->editor(), view_);
    programView_->setGeometry(0, 0, kProgramViewWidth, kProgramViewHeight);
    programView_->setDialogEditor(commandDialogs_.get());
    programView_->setExecutingSource([this] { return session_->operation().current(); });
    programView_->hide();
    commandDialogs_->setSoundSettings(
        [this](int& number, int& count) { return chooseSound(number, count); });

    programActions_ = new ProgramActions(session_->editor(), *programView_, this);
    // The menus and the main toolbar take these actions under their ids, so
    // one action carries each accelerator and one rule enables it.
    for (const EditCommandId& e : kEditCommands) {
        QAction* a = programActions_->edit(e.edit);
        if (const char* text = menuText(e.id))
            a->setText(QString::fromUtf8(text));
        const QImage icon = toolbarIcon(e.id);
        if (!icon.isNull())
            a->setIcon(QIcon(QPixmap::fromImage(icon)));
        actions_[e.id] = a;
    }
    for (const InsertCommandId& i : kInsertCommands)
        actions_.emplace(i.id, programActions_->insert(i.kind));
    addToolBar(programActions_->toolbar());
    programActions_->toolbar()->hide();
}

void CMainFrame::programEditorStarted()
{
    const ProgramPictureLayout layout = ProgramPictureLayout::from(session_->layout().model());
    programView_->setPicture(
        ProgramPicture(layout, ProgramPictureStyle::read(session_->settings(), frontend_)));
    const ProgramLayoutFacts facts = session_->editor().layoutFacts();
    programView_->setLayoutFacts(facts);
    programActions_->setLayoutFacts(facts, layout.iconVariant());
    layout::LayoutPictures& pictures = session_->layout().pictures();
    std::lock_guard lock(pictures.mutex());
    programView_->setLayoutPicture(pictures.layout().copy());
}

void CMainFrame::syncProgramDisplay(const UiState& state)
{
    const bool shown = state.mode == DisplayMode::ProgramEditor;
    if (programView_->isHidden() == shown)
        programView_->setVisible(shown);
    const bool wasOperating = programView_->operating();
    programView_->setOperating(state.operating);
    programActions_->update(state.operating, shown);
    // While a program runs the frame follows the executing command.
    if (shown && (state.operating || wasOperating))
        programView_->update();
}

bool CMainFrame::programCommand(int id)
{
    // A command posted or sent by id obeys the same rules as a click.
    const UiState state = session_->uiState();
    const bool shown = state.mode == DisplayMode::ProgramEditor;
    for (const EditCommandId& e : kEditCommands)
        if (e.id == id) {
            programActions_->update(state.operating, shown);
            programActions_->edit(e.edit)->trigger();
            return true;
        }
    for (const InsertCommandId& i : kInsertCommands)
        if (i.id == id) {
            programActions_->update(state.operating, shown);
            programActions_->insert(i.kind)->trigger();
            return true;
        }
    switch (id) {
    case cmd::ProgramTitle:
        editProgramTitle(session_->editor(), this);
        return true;
    case cmd::CurrentTime:
        editVirtualTime(session_->editor(), this);
        return true;
    default:
        return false;
    }
}

bool CMainFrame::chooseSound(int& number, int& count)
{
    // The engine plays the files while they are chosen; without one the
    // list is still edited.
    auto* engine = dynamic_cast<devices::SoundEngine*>(session_->assembly().soundPort());
    QWidget* owner = QApplication::activeModalWidget();
    SoundDialog dialog(session_->settings(), engine, frontend_, session_->rail().programFolder(),
                       owner ? owner : this);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    count = dialog.list().size();
    // The new count holds for every later dialog and insertion.
    ProgramLayoutFacts facts = session_->editor().layoutFacts();
    facts.soundCount = count;
    session_->editor().setLayoutFacts(facts);
    programView_->setLayoutFacts(facts);
    programActions_->setLayoutFacts(
        facts, ProgramPictureLayout::from(session_->layout().model()).iconVariant());
    number = dialog.chosenNumber();
    return number > 0;
}

} // namespace vardo::ui
