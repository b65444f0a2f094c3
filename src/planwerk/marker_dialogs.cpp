#include "planwerk/marker_dialogs.h"

#include "common/profile.h"

#include <string>

namespace planwerk {

namespace {

constexpr int kMaxSoundKeys = 999;

// A list selection as stored: nothing selected stores the first entry, so
// no out-of-range number ever reaches a file.
uint8_t storedIndex(int selection)
{
    return uint8_t(selection < 0 ? 0 : selection);
}

} // namespace

int listSelection(int index, int size)
{
    return index >= 0 && index < size ? index : -1;
}

ControlDialogState ControlDialogState::fromRecord(const layoutdata::ControlPointRecord& r,
                                                  std::vector<std::string> sounds)
{
    ControlDialogState s;
    s.direction = r.direction >= 0 && r.direction <= 2 ? r.direction : 0;
    s.sounds = std::move(sounds);

    s.point = r.trackAction == 1 || r.trackAction == 2;
    s.pointChoice = r.trackAction == 2 ? 1 : 0;
    s.pointIndex = listSelection(r.point, kPointListSize);
    s.pointEnabled = r.trackAction >= 1 && r.trackAction <= 6;
    s.train = r.trackAction == 7 || r.trackAction == 8;
    s.trainChoice = r.trackAction == 8 ? 1 : 0;
    s.trainEnabled = s.train;

    s.option = r.option != 0;
    s.optionChoice = r.option == 2 ? 1 : 0;
    s.relayIndex = listSelection(r.relay, kRelayListSize);
    s.optionEnabled = s.option;

    s.sound = r.sound != 0;
    s.soundChoice = r.sound >= 1 && r.sound <= 3 ? r.sound - 1 : 0;
    int entry = r.soundNumber == 0 ? 5 : r.soundNumber - 1;
    s.soundIndex = listSelection(entry, int(s.sounds.size()));
    s.soundEnabled = s.sound;
    return s;
}

void ControlDialogState::setTrain(bool checked)
{
    train = checked;
    trainEnabled = checked;
}

void ControlDialogState::setPoint(bool checked)
{
    point = checked;
    pointEnabled = checked;
    if (checked)
        trainEnabled = false;
}

void ControlDialogState::setOption(bool checked)
{
    option = checked;
    optionEnabled = checked;
}

void ControlDialogState::setSound(bool checked)
{
    sound = checked;
    soundEnabled = checked;
}

void ControlDialogState::store(layoutdata::ControlPointRecord& r) const
{
    r.direction = int16_t(direction);
    if (train) {
        r.trackAction = uint8_t(7 + (trainChoice == 1 ? 1 : 0));
    } else if (point) {
        r.trackAction = uint8_t(1 + (pointChoice == 1 ? 1 : 0));
        r.point = storedIndex(pointIndex);
    } else {
        r.trackAction = 0;
    }
    if (option) {
        r.option = uint8_t(1 + (optionChoice == 1 ? 1 : 0));
        r.relay = storedIndex(relayIndex);
    } else {
        r.option = 0;
    }
    if (sound) {
        r.sound = uint8_t(soundChoice == 2 ? 3 : soundChoice == 1 ? 2 : 1);
        r.soundNumber = uint8_t(storedIndex(soundIndex) + 1);
    } else {
        r.sound = 0;
    }
}

CrossingDialogState CrossingDialogState::fromRecord(const layoutdata::CrossingRecord& r)
{
    CrossingDialogState s;
    s.barrier = r.barrier != 0;
    s.lights = r.lights != 0;
    s.byPoint = r.drive < 7;
    s.pointIndex = s.byPoint ? listSelection(r.drive - 1, kPointListSize) : 0;
    s.relayIndex = s.byPoint ? 0 : listSelection(r.drive - 7, kRelayListSize);
    return s;
}

void CrossingDialogState::setBarrier(bool checked)
{
    barrier = checked;
    if (!checked && !lights)
        lights = true;
}

void CrossingDialogState::setLights(bool checked)
{
    lights = checked;
    if (!checked && !barrier)
        barrier = true;
}

void CrossingDialogState::store(layoutdata::CrossingRecord& r) const
{
    // A record read with both groups off still leaves with one of them.
    r.barrier = barrier || !lights ? 1 : 0;
    r.lights = lights ? 1 : 0;
    r.drive = byPoint ? storedIndex(pointIndex) + 1 : storedIndex(relayIndex) + 7;
}

std::vector<std::string> readSoundList(const std::string& optionIniPath)
{
    std::vector<std::string> list;
    for (int n = 1; n <= kMaxSoundKeys; ++n) {
        std::string value = common::Profile::getString(optionIniPath, "SOUND",
                                                       "SOUND_FILE" + std::to_string(n), "");
        if (value.empty())
            break;
        size_t cut = value.find_last_of("\\/");
        list.push_back(cut == std::string::npos ? value : value.substr(cut + 1));
    }
    return list;
}

} // namespace planwerk
