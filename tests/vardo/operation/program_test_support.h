#pragma once
// Scripted dialogs and small builders shared by the program tests.
#include "common/byte_io.h"
#include "vardo/operation/program.h"
#include "vardo/operation/program_dialogs.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace vardo::testing {

// Answers command dialogs from a script: each entry fills the record (OK)
// or, when empty, cancels. With the script used up every dialog is OK
// with the record left as it came.
class ScriptedCommandEditor : public CommandEditor {
public:
    using Fill = std::function<void(ProgramCommand&)>;
    bool editCommand(ProgramCommand& command, const ProgramLayoutFacts&) override
    {
        shownKinds.push_back(command.kind);
        if (script.empty())
            return true;
        Fill fill = script.front();
        script.pop_front();
        if (!fill)
            return false;
        fill(command);
        return true;
    }
    void queueCancel() { script.push_back(nullptr); }
    void queueValues(int option, int value1, int value2)
    {
        script.push_back([=](ProgramCommand& c) {
            c.option = static_cast<uint8_t>(option);
            c.value1 = static_cast<int16_t>(value1);
            c.value2 = static_cast<int16_t>(value2);
        });
    }

    std::deque<Fill> script;
    std::vector<int> shownKinds;
};

class ScriptedFileChooser : public ProgramFileChooser {
public:
    bool chooseSavePath(const std::string& start, std::string& chosen) override
    {
        saveStarts.push_back(start);
        chosen = savePath;
        return !savePath.empty();
    }
    bool chooseOpenPath(const std::string& start, std::string& chosen) override
    {
        openStarts.push_back(start);
        chosen = openPath;
        return !openPath.empty();
    }
    std::string savePath; // empty = cancel
    std::string openPath;
    std::vector<std::string> saveStarts;
    std::vector<std::string> openStarts;
};

// Appends a command to the program the way the editor does, without
// dialogs: after `after`, or as a new chain when after is -1.
inline int addCommand(Program& p, CommandKind kind, int after, int value1 = 0, int value2 = 0,
                      int option = 0)
{
    ProgramCommand c;
    c.kind = static_cast<uint8_t>(kind);
    c.option = static_cast<uint8_t>(option);
    c.value1 = static_cast<int16_t>(value1);
    c.value2 = static_cast<int16_t>(value2);
    p.selected = after;
    if (!p.insertCommand(c))
        return -1;
    p.layoutBoxes();
    return p.selected;
}

// The bytes of a program file, laid out field by field.
struct FileRecord {
    int kind = 0, option = 0, value1 = 0, value2 = 0, next = -1, prev = -1, link = -1;
    int repeatLeft = 0;
};

inline void putHeader(common::ByteWriter& w, int version, int count, int virtualTime,
                      const char* magic = ".vpr")
{
    w.putBytes(magic, 4);
    w.putI32(version);
    w.putI32(count);
    w.putI32(virtualTime);
    w.putZeros(16);
}

inline void putRecord(common::ByteWriter& w, const FileRecord& r)
{
    w.putU8(static_cast<uint8_t>(r.kind));
    w.putU8(static_cast<uint8_t>(r.option));
    w.putZeros(2);
    w.putI16(static_cast<int16_t>(r.value1));
    w.putI16(static_cast<int16_t>(r.value2));
    w.putI16(0); // box x
    w.putI16(0); // box y
    w.putI16(static_cast<int16_t>(r.next));
    w.putI16(static_cast<int16_t>(r.prev));
    w.putI16(static_cast<int16_t>(r.link));
    w.putI16(static_cast<int16_t>(r.repeatLeft));
    w.putI16(0); // scratch
    w.putZeros(10);
}

// A file image of the records, with a title when given (CP932 bytes).
inline std::vector<uint8_t> fileImage(int version, const std::vector<FileRecord>& records,
                                      const std::string& titleBytes = "", int virtualTime = -1)
{
    common::ByteWriter w;
    putHeader(w, version, static_cast<int>(records.size()), virtualTime);
    for (const FileRecord& r : records)
        putRecord(w, r);
    if (!titleBytes.empty()) {
        w.putBytes(titleBytes.data(), titleBytes.size());
        w.putU8(0);
    }
    return w.bytes();
}

} // namespace vardo::testing
