#pragma once
// The program operations as the user invokes them: each asks its question,
// opens its dialog, shows its message, keeps the one-level undo copy, marks
// the program modified, lays the boxes out again and asks for a redraw.
#include "vardo/base/frontend.h"
#include "vardo/operation/program.h"
#include "vardo/operation/program_dialogs.h"

#include <functional>
#include <string>

namespace vardo {

// Where sample programs live under the program folder.
inline constexpr const char* kSampleProgramFolder = "sample/program";

class ProgramEditor {
public:
    ProgramEditor(Program& program, Frontend& frontend, CommandEditor& commandEditor,
                  ProgramFileChooser& fileChooser, std::string optionIniPath,
                  std::string programFolder);

    void setLayoutFacts(const ProgramLayoutFacts& facts) { layout_ = facts; }
    const ProgramLayoutFacts& layoutFacts() const { return layout_; }
    // The hour of the clock (0..23) for the alarm default; the local clock
    // unless a test installs another.
    void setHourSource(std::function<int()> hour) { hour_ = std::move(hour); }

    // Start-up: the start command alone, then the file named by option.ini
    // [EVENT] FILE_NAME if any (a bare name is a sample program).
    void initialise();

    bool newProgram();
    bool insertCommand(CommandKind kind);
    bool editCommand(int index, bool redraw = true);
    bool deleteCommand();
    bool moveCommand(int direction);
    bool beginLink();
    // A click on a command while a link target is chosen. True when the
    // link was set.
    bool pickLinkTarget(int target);
    bool removeLink();
    bool undo();
    void setTitle(const std::string& utf8);
    void setVirtualTime(int minutes);

    // Reads a program file; on refusal the program stays as it was.
    bool load(const std::string& path);
    bool save();
    bool open(bool sample);
    // Before anything discards the program. False when the discarding
    // must not go on (the save failed or was cancelled).
    bool confirmSave();

    // The status bar text while a link target is chosen, else empty.
    const std::string& statusText() const { return status_; }
    Program& program() { return program_; }

private:
    void changed(bool redraw = true);
    void endLinkChoice();
    void storeFileName(const std::string& path);
    std::string resolveStartupName(const std::string& name) const;

    Program& program_;
    Frontend& frontend_;
    CommandEditor& commandEditor_;
    ProgramFileChooser& fileChooser_;
    std::string optionIni_;
    std::string programFolder_;
    ProgramLayoutFacts layout_;
    std::function<int()> hour_;
    std::string status_;
};

} // namespace vardo
