// The sound settings list: slots, labels, add/delete/move and the keys
// written on OK, with the numbers whose sound must be unloaded.
#include "sound_rig.h"
#include "vardo/devices/sound_file_list.h"

#include "vardo/devices/sound_table.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace soundtest;
using vardo::devices::SoundFileList;

namespace {

struct ListRig {
    explicit ListRig(const std::vector<std::string>& values, int capacity = 16)
        : rig(values), list(capacity, [this](int n) { unloaded.push_back(n); })
    {
        list.load(*rig.settings);
    }
    std::vector<std::string> labels() const
    {
        std::vector<std::string> v;
        for (int i = 0; i < list.size(); ++i)
            v.push_back(list.label(i));
        return v;
    }
    SoundRig rig;
    std::vector<int> unloaded;
    SoundFileList list;
};

} // namespace

TEST(SoundFileList, OpensWithTheKeysUpToTheFirstGap)
{
    ListRig r({"bell.wav", "C:\\snd\\horn.wav", "/usr/share/x/chime.mid", "", "late.wav"});
    EXPECT_EQ(r.labels(), (std::vector<std::string>{"1:bell.wav", "2:horn.wav", "3:chime.mid"}));
    EXPECT_EQ(r.list.value(1), "C:\\snd\\horn.wav");
    auto b = r.list.buttons(-1);
    EXPECT_FALSE(b.remove || b.play || b.stop || b.up || b.down);
    b = r.list.buttons(0);
    EXPECT_TRUE(b.remove && b.play && b.stop && b.down);
    EXPECT_FALSE(b.up);
    b = r.list.buttons(2);
    EXPECT_TRUE(b.up);
    EXPECT_FALSE(b.down);
}

TEST(SoundFileList, AddFillsTheFirstEmptySlotUntilFull)
{
    ListRig r({"a.wav"}, 2);
    EXPECT_EQ(r.list.addRefusal(), 0);
    EXPECT_EQ(r.list.add("/tmp/b.wav"), 1);
    EXPECT_EQ(r.list.label(1), "2:b.wav");
    EXPECT_EQ(r.list.add(""), -1); // a cancelled file dialog adds nothing
    // Full below 1024 slots: restart for more; at 1024 there are no more.
    EXPECT_EQ(r.list.addRefusal(), common::msg::SoundRestartNeeded);
    EXPECT_EQ(r.list.add("/tmp/c.wav"), -1);
    EXPECT_EQ(r.list.size(), 2);

    std::vector<std::string> many(1024, "x.wav");
    ListRig full(many, 1024);
    EXPECT_EQ(full.list.size(), 1024);
    EXPECT_EQ(full.list.addRefusal(), common::msg::SoundCapacityFull);
}

TEST(SoundFileList, DeleteMovesTheRestUpAndUnloadsThem)
{
    ListRig r({"a.wav", "b.wav", "c.wav", "d.wav"});
    ASSERT_TRUE(r.list.remove(1));
    EXPECT_EQ(r.labels(), (std::vector<std::string>{"1:a.wav", "2:c.wav", "3:d.wav"}));
    EXPECT_EQ(r.unloaded, (std::vector<int>{2, 3, 4}));
    EXPECT_FALSE(r.list.remove(3));
    EXPECT_FALSE(r.list.remove(-1));
}

TEST(SoundFileList, MovesSwapNeighboursAndUnloadBoth)
{
    ListRig r({"a.wav", "b.wav", "c.wav"});
    EXPECT_EQ(r.list.moveUp(0), -1);
    EXPECT_EQ(r.list.moveDown(2), -1);
    EXPECT_EQ(r.list.moveDown(0), 1);
    EXPECT_EQ(r.labels(), (std::vector<std::string>{"1:b.wav", "2:a.wav", "3:c.wav"}));
    EXPECT_EQ(r.list.moveUp(2), 1);
    EXPECT_EQ(r.labels(), (std::vector<std::string>{"1:b.wav", "2:c.wav", "3:a.wav"}));
    EXPECT_EQ(r.unloaded, (std::vector<int>{1, 2, 3, 2}));
}

TEST(SoundFileList, SaveWritesEverySlotAndEmptiesStaleKeys)
{
    ListRig r({"a.wav", "b.wav", "c.wav"});
    r.list.remove(0);
    EXPECT_EQ(r.list.save(*r.rig.settings), 2);
    EXPECT_EQ(r.rig.settings->soundFile(1), "b.wav");
    EXPECT_EQ(r.rig.settings->soundFile(2), "c.wav");
    EXPECT_EQ(r.rig.settings->soundFile(3), "");
    EXPECT_EQ(vardo::devices::soundCount(*r.rig.settings), 2);
    // Slots that never held anything add no keys.
    std::ifstream in(r.rig.dir.file("option.ini"));
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.find("SOUND_FILE4"), std::string::npos) << text;
}
