#pragma once
// The list of the sound settings dialog: the SOUND_FILE<n> values in a
// fixed number of slots, edited in memory and written back on OK. Numbers
// whose file changes lose their loaded sound through the unload callback.
#include "vardo/base/settings.h"

#include <functional>
#include <string>
#include <vector>

namespace vardo::devices {

class SoundFileList {
public:
    using Unload = std::function<void(int number)>;

    // capacity: the player's slot count; entries are the slots 1..capacity.
    SoundFileList(int capacity, Unload unload);

    // Fills the slots from SOUND_FILE1 up to the first empty key.
    void load(const Settings& settings);
    // Writes every slot: a filled one its value, an empty one an empty
    // value where the key still holds one. Returns the new sound count.
    int save(const Settings& settings) const;

    int capacity() const { return int(slots_.size()); }
    int size() const { return size_; }
    const std::string& value(int index) const { return slots_[size_t(index)]; }
    // "%d:%s": the number and the file name after the last separator.
    std::string label(int index) const;

    // 0 when a file can be added, else the message that refuses it
    // (217: restart to get more slots; 218: no more slots at all).
    int addRefusal() const;
    // Puts the path into the first empty slot; its index, or -1.
    int add(const std::string& path);
    // Removes the entry; the following ones move up by one.
    bool remove(int index);
    // Swaps with the neighbour; the entry's new index, or -1.
    int moveUp(int index);
    int moveDown(int index);

    // Which buttons work with this selection (-1: none).
    struct Buttons {
        bool add, remove, play, stop, up, down;
    };
    Buttons buttons(int selection) const;

private:
    bool valid(int index) const { return index >= 0 && index < size_; }
    void unload(int index) const;
    void swap(int a, int b);

    std::vector<std::string> slots_; // capacity entries, filled from the front
    int size_ = 0;
    Unload unload_;
};

} // namespace vardo::devices
