// The enable table of the context menu, the 編集 menu and the insertion
// buttons over the command kinds, the chain positions and the operating state.
#include "program_test_support.h"
#include "vardo/operation/program_edit_rules.h"

#include <gtest/gtest.h>

namespace vardo {
namespace {

using testing::addCommand;

class EditRulesTest : public ::testing::Test {
protected:
    // Start -> Timer -> Train -> Repeat(link to Timer) -> End, and an alarm chain.
    void SetUp() override
    {
        timer = addCommand(p, CommandKind::Timer, 0, 10);
        train = addCommand(p, CommandKind::TrainControl, timer, 0, 0, 1);
        repeat = addCommand(p, CommandKind::Repeat, train, 2);
        end = addCommand(p, CommandKind::EndOfOperation, repeat);
        alarm = addCommand(p, CommandKind::AlarmTime, -1, 10, 0);
        alarmNext = addCommand(p, CommandKind::Timer, alarm, 5);
        ASSERT_TRUE(p.setLink(repeat, timer));
        p.selected = -1;
    }
    EditOffer context(int index, bool operating = false)
    {
        p.selected = index;
        return contextMenuOffer(p, operating);
    }

    Program p;
    int timer = -1, train = -1, repeat = -1, end = -1, alarm = -1, alarmNext = -1;
    ProgramLayoutFacts layout{true, 2, false, 4};
};

TEST_F(EditRulesTest, NothingOrTheStartCommandOffersNothing)
{
    EXPECT_FALSE(context(-1).any());
    EXPECT_FALSE(context(0).any());
    p.takeUndoCopy();
    p.selected = 0;
    EditOffer menu = editMenuOffer(p, false, true);
    EXPECT_FALSE(menu.any());
    EXPECT_TRUE(menu.undo);
}

TEST_F(EditRulesTest, ContextMenuPerKindAndPosition)
{
    EditOffer e = context(end);
    EXPECT_TRUE(e.remove);
    EXPECT_FALSE(e.edit || e.moveNext || e.movePrevious || e.link || e.removeLink);

    // First after the start: its previous heads the chain; its next is a command.
    e = context(timer);
    EXPECT_TRUE(e.edit && e.remove && e.moveNext);
    EXPECT_FALSE(e.movePrevious);
    EXPECT_FALSE(e.link) << "neither a repeat nor last of its chain";

    e = context(train);
    EXPECT_TRUE(e.movePrevious);
    EXPECT_TRUE(e.moveNext);

    // The repeat: next is the end, so it cannot move next; it has a link.
    e = context(repeat);
    EXPECT_FALSE(e.moveNext);
    EXPECT_TRUE(e.link && e.linkIsChange && e.removeLink);

    // An alarm heads its chain: never moved, never linked.
    e = context(alarm);
    EXPECT_TRUE(e.edit && e.remove);
    EXPECT_FALSE(e.moveNext || e.movePrevious || e.link || e.removeLink);

    // Last of its chain without a link: リンク先指定.
    e = context(alarmNext);
    EXPECT_TRUE(e.link);
    EXPECT_FALSE(e.linkIsChange || e.removeLink);
}

TEST_F(EditRulesTest, OperatingLeavesOnlyEditAndDelete)
{
    EditOffer e = context(train, true);
    EXPECT_TRUE(e.edit && e.remove);
    EXPECT_FALSE(e.moveNext || e.movePrevious || e.link || e.removeLink);
    EXPECT_FALSE(editMenuOffer(p, true, true).any());
}

TEST_F(EditRulesTest, EditMenuOnlyInTheProgramDisplay)
{
    p.selected = train;
    EXPECT_FALSE(editMenuOffer(p, false, false).any());
    EditOffer menu = editMenuOffer(p, false, true);
    EXPECT_TRUE(menu.edit && menu.moveNext && menu.movePrevious);
    EXPECT_FALSE(menu.undo);
    p.selected = end;
    EXPECT_FALSE(editMenuOffer(p, false, true).edit);
}

TEST_F(EditRulesTest, InsertionButtons)
{
    p.selected = -1;
    EXPECT_TRUE(canInsertKind(p, CommandKind::AlarmTime, layout, false));
    EXPECT_TRUE(canInsertKind(p, CommandKind::Timer, layout, false));
    EXPECT_FALSE(canInsertKind(p, CommandKind::TrainControl, layout, false));
    EXPECT_FALSE(canInsertKind(p, CommandKind::EndOfOperation, layout, false));

    p.selected = end;
    EXPECT_TRUE(canInsertKind(p, CommandKind::AlarmTime, layout, false));
    EXPECT_FALSE(canInsertKind(p, CommandKind::Timer, layout, false));
    EXPECT_FALSE(canInsertKind(p, CommandKind::SoundOutput, layout, false));

    p.selected = train;
    EXPECT_TRUE(canInsertKind(p, CommandKind::SwitchPoint, layout, false));
    EXPECT_FALSE(canInsertKind(p, CommandKind::EndOfOperation, layout, false)) << "not last";
    EXPECT_FALSE(canInsertKind(p, CommandKind::Turntable, layout, false));
    ProgramLayoutFacts bare{false, 0, true, 0};
    EXPECT_FALSE(canInsertKind(p, CommandKind::SwitchPoint, bare, false));
    EXPECT_TRUE(canInsertKind(p, CommandKind::Turntable, bare, false));
    EXPECT_FALSE(canInsertKind(p, CommandKind::Timer, layout, true));

    // Last of its chain: an end only without a continue-link, or after a repeat.
    p.selected = alarmNext;
    EXPECT_TRUE(canInsertKind(p, CommandKind::EndOfOperation, layout, false));
    p.commands[size_t(alarmNext)].link = int16_t(alarmNext);
    EXPECT_FALSE(canInsertKind(p, CommandKind::EndOfOperation, layout, false));
}

} // namespace
} // namespace vardo
