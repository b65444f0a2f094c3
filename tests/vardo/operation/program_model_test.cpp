#include "program_test_support.h"

#include "vardo/operation/program.h"

#include <gtest/gtest.h>

namespace vardo {
namespace {

using testing::addCommand;

// Walks a chain from its head and returns the slots in order.
std::vector<int> chain(const Program& p, int head)
{
    std::vector<int> slots;
    for (int i = head; i != -1 && slots.size() < 200; i = p.commands[i].next)
        slots.push_back(i);
    return slots;
}

TEST(ProgramCommandRecord, DefaultsPerKind)
{
    EXPECT_EQ(defaultCommand(CommandKind::AlarmTime, 9, true).value1, 10);
    // After 23 o'clock the next hour is 0, never 24.
    EXPECT_EQ(defaultCommand(CommandKind::AlarmTime, 23, true).value1, 0);
    EXPECT_EQ(defaultCommand(CommandKind::Timer, 0, true).value1, 10);
    EXPECT_EQ(defaultCommand(CommandKind::TrainControl, 0, true).option, 1);
    EXPECT_EQ(defaultCommand(CommandKind::SwitchPoint, 0, true).value1, 100);
    EXPECT_EQ(defaultCommand(CommandKind::SwitchPoint, 0, false).value1, 0);
    EXPECT_EQ(defaultCommand(CommandKind::PositionWait, 0, true).value2, 60);
    EXPECT_EQ(defaultCommand(CommandKind::Repeat, 0, true).value1, 1);
    ProgramCommand sound = defaultCommand(CommandKind::SoundOutput, 0, true);
    EXPECT_EQ(sound.option, 1);
    EXPECT_EQ(sound.value1, 1);
    ProgramCommand relay = defaultCommand(CommandKind::OptionOutput, 0, true);
    EXPECT_EQ(relay.option, 1);
    EXPECT_EQ(relay.value1, 7);
    EXPECT_EQ(defaultCommand(CommandKind::TrainSpeed, 0, true).value1, 100);
    EXPECT_EQ(defaultCommand(CommandKind::Turntable, 0, true).option, 2);
    ProgramCommand end = defaultCommand(CommandKind::EndOfOperation, 0, true);
    EXPECT_EQ(end.link, -1);
    EXPECT_EQ(end.value1, 0);
}

TEST(ProgramCommandRecord, TimeConsumingCommands)
{
    ProgramCommand c;
    c.kind = static_cast<uint8_t>(CommandKind::Timer);
    EXPECT_FALSE(isTimeConsuming(c));
    c.value2 = 1;
    EXPECT_TRUE(isTimeConsuming(c));
    c = ProgramCommand{};
    c.kind = static_cast<uint8_t>(CommandKind::TrainControl);
    c.value1 = 3;
    EXPECT_FALSE(isTimeConsuming(c)) << "a stop takes no time whatever its laps";
    c.option = 2;
    EXPECT_TRUE(isTimeConsuming(c));
    c.value1 = 0;
    EXPECT_FALSE(isTimeConsuming(c));
    c = ProgramCommand{};
    c.kind = static_cast<uint8_t>(CommandKind::PositionWait);
    EXPECT_TRUE(isTimeConsuming(c));
    c.kind = static_cast<uint8_t>(CommandKind::Repeat);
    c.value1 = 5;
    EXPECT_FALSE(isTimeConsuming(c));
}

TEST(ProgramRecordBytes, FieldsAreLittleEndianAtTheirOffsets)
{
    ProgramCommand c;
    c.kind = 7;
    c.option = 2;
    c.unused1[0] = 0x55; // must not reach the file
    c.value1 = 0x1234;
    c.value2 = -2;
    c.boxX = 72;
    c.boxY = 128;
    c.next = 5;
    c.prev = -1;
    c.link = 3;
    c.repeatLeft = 9;
    c.scratch = 17; // a scratch value stays in memory
    c.unused2[4] = 0x66;
    common::ByteWriter w;
    writeCommand(w, c);
    const std::vector<uint8_t> expected = {7, 2, 0, 0, 0x34, 0x12, 0xFE, 0xFF, 72, 0, 128, 0,
                                           5, 0, 0xFF, 0xFF, 3, 0, 9, 0, 0, 0, 0, 0,
                                           0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(w.bytes(), expected);

    common::ByteReader r(w.bytes());
    ProgramCommand back;
    ASSERT_TRUE(readCommand(r, back));
    EXPECT_EQ(back.kind, 7);
    EXPECT_EQ(back.value1, 0x1234);
    EXPECT_EQ(back.value2, -2);
    EXPECT_EQ(back.prev, -1);
    EXPECT_EQ(back.link, 3);
    EXPECT_EQ(back.repeatLeft, 9);
    EXPECT_EQ(back.unused1[0], 0);

    common::ByteReader shortInput(std::span(w.bytes()).first(31));
    EXPECT_FALSE(readCommand(shortInput, back));
    EXPECT_EQ(shortInput.position(), 0u);
}

TEST(ProgramChains, InsertAsNewChainInMiddleAndAtEnd)
{
    Program p;
    int timer = addCommand(p, CommandKind::Timer, -1, 5);
    EXPECT_EQ(p.commands[timer].prev, -1);
    int a = addCommand(p, CommandKind::TrainControl, timer);
    int b = addCommand(p, CommandKind::TrainSpeed, a);
    // In the middle: after the timer, before a.
    int m = addCommand(p, CommandKind::SoundOutput, timer);
    EXPECT_EQ(chain(p, timer), (std::vector<int>{timer, m, a, b}));
    EXPECT_EQ(p.commands[a].prev, m);
    EXPECT_EQ(p.commands[m].prev, timer);
    EXPECT_EQ(p.selected, m);
    EXPECT_EQ(p.count, 5);
    EXPECT_EQ(chain(p, 0), std::vector<int>{0});
}

TEST(ProgramChains, AlarmAlwaysHeadsANewChain)
{
    Program p;
    int t = addCommand(p, CommandKind::Timer, -1);
    int alarm = addCommand(p, CommandKind::AlarmTime, t);
    EXPECT_EQ(p.commands[alarm].prev, -1);
    EXPECT_EQ(p.commands[t].next, -1);
}

TEST(ProgramChains, InsertAfterLastTakesOverTheContinueLink)
{
    Program p;
    int a = addCommand(p, CommandKind::TrainControl, 0, 1, 0, 1);
    int b = addCommand(p, CommandKind::TrainSpeed, a);
    ASSERT_TRUE(p.setLink(b, a));
    int c = addCommand(p, CommandKind::SoundOutput, b);
    EXPECT_EQ(p.commands[b].link, -1);
    EXPECT_EQ(p.commands[c].link, a);

    // A repeat at the end keeps its loop; the new command gets no link.
    int r = addCommand(p, CommandKind::Repeat, c, 3);
    p.commands[c].link = -1;
    p.commands[r].link = static_cast<int16_t>(a);
    int d = addCommand(p, CommandKind::EndOfOperation, r);
    EXPECT_EQ(p.commands[r].link, a);
    EXPECT_EQ(p.commands[d].link, -1);
}

TEST(ProgramLayout, RowsWrapAndChainsStackDownwards)
{
    Program p;
    int prev = 0;
    std::vector<int> slots{0};
    for (int i = 0; i < 10; ++i)
        slots.push_back(prev = addCommand(p, CommandKind::TrainSpeed, prev));
    int head = addCommand(p, CommandKind::Timer, -1);
    p.layoutBoxes();
    // 16, 72, ... 464: nine boxes in a row, the tenth would leave less
    // than 136 pixels and wraps.
    for (int k = 0; k < 9; ++k) {
        EXPECT_EQ(p.commands[slots[k]].boxX, 16 + 56 * k);
        EXPECT_EQ(p.commands[slots[k]].boxY, 16);
    }
    EXPECT_EQ(p.commands[slots[9]].boxX, 16);
    EXPECT_EQ(p.commands[slots[9]].boxY, 72);
    EXPECT_EQ(p.commands[slots[10]].boxX, 72);
    EXPECT_EQ(p.commands[head].boxX, 16);
    EXPECT_EQ(p.commands[head].boxY, 128);
    EXPECT_EQ(p.layoutBottom(), 168);
}

TEST(ProgramLimits, SlotAndRowRefusals)
{
    // 98 commands: slot limit not yet reached, one more is accepted when
    // it fits, and the 99th slot in use refuses the next.
    Program p;
    p.count = 98;
    for (int i = 1; i < 98; ++i)
        p.commands[i] = ProgramCommand{}; // deleted slots still count
    p.selected = 0;
    EXPECT_TRUE(p.canInsert());
    p.count = 99;
    EXPECT_FALSE(p.canInsert());

    // Eight chains fill the rows down to y = 408; a ninth chain would end
    // at 464 + 40 > 480.
    Program rows;
    for (int i = 0; i < 7; ++i)
        addCommand(rows, CommandKind::Timer, -1);
    rows.selected = -1;
    EXPECT_FALSE(rows.canInsert());
    // Appending to the last chain stays in its row until the row is full.
    int last = 7;
    rows.selected = last;
    EXPECT_TRUE(rows.canInsert());
    for (int k = 0; k < 8; ++k)
        last = addCommand(rows, CommandKind::TrainSpeed, last);
    rows.selected = last;
    EXPECT_FALSE(rows.canInsert()) << "the row would wrap below the view";
    // An upper chain that wraps pushes every later chain down as well.
    int upper = 0;
    for (int k = 0; k < 8; ++k)
        upper = addCommand(rows, CommandKind::TrainSpeed, upper);
    rows.selected = upper;
    EXPECT_FALSE(rows.canInsert());
    rows.selected = rows.commands[upper].prev;
    EXPECT_FALSE(rows.canInsert()) << "an insertion inside the chain wraps it too";
}

struct LinkedProgram {
    // Chain 0: start -> stop -> timer -> speed -> repeat(loop to stop)
    // Chain t: timer head -> train -> end
    Program p;
    int stop, timer, speed, repeat, head, train;
    LinkedProgram()
    {
        stop = addCommand(p, CommandKind::TrainControl, 0, 2, 0, 0);
        timer = addCommand(p, CommandKind::Timer, stop, 5);
        speed = addCommand(p, CommandKind::TrainSpeed, timer, 50);
        repeat = addCommand(p, CommandKind::Repeat, speed, 3);
        p.commands[repeat].link = static_cast<int16_t>(stop);
        head = addCommand(p, CommandKind::Timer, -1, 10);
        train = addCommand(p, CommandKind::TrainControl, head, 1, 0, 1);
    }
};

TEST(ProgramLinks, RulesInTheirOrder)
{
    LinkedProgram l;
    Program& p = l.p;
    EXPECT_EQ(p.checkLink(l.repeat, 0), LinkCheck::ToChainHead);
    EXPECT_EQ(p.checkLink(l.repeat, l.head), LinkCheck::ToChainHead);
    EXPECT_EQ(p.checkLink(l.stop, l.speed), LinkCheck::NotBackwards);
    EXPECT_EQ(p.checkLink(l.repeat, l.train), LinkCheck::NotBackwards) << "other chain";
    // Only a stop between target and source: nothing takes time.
    EXPECT_EQ(p.checkLink(l.stop, l.stop), LinkCheck::NoTimeConsuming);
    EXPECT_EQ(p.checkLink(l.repeat, l.speed), LinkCheck::NoTimeConsuming);
    EXPECT_EQ(p.checkLink(l.repeat, l.timer), LinkCheck::Ok);
    EXPECT_EQ(p.checkLink(l.repeat, l.stop), LinkCheck::Ok);
    EXPECT_EQ(p.checkLink(l.repeat, 55), LinkCheck::Invalid);
    EXPECT_FALSE(p.setLink(l.repeat, l.speed));
    EXPECT_EQ(p.commands[l.repeat].link, l.stop);
    EXPECT_TRUE(p.setLink(l.repeat, l.timer));
    EXPECT_EQ(p.commands[l.repeat].link, l.timer);
}

TEST(ProgramDelete, ChainHeadEmptiesTheChainAndLinksIntoIt)
{
    LinkedProgram l;
    Program& p = l.p;
    // A link from another chain into the deleted one (only a damaged or
    // old file has one) must not be left pointing at an empty slot.
    p.commands[l.speed].link = static_cast<int16_t>(l.train);
    p.linkSource = l.train;
    EXPECT_TRUE(p.deleteChain(l.head));
    EXPECT_TRUE(p.commands[l.head].isEmpty());
    EXPECT_TRUE(p.commands[l.train].isEmpty());
    EXPECT_EQ(p.commands[l.speed].link, -1);
    EXPECT_EQ(p.commands[l.repeat].link, l.stop);
    EXPECT_EQ(p.selected, -1);
    EXPECT_EQ(p.linkSource, -1);
    EXPECT_EQ(p.count, 7) << "slots stay in use until compaction";
    EXPECT_FALSE(p.deleteChain(0)) << "the start command stays";
    EXPECT_FALSE(p.deleteChain(l.timer)) << "not a chain head";
}

TEST(ProgramDelete, InnerCommandMovesLinksToItsFollower)
{
    LinkedProgram l;
    Program& p = l.p;
    EXPECT_TRUE(p.deleteInnerCommand(l.stop));
    EXPECT_EQ(chain(p, 0), (std::vector<int>{0, l.timer, l.speed, l.repeat}));
    EXPECT_EQ(p.commands[l.timer].prev, 0);
    EXPECT_EQ(p.commands[l.repeat].link, l.timer);
    EXPECT_EQ(p.selected, 0);
    EXPECT_TRUE(p.commands[l.stop].isEmpty());
    EXPECT_FALSE(p.deleteInnerCommand(l.head));
}

TEST(ProgramDelete, LastCommandHandsItsContinueLinkOn)
{
    Program p;
    int a = addCommand(p, CommandKind::TrainControl, 0, 1, 0, 1);
    int b = addCommand(p, CommandKind::TrainSpeed, a);
    int c = addCommand(p, CommandKind::SoundOutput, b);
    ASSERT_TRUE(p.setLink(c, a));
    EXPECT_TRUE(p.deleteInnerCommand(c));
    EXPECT_EQ(p.commands[b].link, a);
    EXPECT_EQ(p.commands[b].next, -1);
    EXPECT_EQ(p.selected, b);

    // A repeat's loop is not a continuation: it goes with the repeat.
    int r = addCommand(p, CommandKind::Repeat, b, 2);
    p.commands[b].link = -1;
    p.commands[r].link = static_cast<int16_t>(a);
    EXPECT_TRUE(p.deleteInnerCommand(r));
    EXPECT_EQ(p.commands[b].link, -1);
}

TEST(ProgramDelete, ContinueLinkDoesNotOverwriteARepeatsLoop)
{
    Program p;
    int a = addCommand(p, CommandKind::Timer, 0, 5);
    int r = addCommand(p, CommandKind::Repeat, a, 2);
    p.commands[r].link = static_cast<int16_t>(a);
    int e = addCommand(p, CommandKind::TrainSpeed, r);
    p.commands[e].link = static_cast<int16_t>(a);
    EXPECT_TRUE(p.deleteInnerCommand(e));
    EXPECT_EQ(p.commands[r].link, a);
    EXPECT_EQ(p.commands[r].next, -1);
}

TEST(ProgramDelete, SelfLinkOfTheDeletedCommandIsNotHandedOn)
{
    Program p;
    int a = addCommand(p, CommandKind::TrainSpeed, 0);
    int b = addCommand(p, CommandKind::TrainControl, a, 1, 0, 1);
    ASSERT_TRUE(p.setLink(b, b));
    EXPECT_TRUE(p.deleteInnerCommand(b));
    EXPECT_EQ(p.commands[a].link, -1) << "would point at the emptied slot";
}

TEST(ProgramMove, ExchangesContentsAndKeepsChainOrder)
{
    LinkedProgram l;
    Program& p = l.p;
    p.selected = l.timer;
    ASSERT_TRUE(p.canMove(+1));
    EXPECT_TRUE(p.moveCommand(+1));
    EXPECT_TRUE(p.commands[l.timer].is(CommandKind::TrainSpeed));
    EXPECT_EQ(p.commands[l.timer].value1, 50);
    EXPECT_TRUE(p.commands[l.speed].is(CommandKind::Timer));
    EXPECT_EQ(p.commands[l.speed].value1, 5);
    EXPECT_EQ(p.selected, l.timer);
    EXPECT_EQ(chain(p, 0), (std::vector<int>{0, l.stop, l.timer, l.speed, l.repeat}));

    // Moving the repeat takes its loop along.
    p.selected = l.repeat;
    EXPECT_TRUE(p.moveCommand(-1));
    EXPECT_TRUE(p.commands[l.speed].is(CommandKind::Repeat));
    EXPECT_EQ(p.commands[l.speed].link, l.stop);
    EXPECT_TRUE(p.commands[l.repeat].is(CommandKind::Timer));
    EXPECT_EQ(p.commands[l.repeat].link, -1);
}

TEST(ProgramMove, ContinueLinkStaysAtTheEndAndInnerLinksAreCleared)
{
    Program p;
    int a = addCommand(p, CommandKind::TrainControl, 0, 1, 0, 1);
    int b = addCommand(p, CommandKind::TrainSpeed, a);
    int c = addCommand(p, CommandKind::Timer, b, 3);
    ASSERT_TRUE(p.setLink(c, a));
    p.selected = b;
    EXPECT_TRUE(p.moveCommand(+1));
    EXPECT_EQ(p.commands[c].link, a);
    EXPECT_TRUE(p.commands[c].is(CommandKind::TrainSpeed));
    // A repeat moved in front of its own loop start would jump to itself.
    Program q;
    int t = addCommand(q, CommandKind::TrainSpeed, 0);
    int s = addCommand(q, CommandKind::Timer, t, 3);
    int r = addCommand(q, CommandKind::Repeat, s, 2);
    ASSERT_TRUE(q.setLink(r, s));
    q.selected = r;
    EXPECT_TRUE(q.moveCommand(-1));
    EXPECT_TRUE(q.commands[s].is(CommandKind::Repeat));
    EXPECT_EQ(q.commands[s].link, -1);
}

TEST(ProgramMove, Refusals)
{
    LinkedProgram l;
    Program& p = l.p;
    p.selected = 0;
    EXPECT_FALSE(p.canMove(+1)) << "start command";
    p.selected = l.stop;
    EXPECT_FALSE(p.canMove(-1)) << "previous is a chain head";
    int end = addCommand(p, CommandKind::EndOfOperation, l.train);
    p.selected = l.train;
    EXPECT_FALSE(p.canMove(+1)) << "next is the end of operation";
    p.selected = end;
    EXPECT_FALSE(p.canMove(-1));
    int alarm = addCommand(p, CommandKind::AlarmTime, -1, 7);
    addCommand(p, CommandKind::TrainSpeed, alarm);
    p.selected = alarm;
    EXPECT_FALSE(p.canMove(+1));
    EXPECT_FALSE(p.moveCommand(+1));
    EXPECT_TRUE(p.commands[alarm].is(CommandKind::AlarmTime));
}

TEST(ProgramUndo, RestoresOneLevel)
{
    LinkedProgram l;
    Program& p = l.p;
    const CommandTable before = p.commands;
    const int countBefore = p.count;
    EXPECT_FALSE(p.undo());
    p.takeUndoCopy();
    p.deleteChain(l.head);
    EXPECT_TRUE(p.undo());
    EXPECT_EQ(p.count, countBefore);
    EXPECT_EQ(p.commands[l.train].kind, before[l.train].kind);
    EXPECT_EQ(p.commands[l.head].next, l.train);
    EXPECT_EQ(p.selected, -1);
    EXPECT_FALSE(p.canUndo());
    EXPECT_FALSE(p.undo()) << "only one level";
}

TEST(ProgramCompact, RenumbersChainsAndLinks)
{
    LinkedProgram l;
    Program& p = l.p;
    // Chain order differs from slot order after a middle insertion.
    int extra = addCommand(p, CommandKind::SoundOutput, l.stop, 1, 0, 1);
    p.deleteInnerCommand(l.speed);
    p.selected = l.train;
    p.compact();
    // Start chain: start, stop, extra, timer, repeat; then head, train.
    ASSERT_EQ(p.count, 7);
    const int expectedKinds[] = {1, 4, 8, 3, 7, 3, 4};
    const int oldIndex[] = {0, l.stop, extra, l.timer, l.repeat, l.head, l.train};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(p.commands[i].kind, expectedKinds[i]) << i;
        EXPECT_EQ(p.commands[i].scratch, oldIndex[i]) << i;
    }
    EXPECT_EQ(chain(p, 0), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(chain(p, 5), (std::vector<int>{5, 6}));
    EXPECT_EQ(p.commands[1].prev, 0);
    EXPECT_EQ(p.commands[5].prev, -1);
    EXPECT_EQ(p.commands[4].link, 1) << "repeat still loops to the stop";
    EXPECT_EQ(p.selected, 6);
    EXPECT_TRUE(p.commands[7].isEmpty());
}

TEST(ProgramTitle, CutOnACharacterBoundaryAt64Bytes)
{
    Program p;
    std::string kana;
    for (int i = 0; i < 40; ++i)
        kana += "あ"; // two bytes each in CP932
    p.setTitle("x" + kana);
    // 1 + 31 x 2 = 63 bytes: the 32nd character would need bytes 64 and 65.
    std::string expected = "x";
    for (int i = 0; i < 31; ++i)
        expected += "あ";
    EXPECT_EQ(p.title(), expected);
    EXPECT_EQ(cutCp932("ab\x82", 64), "ab") << "a dangling lead byte is dropped";
}

} // namespace
} // namespace vardo
