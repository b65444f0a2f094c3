#pragma once
// Running every program file of a folder one after the other, in name
// order or at random, once or over and over.
#include "vardo/base/frontend.h"
#include "vardo/operation/program_dialogs.h"
#include "vardo/operation/program_editor.h"

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace vardo {

// option.ini [EVENT] PROGRAM_FOLDER, FOLDER_SORT, FOLDER_LOOP.
struct FolderRunSettings {
    std::string folder;
    bool randomOrder = false;
    bool loop = false;

    static FolderRunSettings read(const std::string& optionIni);
    bool write(const std::string& optionIni) const;
    // The browse button of the settings dialog: puts the chosen folder in.
    bool browse(FolderChooser& chooser);
};

enum class FolderRunStep {
    ProgramLoaded, // the caller lights the lamp and starts operation
    FolderNotSet,
    NoPrograms,
    Finished,   // the last program has run and the run does not loop
    LoadFailed, // the run has ended
    Cancelled,  // the present program could not be saved first
};

class FolderRun {
public:
    // A source of random numbers; only whether a number is odd matters.
    using RandomSource = std::function<uint32_t()>;

    FolderRun(ProgramEditor& editor, Frontend& frontend, std::string optionIniPath);

    // Replaces the generator that is otherwise seeded from the clock when a
    // random-order run starts.
    void setRandomSource(RandomSource source) { random_ = std::move(source); }

    // Starts a folder run, or goes on to its next program.
    FolderRunStep runNextProgramOfFolder();
    // The user ends the run.
    void end();

    bool active() const { return !names_.empty(); }
    int runningIndex() const { return running_; }
    const std::vector<std::string>& names() const { return names_; }

    // The file names matching "*.vpr" (any case) in the folder, in name order.
    static std::vector<std::string> listPrograms(const std::string& folder);
    // Each later name is compared with each earlier one and exchanged when it
    // sorts first (byte-wise), or at random when the number drawn is odd.
    static void orderNames(std::vector<std::string>& names, bool randomOrder,
                           const RandomSource& random);

private:
    // ProgramLoaded here means the list is ready to load from.
    FolderRunStep start(const FolderRunSettings& settings);
    uint32_t draw();

    ProgramEditor& editor_;
    Frontend& frontend_;
    std::string optionIni_;
    RandomSource random_;
    std::mt19937 clockSeeded_;
    std::string folder_;
    std::vector<std::string> names_;
    int running_ = -1;
};

} // namespace vardo
