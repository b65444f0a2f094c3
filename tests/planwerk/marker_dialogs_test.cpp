// The settings dialogs' logic: initial state from a record, enabling when a
// box is clicked, what OK stores, and the sound list from option.ini.
#include "editor_fixture.h"

#include "planwerk/marker_dialogs.h"

#include <fstream>

namespace planwerk::testing {
namespace {

using layoutdata::ControlPointRecord;
using layoutdata::CrossingRecord;

std::vector<std::string> sixSounds()
{
    return {"a.wav", "b.wav", "c.wav", "d.wav", "e.wav", "f.wav"};
}

ControlPointRecord control(int track, int point, int option, int relay, int sound, int number)
{
    ControlPointRecord r;
    r.trackAction = uint8_t(track);
    r.point = uint8_t(point);
    r.option = uint8_t(option);
    r.relay = uint8_t(relay);
    r.sound = uint8_t(sound);
    r.soundNumber = uint8_t(number);
    return r;
}

TEST(ControlDialog, InitialStateFollowsTheRecord)
{
    auto branch = ControlDialogState::fromRecord(control(2, 3, 2, 1, 2, 4), sixSounds());
    EXPECT_TRUE(branch.point);
    EXPECT_EQ(branch.pointChoice, 1);
    EXPECT_EQ(branch.pointIndex, 3);
    EXPECT_TRUE(branch.pointEnabled);
    EXPECT_FALSE(branch.train);
    EXPECT_FALSE(branch.trainEnabled);
    EXPECT_TRUE(branch.option);
    EXPECT_EQ(branch.optionChoice, 1);
    EXPECT_EQ(branch.relayIndex, 1);
    EXPECT_TRUE(branch.optionEnabled);
    EXPECT_TRUE(branch.sound);
    EXPECT_EQ(branch.soundChoice, 1);
    EXPECT_EQ(branch.soundIndex, 3);

    auto reverse = ControlDialogState::fromRecord(control(8, 0, 0, 0, 0, 0), sixSounds());
    EXPECT_TRUE(reverse.train);
    EXPECT_EQ(reverse.trainChoice, 1);
    EXPECT_TRUE(reverse.trainEnabled);
    EXPECT_FALSE(reverse.point);
    EXPECT_FALSE(reverse.pointEnabled);
    EXPECT_FALSE(reverse.optionEnabled);
    EXPECT_FALSE(reverse.soundEnabled);
    EXPECT_EQ(reverse.soundChoice, 0);
    // No sound number shows entry 5.
    EXPECT_EQ(reverse.soundIndex, 5);

    // Actions 3..6 enable the point group without checking it.
    auto other = ControlDialogState::fromRecord(control(4, 0, 0, 0, 0, 0), {"x.wav"});
    EXPECT_FALSE(other.point);
    EXPECT_TRUE(other.pointEnabled);
    EXPECT_EQ(other.soundIndex, -1); // entry 5 of a one-entry list: nothing shown
}

TEST(ControlDialog, CheckBoxesEnableTheirGroupsAndThePointBoxDisablesTrainChoices)
{
    auto s = ControlDialogState::fromRecord(control(7, 0, 0, 0, 0, 0), sixSounds());
    ASSERT_TRUE(s.trainEnabled);
    s.setPoint(true);
    EXPECT_TRUE(s.pointEnabled);
    EXPECT_FALSE(s.trainEnabled);
    EXPECT_TRUE(s.train); // still checked: it wins on OK
    s.setOption(true);
    EXPECT_TRUE(s.optionEnabled);
    s.setOption(false);
    EXPECT_FALSE(s.optionEnabled);
    s.setSound(true);
    EXPECT_TRUE(s.soundEnabled);
}

TEST(ControlDialog, OkStoresTheCheckedGroups)
{
    ControlPointRecord r = control(0, 0, 0, 0, 0, 0);
    r.x = 11;
    r.y = 22;
    auto s = ControlDialogState::fromRecord(r, sixSounds());
    s.direction = 1;
    s.setTrain(true);
    s.trainChoice = 1;
    s.setPoint(true);
    s.pointIndex = 2;
    s.setOption(true);
    s.optionChoice = 0;
    s.relayIndex = 3;
    s.setSound(true);
    s.soundChoice = 1;
    s.soundIndex = 4;
    s.store(r);
    EXPECT_EQ(r.direction, 1);
    EXPECT_EQ(r.trackAction, 8); // the train box wins over the point box
    EXPECT_EQ(r.option, 1);
    EXPECT_EQ(r.relay, 3);
    EXPECT_EQ(r.sound, 2);
    EXPECT_EQ(r.soundNumber, 5);
    EXPECT_EQ(r.x, 11);
    EXPECT_EQ(r.y, 22);

    s.setTrain(false);
    s.setOption(false);
    s.setSound(false);
    s.store(r);
    EXPECT_EQ(r.trackAction, 1);
    EXPECT_EQ(r.point, 2);
    EXPECT_EQ(r.option, 0);
    EXPECT_EQ(r.sound, 0);
}

TEST(ControlDialog, AnIndexOutsideItsListIsNeverStored)
{
    // A record from a file with a point index beyond the four points.
    auto s = ControlDialogState::fromRecord(control(1, 9, 1, 7, 1, 0), {});
    EXPECT_EQ(s.pointIndex, -1);
    EXPECT_EQ(s.relayIndex, -1);
    ControlPointRecord r;
    s.store(r);
    EXPECT_EQ(r.trackAction, 1);
    EXPECT_EQ(r.point, 0);
    EXPECT_EQ(r.relay, 0);
    EXPECT_EQ(r.sound, 1);
    EXPECT_EQ(r.soundNumber, 1);
}

TEST(CrossingDialog, OneOfTheTwoGroupsAlwaysStaysChecked)
{
    CrossingRecord r = layoutdata::defaultCrossing();
    auto s = CrossingDialogState::fromRecord(r);
    EXPECT_TRUE(s.barrier && s.lights);
    s.setBarrier(false);
    s.setLights(false);
    EXPECT_TRUE(s.barrier);
    EXPECT_FALSE(s.lights);
    s.setBarrier(false);
    EXPECT_TRUE(s.lights);
}

TEST(CrossingDialog, DriveSelectsPointOrRelayList)
{
    CrossingRecord r = layoutdata::defaultCrossing();
    r.drive = 3;
    auto byPoint = CrossingDialogState::fromRecord(r);
    EXPECT_TRUE(byPoint.byPoint);
    EXPECT_TRUE(byPoint.pointListEnabled());
    EXPECT_FALSE(byPoint.relayListEnabled());
    EXPECT_EQ(byPoint.pointIndex, 2);
    EXPECT_EQ(byPoint.relayIndex, 0);

    r.drive = 10;
    auto byRelay = CrossingDialogState::fromRecord(r);
    EXPECT_FALSE(byRelay.byPoint);
    EXPECT_EQ(byRelay.relayIndex, 3);
    EXPECT_EQ(byRelay.pointIndex, 0);

    byRelay.byPoint = true;
    byRelay.pointIndex = 1;
    byRelay.setLights(false);
    byRelay.store(r);
    EXPECT_EQ(r.drive, 2);
    EXPECT_EQ(r.lights, 0);
    EXPECT_EQ(r.barrier, 1);
}

TEST(SoundList, ReadsKeysInOrderUpToTheFirstEmptyValue)
{
    TempFolder dir;
    std::ofstream(dir.file("option.ini"))
        << "[SOUND]\nSOUND_FILE2=C:\\vardo\\sound\\bell.wav\nSOUND_FILE1=horn.wav\n"
           "SOUND_FILE3=sample/chime.wav\nSOUND_FILE4=\nSOUND_FILE5=never.wav\n";
    EXPECT_EQ(readSoundList(dir.file("option.ini")),
              (std::vector<std::string>{"horn.wav", "bell.wav", "chime.wav"}));
    EXPECT_TRUE(readSoundList(dir.file("missing.ini")).empty());
}

} // namespace
} // namespace planwerk::testing
