#pragma once
// What the three marker settings dialogs hold while they are open: the
// initial state taken from a record, the enabling rules when a box is
// clicked, and what OK stores. A window shows these states; planwerk-run
// and tests drive them directly.
#include "layoutdata/layout_files.h"

#include <string>
#include <vector>

namespace planwerk {

// Entries of the fixed lists: point numbers 1..4 and relay numbers 7..10.
inline constexpr int kPointListSize = 4;
inline constexpr int kRelayListSize = 4;

// A list selection; -1 shows nothing selected (an index outside the list).
int listSelection(int index, int size);

struct ControlDialogState {
    int direction = 0; // 0 both, 1 clockwise, 2 counter-clockwise

    bool train = false;
    int trainChoice = 0; // 0 stop, 1 reverse
    bool trainEnabled = false;

    bool point = false;
    int pointChoice = 0; // 0 straight (open), 1 branch (close)
    int pointIndex = -1;
    bool pointEnabled = false; // radio buttons and list

    bool option = false;
    int optionChoice = 0; // 0 off, 1 on
    int relayIndex = -1;
    bool optionEnabled = false;

    bool sound = false;
    int soundChoice = 0; // 0 stop, 1 play, 2 play repeatedly
    int soundIndex = -1;
    bool soundEnabled = false;
    std::vector<std::string> sounds; // the list's entries

    static ControlDialogState fromRecord(const layoutdata::ControlPointRecord& record,
                                         std::vector<std::string> sounds);
    // Clicking a check box: its new state and its group's enabling.
    void setTrain(bool checked);
    void setPoint(bool checked);
    void setOption(bool checked);
    void setSound(bool checked);
    // OK: the record's fields; its position is kept.
    void store(layoutdata::ControlPointRecord& record) const;
};

struct CrossingDialogState {
    bool barrier = true;
    bool lights = true;
    bool byPoint = true; // the "ポイント" radio button, else "オプション"
    int pointIndex = 0;
    int relayIndex = 0;

    bool pointListEnabled() const { return byPoint; }
    bool relayListEnabled() const { return !byPoint; }

    static CrossingDialogState fromRecord(const layoutdata::CrossingRecord& record);
    // One of the two flags always stays checked.
    void setBarrier(bool checked);
    void setLights(bool checked);
    void store(layoutdata::CrossingRecord& record) const;
};

struct SensorDialogState {
    int sensitivity = 75; // 0..99
    static constexpr int kMin = 0;
    static constexpr int kMax = 99;
    bool valid() const { return sensitivity >= kMin && sensitivity <= kMax; }
};

// The sound list from Vardo's option.ini: [SOUND] SOUND_FILE1, 2, ... up to
// the first empty value, each shown without its folders.
std::vector<std::string> readSoundList(const std::string& optionIniPath);

} // namespace planwerk
