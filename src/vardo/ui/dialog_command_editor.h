#pragma once
// The command dialogs behind the program operations: opens the dialog of
// the record's kind, and on OK stores the values by the storing rules.
#include "vardo/operation/program_dialogs.h"
#include "vardo/ui/event_dialog.h"

class QWidget;

namespace vardo::ui {

class DialogCommandEditor : public CommandEditor {
public:
    explicit DialogCommandEditor(QWidget* parent) : parent_(parent) {}

    bool editCommand(ProgramCommand& command, const ProgramLayoutFacts& layout) override;

    // True once after a dialog was closed through ﾚｲｱｳﾄ参照.
    bool takePickRequest();
    // Until the sound settings dialog exists the button changes nothing.
    void setSoundSettings(EventDialog::SoundSettings settings) { sound_ = std::move(settings); }

private:
    QWidget* parent_;
    EventDialog::SoundSettings sound_;
    bool pick_ = false;
};

} // namespace vardo::ui
