#pragma once
// The program display's actions for the window to place: the 編集 menu
// items with their accelerators and the command toolbar "ｲﾍﾞﾝﾄ", each
// enabled by the editing rules whenever update() is called.
#include "vardo/operation/program_dialogs.h"
#include "vardo/operation/program_icons.h"

#include <QObject>
#include <array>

class QAction;
class QToolBar;
class QWidget;

namespace vardo {
class ProgramEditor;
}

namespace vardo::ui {

class ProgramView;

class ProgramActions : public QObject {
    Q_OBJECT
public:
    ProgramActions(ProgramEditor& editor, ProgramView& view, QWidget* window);

    // 編集, 削除, 次に移動, 前に移動, リンク, リンク削除, 元に戻す.
    enum Edit { EditCommand, Delete, MoveNext, MovePrevious, Link, RemoveLink, Undo, EditCount };
    QAction* edit(Edit which) const { return edit_[size_t(which)]; }
    // The insertion button of a kind (1..12).
    QAction* insert(CommandKind kind) const { return insert_[size_t(kind) - 1]; }
    // The toolbar, shown only in the program display and not while picking.
    QToolBar* toolbar() const { return toolbar_; }

    void setLayoutFacts(const ProgramLayoutFacts& facts, IconVariant variant);
    void update(bool operating, bool programDisplay);

private:
    ProgramEditor& editor_;
    ProgramView& view_;
    ProgramLayoutFacts facts_;
    std::array<QAction*, EditCount> edit_{};
    std::array<QAction*, kLastCommandKind> insert_{};
    QToolBar* toolbar_;
};

} // namespace vardo::ui
