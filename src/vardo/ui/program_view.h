#pragma once
// The program display: the program picture with the selection frame, the
// mouse rules (select, context menu, edit on double click, link target),
// and the position pick mode on the layout picture.
#include "vardo/operation/program_edit_rules.h"
#include "vardo/operation/program_editor.h"
#include "vardo/operation/program_picture.h"

#include <QDialog>
#include <QWidget>
#include <atomic>
#include <functional>

class QMenu;

namespace vardo::ui {

class DialogCommandEditor;

// The small window of the position pick mode.
class PositionPickWindow : public QDialog {
    Q_OBJECT
public:
    explicit PositionPickWindow(QWidget* parent);
};

class ProgramView : public QWidget {
    Q_OBJECT
public:
    ProgramView(ProgramEditor& editor, QWidget* parent = nullptr);

    void setPicture(ProgramPicture picture) { picture_ = std::move(picture); }
    void setLayoutFacts(const ProgramLayoutFacts& facts) { facts_ = facts; }
    void setLayoutPicture(const QImage& picture) { layoutPicture_ = picture; }
    // The dialogs behind editCommand, asked after a double click whether
    // ﾚｲｱｳﾄ参照 closed the dialog.
    void setDialogEditor(DialogCommandEditor* dialogs) { dialogs_ = dialogs; }
    // Set by the operation thread; only read here.
    void setOperating(bool on) { operating_.store(on); }
    bool operating() const { return operating_.load(); }
    // The command being executed (the control loop publishes it
    // atomically); while operating the frame follows it instead of the
    // selection, so the loop never writes the GUI's selection.
    void setExecutingSource(std::function<int()> current) { executing_ = std::move(current); }
    // Runs the context menu; QMenu::exec unless a test installs another.
    void setMenuRunner(std::function<void(QMenu&, QPoint)> run) { runMenu_ = std::move(run); }

    // The command whose box holds the point, first in slot order; -1 for none.
    int hitTest(QPoint at) const;
    // The context menu of the selection (empty when nothing is offered).
    void fillContextMenu(QMenu& menu);

    // Position pick mode.
    void beginPositionPick(int index);
    bool picking() const { return pickIndex_ >= 0; }
    QPoint pickPoint() const { return pickPoint_; }
    PositionPickWindow* pickWindow() const { return pickWindow_; }
    void finishPositionPick(bool store);

    // The picture as shown: the program (or the layout while picking).
    QImage shownPicture() const;

signals:
    // The command toolbar hides while a position is picked.
    void pickModeChanged(bool picking);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void selectAt(QPoint at);
    void editSelected();

    ProgramEditor& editor_;
    ProgramPicture picture_;
    ProgramLayoutFacts facts_;
    QImage layoutPicture_;
    DialogCommandEditor* dialogs_ = nullptr;
    std::atomic<bool> operating_{false};
    std::function<void(QMenu&, QPoint)> runMenu_;
    std::function<int()> executing_;
    int pickIndex_ = -1;
    QPoint pickPoint_;
    PositionPickWindow* pickWindow_ = nullptr;
};

} // namespace vardo::ui
