#pragma once
// What the program operations need from windows they do not own: the
// command dialogs, the file dialogs and the folder browser. The GUI
// implements these; tests script them.
#include "vardo/operation/program_command.h"

#include <string>

namespace vardo {

// What the program model needs to know about the loaded layout.
struct ProgramLayoutFacts {
    bool hasSidings = false; // more than the outer loop
    int pointCount = 0;
    bool turntable = false;
    int soundCount = 0; // configured sound files
};

class CommandEditor {
public:
    virtual ~CommandEditor() = default;
    // Shows the dialog of the record's kind on it. True on OK with option,
    // value1 and value2 filled in; false on Cancel.
    virtual bool editCommand(ProgramCommand& command, const ProgramLayoutFacts& layout) = 0;
};

class ProgramFileChooser {
public:
    virtual ~ProgramFileChooser() = default;
    // The save dialog (extension "vpr", filter msg::ProgramFileFilter),
    // opened at startPath. False when cancelled.
    virtual bool chooseSavePath(const std::string& startPath, std::string& chosen) = 0;
    // The open dialog, opened in startFolder (or at a file's folder).
    virtual bool chooseOpenPath(const std::string& startFolder, std::string& chosen) = 0;
};

class FolderChooser {
public:
    virtual ~FolderChooser() = default;
    // The folder browser. False when cancelled.
    virtual bool chooseFolder(const std::string& startFolder, std::string& chosen) = 0;
};

} // namespace vardo
