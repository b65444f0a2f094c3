#include "program_test_support.h"

#include "vardo/operation/program_file.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace vardo {
namespace {

using testing::FileRecord;
using testing::fileImage;

// Start command followed by one command, chained.
std::vector<FileRecord> startAnd(FileRecord second)
{
    second.prev = 0;
    second.next = -1;
    return {{1, 0, 0, 0, 1, -1, -1}, second};
}

ProgramFileContents parseOk(const std::vector<uint8_t>& bytes, const std::string& path = "p.vpr")
{
    ProgramFileContents c;
    EXPECT_EQ(parseProgramFile(bytes, path, c), ProgramFileStatus::Ok);
    return c;
}

TEST(ProgramFileWrite, NewProgramIsSixtyFourBytes)
{
    Program p;
    p.compact();
    const std::vector<uint8_t> bytes = serialiseProgram(p);
    common::ByteWriter expected;
    testing::putHeader(expected, 3, 1, -1);
    expected.putU8(1); // start
    expected.putU8(0);
    expected.putZeros(2);
    expected.putI16(0);
    expected.putI16(0);
    expected.putI16(16); // box
    expected.putI16(16);
    expected.putI16(-1); // next
    expected.putI16(-1); // prev
    expected.putI16(-1); // link
    expected.putI16(0);  // repeat counter
    expected.putI16(0);  // index before compaction
    expected.putZeros(10);
    ASSERT_EQ(bytes.size(), 64u);
    EXPECT_EQ(bytes, expected.bytes());
}

TEST(ProgramFileWrite, TitleIsCp932WithATerminatingZero)
{
    Program p;
    p.setTitle("運転");
    p.virtualTime = 605;
    std::vector<uint8_t> bytes = serialiseProgram(p);
    ASSERT_EQ(bytes.size(), 64u + 5);
    EXPECT_EQ(std::vector<uint8_t>(bytes.end() - 5, bytes.end()),
              (std::vector<uint8_t>{0x89, 0x5E, 0x93, 0x5D, 0}));
    ProgramFileContents back = parseOk(bytes);
    EXPECT_EQ(back.title, "運転");
    EXPECT_EQ(back.virtualTime, 605);
}

TEST(ProgramFileRead, Version2TimerMinutesAndSecondsBecomeSeconds)
{
    ProgramFileContents c = parseOk(fileImage(2, startAnd({3, 0, 2, 30})));
    EXPECT_EQ(c.version, 2);
    EXPECT_EQ(c.commands[1].value1, 150);
    EXPECT_EQ(c.commands[1].value2, 0);
    // Present files keep their timers as they are.
    ProgramFileContents now = parseOk(fileImage(3, startAnd({3, 0, 150, 500})));
    EXPECT_EQ(now.commands[1].value1, 150);
    EXPECT_EQ(now.commands[1].value2, 500);
}

TEST(ProgramFileRead, Version1PackedNumbersAreUnpacked)
{
    // The 32-bit number over value1 (low half) and value2 (high half).
    auto packed = [](int kind, int option, int32_t t) {
        uint32_t u = static_cast<uint32_t>(t);
        return FileRecord{kind, option, int16_t(u & 0xFFFF), int16_t(u >> 16)};
    };
    ProgramFileContents timer = parseOk(fileImage(1, startAnd(packed(3, 0, 150))));
    EXPECT_EQ(timer.commands[1].value1, 150) << "150 s by way of 2 min 30 s";
    EXPECT_EQ(timer.commands[1].value2, 0);

    ProgramFileContents alarm = parseOk(fileImage(1, startAnd(packed(2, 0, 9 * 60 + 45))));
    EXPECT_EQ(alarm.commands[1].value1, 9);
    EXPECT_EQ(alarm.commands[1].value2, 45);

    ProgramFileContents huge = parseOk(fileImage(1, startAnd(packed(3, 0, 100000))));
    EXPECT_EQ(huge.commands[1].value1, 32767) << "kept in range, not wrapped";

    ProgramFileContents branch = parseOk(fileImage(1, startAnd({5, 3, 100, 0})));
    EXPECT_EQ(branch.commands[1].option, 1);
    EXPECT_EQ(branch.commands[1].value2, 1);
    ProgramFileContents straight = parseOk(fileImage(1, startAnd({5, 2, 100, 0})));
    EXPECT_EQ(straight.commands[1].option, 0);
    EXPECT_EQ(straight.commands[1].value2, 1);

    ProgramFileContents spot = parseOk(fileImage(1, startAnd(packed(6, 3, 200 * 640 + 300))));
    EXPECT_EQ(spot.commands[1].value1, 300);
    EXPECT_EQ(spot.commands[1].value2, 200);
    ProgramFileContents platform = parseOk(fileImage(1, startAnd({6, 0, 0, 60})));
    EXPECT_EQ(platform.commands[1].value2, 60);
}

TEST(ProgramFileRead, TitleRules)
{
    std::vector<FileRecord> one = {{1}};
    EXPECT_EQ(parseOk(fileImage(3, one, "abc")).title, "abc");
    EXPECT_EQ(parseOk(fileImage(3, one), "/home/u/my.prog.vpr").title, "my.prog");
    EXPECT_EQ(parseOk(fileImage(3, one), "C:\\VARDO\\sample\\demo.vpr").title, "demo");
    EXPECT_EQ(parseOk(fileImage(3, one, "\x89\x5E\x93\x5D")).title, "運転");

    // Bytes after the records whose first is zero: an empty title.
    std::vector<uint8_t> zero = fileImage(3, one);
    zero.push_back(0);
    EXPECT_EQ(parseOk(zero).title, "");

    // At most 64 bytes are read, even without a terminating zero.
    std::vector<uint8_t> longTitle = fileImage(3, one);
    for (int i = 0; i < 70; ++i)
        longTitle.push_back(static_cast<uint8_t>('a' + i % 26));
    std::string title = parseOk(longTitle).title;
    ASSERT_EQ(title.size(), 64u);
    EXPECT_EQ(title.substr(0, 3), "abc");

    // A 64-byte cut through a double-byte character drops the half.
    std::vector<uint8_t> cut = fileImage(3, one);
    cut.push_back('x');
    for (int i = 0; i < 40; ++i) {
        cut.push_back(0x82);
        cut.push_back(0xA0);
    }
    title = parseOk(cut).title;
    std::string expected = "x";
    for (int i = 0; i < 31; ++i)
        expected += "あ";
    EXPECT_EQ(title, expected);
}

TEST(ProgramFileRead, RefusedImages)
{
    const std::vector<uint8_t> good = fileImage(3, startAnd({3, 0, 10, 0}));
    ProgramFileContents c;
    ASSERT_EQ(parseProgramFile(good, "g.vpr", c), ProgramFileStatus::Ok);

    auto setI32 = [](std::vector<uint8_t>& b, size_t at, int32_t v) {
        for (int k = 0; k < 4; ++k)
            b[at + k] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * k));
    };
    auto setI16 = [](std::vector<uint8_t>& b, size_t at, int16_t v) {
        b[at] = static_cast<uint8_t>(v & 0xFF);
        b[at + 1] = static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8);
    };
    constexpr size_t rec1 = 32 + 32;
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> damage;
    };
    const Case cases[] = {
        {"magic", [](auto& b) { b[3] = 'x'; }},
        {"short header", [](auto& b) { b.resize(20); }},
        {"version 0", [&](auto& b) { setI32(b, 4, 0); }},
        {"version 4", [&](auto& b) { setI32(b, 4, 4); }},
        {"count 0", [&](auto& b) { setI32(b, 8, 0); }},
        {"negative count", [&](auto& b) { setI32(b, 8, -1); }},
        {"count above 100", [&](auto& b) { setI32(b, 8, 101); }},
        {"huge count", [&](auto& b) { setI32(b, 8, 0x7FFFFFFF); }},
        {"count beyond the file", [&](auto& b) { setI32(b, 8, 3); }},
        {"record cut short", [](auto& b) { b.resize(32 + 32 + 20); }},
        {"next out of range", [&](auto& b) { setI16(b, 32 + 12, 7); }},
        {"next to itself", [&](auto& b) { setI16(b, rec1 + 12, 1); }},
        {"prev does not point back", [&](auto& b) { setI16(b, rec1 + 14, -1); }},
        {"prev out of range", [&](auto& b) { setI16(b, rec1 + 14, -300); }},
        {"slot 0 is not the start", [](auto& b) { b[32] = 3; }},
        {"a second start", [](auto& b) { b[rec1] = 1; }},
        {"unknown kind", [](auto& b) { b[rec1] = 13; }},
        {"next to an empty slot", [](auto& b) { b[rec1] = 0; }},
    };
    for (const Case& k : cases) {
        std::vector<uint8_t> bad = good;
        k.damage(bad);
        ProgramFileContents out;
        out.count = 77;
        EXPECT_EQ(parseProgramFile(bad, "b.vpr", out), ProgramFileStatus::NotProgramFile)
            << k.what;
        EXPECT_EQ(out.count, 77) << k.what << ": output untouched";
    }
}

TEST(ProgramFileRead, RingOfCommandsIsRefused)
{
    // Slots 1 and 2 point at each other: each has a predecessor, so no chain
    // head leads to them and a walk along them would never end.
    std::vector<FileRecord> ring = {{1}, {3, 0, 5, 0, 2, 2}, {11, 0, 50, 0, 1, 1}};
    ProgramFileContents c;
    EXPECT_EQ(parseProgramFile(fileImage(3, ring), "r.vpr", c), ProgramFileStatus::NotProgramFile);
}

TEST(ProgramFileRead, DanglingLinksAndTimesAreMadeSafe)
{
    // start -> (deleted) ; timer chain 2 -> 3 with links to nowhere.
    std::vector<FileRecord> records = {
        {1, 0, 0, 0, -1, -1, -1},
        {0, 0, 0, 0, 5, 9, 3}, // a deleted slot: its leftovers do not matter
        {3, 0, 5, 0, 3, -1, -1},
        {4, 1, 1, 0, -1, 2, 1},  // link to the empty slot
        {7, 0, 2, 0, -1, -1, 77}, // a lone repeat linking out of range
    };
    ProgramFileContents c = parseOk(fileImage(3, records, "", 5000));
    EXPECT_EQ(c.commands[3].link, -1);
    EXPECT_EQ(c.commands[4].link, -1);
    EXPECT_EQ(c.clearedLinks, 2);
    EXPECT_EQ(c.virtualTime, -1) << "no such time of day";
    EXPECT_EQ(parseOk(fileImage(3, {{1}}, "", 1439)).virtualTime, 1439);

    Program p;
    p.fileName = "kept";
    applyProgramFile(c, p);
    EXPECT_EQ(p.count, 5);
    EXPECT_EQ(p.selected, 0);
    EXPECT_FALSE(p.modified);
    EXPECT_EQ(p.fileName, "kept");
    EXPECT_EQ(p.commands[2].boxY, 72) << "boxes laid out again";
    EXPECT_EQ(p.commands[3].boxX, 72);
    EXPECT_EQ(p.commands[4].boxY, 128);
}

// A program of 99 commands in many chains, built with middle insertions
// and a deletion so that slot order and chain order differ.
Program generatedProgram()
{
    std::mt19937 random(1234);
    Program p;
    const CommandKind kinds[] = {CommandKind::Timer,       CommandKind::TrainControl,
                                 CommandKind::SwitchPoint, CommandKind::PositionWait,
                                 CommandKind::Repeat,      CommandKind::SoundOutput,
                                 CommandKind::OptionOutput, CommandKind::TrainSpeed,
                                 CommandKind::Turntable};
    while (p.count < kProgramSlots) {
        int after = -1;
        if (p.count < 3 || random() % 6 != 0) {
            do
                after = static_cast<int>(random() % p.count);
            while (!p.isCommand(after));
        }
        CommandKind kind = after == -1 ? (random() % 2 ? CommandKind::Timer : CommandKind::AlarmTime)
                                       : kinds[random() % 9];
        ProgramCommand c = defaultCommand(kind, 7, true);
        c.value1 = static_cast<int16_t>(random() % 100);
        c.value2 = static_cast<int16_t>(random() % 60);
        c.repeatLeft = static_cast<int16_t>(random() % 5);
        p.selected = after;
        EXPECT_TRUE(p.insertCommand(c));
    }
    // Loops and continuations wherever the rules allow one.
    for (int s = 1; s < p.count; ++s) {
        if (!p.commands[s].is(CommandKind::Repeat) && !p.isLastOfChain(s))
            continue;
        for (int t = 1; t < p.count; ++t) {
            if (p.setLink(s, t))
                break;
        }
    }
    p.deleteInnerCommand(p.commands[0].next);
    p.setTitle("ループ運転 99");
    p.virtualTime = 8 * 60;
    p.layoutBoxes();
    return p;
}

TEST(ProgramFileRoundTrip, NinetyNineCommandsSurviveSaveAndLoad)
{
    Program original = generatedProgram();
    int links = 0;
    for (int i = 0; i < original.count; ++i)
        links += original.commands[i].link != -1;
    ASSERT_GT(links, 5);

    original.compact();
    original.layoutBoxes();
    ASSERT_EQ(original.count, 99);
    const std::vector<uint8_t> first = serialiseProgram(original);

    ProgramFileContents contents = parseOk(first, "x.vpr");
    EXPECT_EQ(contents.clearedLinks, 0);
    Program loaded;
    applyProgramFile(contents, loaded);
    loaded.compact();
    loaded.layoutBoxes();
    const std::vector<uint8_t> second = serialiseProgram(loaded);
    EXPECT_EQ(first, second);
    EXPECT_EQ(loaded.title(), "ループ運転 99");
    EXPECT_EQ(loaded.virtualTime, 480);
    for (int i = 0; i < 99; ++i) {
        EXPECT_EQ(loaded.commands[i].kind, original.commands[i].kind) << i;
        EXPECT_EQ(loaded.commands[i].next, original.commands[i].next) << i;
        EXPECT_EQ(loaded.commands[i].link, original.commands[i].link) << i;
        EXPECT_EQ(loaded.commands[i].repeatLeft, original.commands[i].repeatLeft) << i;
    }
}

} // namespace
} // namespace vardo

namespace vardo {
namespace {

TEST(ProgramFileRead, DamagedImagesNeverGiveABrokenProgram)
{
    Program source = generatedProgram();
    source.compact();
    const std::vector<uint8_t> good = serialiseProgram(source);
    std::mt19937 random(99);
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> bytes = good;
        for (int k = 0, n = 1 + int(random() % 4); k < n; ++k)
            bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
        ProgramFileContents contents;
        if (parseProgramFile(bytes, "f.vpr", contents) != ProgramFileStatus::Ok)
            continue;
        ++accepted;
        Program p;
        applyProgramFile(contents, p);
        int commands = 0;
        for (int i = 0; i < p.count; ++i) {
            commands += p.isCommand(i);
            if (p.isCommand(i)) {
                ASSERT_TRUE(p.reaches(p.headOfChain(i), i)) << round;
                ASSERT_TRUE(p.commands[i].link == -1 || p.isCommand(p.commands[i].link));
            }
        }
        p.compact();
        ASSERT_EQ(p.count, commands) << round << ": compaction keeps every command";
    }
    EXPECT_GT(accepted, 100) << "value bytes are not refused";
}

} // namespace
} // namespace vardo
