#include "vardo/ui/program_actions.h"

#include "common/string_table.h"
#include "vardo/operation/program_edit_rules.h"
#include "vardo/operation/program_editor.h"
#include "vardo/ui/program_view.h"

#include <QAction>
#include <QIcon>
#include <QPixmap>
#include <QToolBar>

namespace vardo::ui {

namespace {

const char* const kInsertNames[kLastCommandKind] = {
    "自動運転の開始", "運転開始時刻",       "タイマー", "列車制御",
    "ポイント制御",   "列車位置定義",       "繰返し",   "サウンド出力制御",
    "自動運転終了",   "オプション出力制御", "列車速度", "転車台制御"};

} // namespace

ProgramActions::ProgramActions(ProgramEditor& editor, ProgramView& view, QWidget* window)
    : QObject(window), editor_(editor), view_(view),
      toolbar_(new QToolBar(
          QString::fromUtf8(common::messageText(common::msg::EventToolbarCaption)), window))
{
    const char* const names[EditCount] = {"編集",   "削除",       "次に移動", "前に移動",
                                          "リンク", "リンク削除", "元に戻す"};
    for (int i = 0; i < EditCount; ++i)
        edit_[size_t(i)] = new QAction(names[i], this);
    edit_[Undo]->setShortcuts({QKeySequence("Ctrl+Z"), QKeySequence("Alt+Backspace")});
    edit_[RemoveLink]->setShortcuts({QKeySequence("Ctrl+X"), QKeySequence("Shift+Delete")});
    connect(edit_[EditCommand], &QAction::triggered, this, [this] {
        editor_.editCommand(editor_.program().selected);
        view_.update();
    });
    connect(edit_[Delete], &QAction::triggered, this, [this] {
        editor_.deleteCommand();
        view_.update();
    });
    connect(edit_[MoveNext], &QAction::triggered, this, [this] {
        editor_.moveCommand(1);
        view_.update();
    });
    connect(edit_[MovePrevious], &QAction::triggered, this, [this] {
        editor_.moveCommand(-1);
        view_.update();
    });
    connect(edit_[Link], &QAction::triggered, this, [this] { editor_.beginLink(); });
    connect(edit_[RemoveLink], &QAction::triggered, this, [this] {
        editor_.removeLink();
        view_.update();
    });
    connect(edit_[Undo], &QAction::triggered, this, [this] {
        editor_.undo();
        view_.update();
    });

    for (int k = 1; k <= kLastCommandKind; ++k) {
        QAction* a = new QAction(kInsertNames[k - 1], this);
        insert_[size_t(k) - 1] = a;
        const auto kind = static_cast<CommandKind>(k);
        connect(a, &QAction::triggered, this, [this, kind] {
            if (kind == CommandKind::AlarmTime)
                editor_.program().selected = -1; // an alarm starts a new chain
            editor_.insertCommand(kind);
            view_.update();
        });
        if (kind != CommandKind::Start)
            toolbar_->addAction(a);
    }
    setLayoutFacts({}, IconVariant::Plain);
    connect(&view_, &ProgramView::pickModeChanged, toolbar_,
            [this](bool picking) { toolbar_->setVisible(!picking); });
}

void ProgramActions::setLayoutFacts(const ProgramLayoutFacts& facts, IconVariant variant)
{
    facts_ = facts;
    const QImage strip = commandIconStrip(variant);
    for (int k = 1; k <= kLastCommandKind; ++k)
        insert_[size_t(k) - 1]->setIcon(
            QIcon(QPixmap::fromImage(strip.copy((k - 1) * kIconSize, 0, kIconSize, kIconSize))));
    // Only the turntable variant has the turntable button.
    insert_[size_t(CommandKind::Turntable) - 1]->setVisible(variant == IconVariant::Turntable);
    if (variant == IconVariant::Barrier)
        insert_[size_t(CommandKind::SwitchPoint) - 1]->setText("遮断機(ポイント)制御");
}

void ProgramActions::update(bool operating, bool programDisplay)
{
    const Program& program = editor_.program();
    const EditOffer offer = editMenuOffer(program, operating, programDisplay);
    edit_[EditCommand]->setEnabled(offer.edit);
    edit_[Delete]->setEnabled(offer.remove);
    edit_[MoveNext]->setEnabled(offer.moveNext);
    edit_[MovePrevious]->setEnabled(offer.movePrevious);
    edit_[Link]->setEnabled(offer.link);
    edit_[RemoveLink]->setEnabled(offer.removeLink);
    edit_[Undo]->setEnabled(offer.undo);
    for (int k = 1; k <= kLastCommandKind; ++k)
        insert_[size_t(k) - 1]->setEnabled(
            programDisplay &&
            canInsertKind(program, static_cast<CommandKind>(k), facts_, operating));
    toolbar_->setVisible(programDisplay && !view_.picking());
}

} // namespace vardo::ui
