#include "vardo/operation/program_editor.h"

#include "common/byte_io.h"
#include "common/paths.h"
#include "vardo/base/settings.h"
#include "vardo/operation/program_file.h"

#include <ctime>

namespace vardo {

namespace {

constexpr size_t kMaxProgramFileSize = 1u << 20;

int localHour()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_hour;
}

bool hasExtension(const std::string& path)
{
    size_t slash = path.find_last_of("/\\");
    size_t dot = path.find_last_of('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

int linkMessage(LinkCheck check)
{
    switch (check) {
    case LinkCheck::ToChainHead:
        return common::msg::LinkToChainHead;
    case LinkCheck::NotBackwards:
        return common::msg::LinkOnlyBackwards;
    default:
        return common::msg::RepeatNeedsWait;
    }
}

} // namespace

ProgramEditor::ProgramEditor(Program& program, Frontend& frontend, CommandEditor& commandEditor,
                             ProgramFileChooser& fileChooser, std::string optionIniPath,
                             std::string programFolder)
    : program_(program), frontend_(frontend), commandEditor_(commandEditor),
      fileChooser_(fileChooser), optionIni_(std::move(optionIniPath)),
      programFolder_(std::move(programFolder)), hour_(&localHour)
{
}

void ProgramEditor::changed(bool redraw)
{
    program_.modified = true;
    program_.layoutBoxes();
    if (redraw)
        frontend_.refreshProgram();
}

void ProgramEditor::endLinkChoice()
{
    program_.linkSource = -1;
    status_.clear();
}

std::string ProgramEditor::resolveStartupName(const std::string& name) const
{
    if (common::hasFolderPart(name))
        return common::toNativePath(name);
    return common::joinPath(common::joinPath(programFolder_, kSampleProgramFolder), name);
}

void ProgramEditor::initialise()
{
    program_.reset();
    endLinkChoice();
    std::string name = Settings::ofOption(optionIni_).getString(SettingId::EventFileName);
    if (!name.empty()) {
        std::string path = resolveStartupName(name);
        if (load(path))
            program_.fileName = path;
    }
    frontend_.refreshProgram();
}

bool ProgramEditor::newProgram()
{
    if (frontend_.ask(common::msg::DiscardProgram, Buttons::YesNo) != Answer::Yes)
        return false;
    program_.reset(); // keeps fileName as the place the next save starts at
    program_.selected = 0;
    endLinkChoice();
    frontend_.refreshProgram();
    return true;
}

bool ProgramEditor::insertCommand(CommandKind kind)
{
    const int k = static_cast<int>(kind);
    if (k <= static_cast<int>(CommandKind::Start) || k > kLastCommandKind)
        return false;
    if (kind == CommandKind::AlarmTime)
        program_.selected = -1;
    if (program_.selected != -1 && !program_.isCommand(program_.selected))
        return false;
    if (!program_.canInsert()) {
        frontend_.showMessage(common::msg::TooManyCommands);
        return false;
    }
    ProgramCommand record = defaultCommand(kind, hour_(), layout_.hasSidings);
    if (kind != CommandKind::EndOfOperation && !commandEditor_.editCommand(record, layout_))
        return false;
    record.kind = static_cast<uint8_t>(kind);
    program_.takeUndoCopy();
    program_.insertCommand(record);
    changed();
    if (kind == CommandKind::Repeat)
        beginLink();
    return true;
}

bool ProgramEditor::editCommand(int index, bool redraw)
{
    if (!program_.isCommand(index))
        return false;
    ProgramCommand record = program_.commands[index];
    if (record.is(CommandKind::Start) || record.is(CommandKind::EndOfOperation))
        return false;
    if (!commandEditor_.editCommand(record, layout_))
        return false;
    program_.takeUndoCopy();
    program_.setCommandValues(index, record);
    changed(redraw);
    return true;
}

bool ProgramEditor::deleteCommand()
{
    const int index = program_.selected;
    if (index == 0 || !program_.isCommand(index))
        return false;
    const bool head = program_.isChainHead(index);
    const int question = head ? common::msg::DeleteChainHead : common::msg::DeleteSelectedCommand;
    if (frontend_.ask(question, Buttons::YesNo) != Answer::Yes)
        return false;
    program_.takeUndoCopy();
    if (head)
        program_.deleteChain(index);
    else
        program_.deleteInnerCommand(index);
    if (program_.linkSource == -1)
        status_.clear();
    changed();
    return true;
}

bool ProgramEditor::moveCommand(int direction)
{
    if (!program_.canMove(direction))
        return false;
    program_.takeUndoCopy();
    program_.moveCommand(direction);
    changed();
    return true;
}

bool ProgramEditor::beginLink()
{
    const int index = program_.selected;
    if (!program_.isCommand(index) || program_.isChainHead(index))
        return false;
    const ProgramCommand& c = program_.commands[index];
    // Only a repeat loops back; any other command links only as a
    // continuation at the end of its chain.
    if (!c.is(CommandKind::Repeat) && c.next != -1)
        return false;
    program_.linkSource = index;
    status_ = common::messageText(common::msg::ChooseLinkTarget);
    frontend_.refreshProgram();
    return true;
}

bool ProgramEditor::pickLinkTarget(int target)
{
    const int source = program_.linkSource;
    if (source == -1 || !program_.isCommand(target))
        return false;
    if (!program_.isCommand(source)) {
        endLinkChoice();
        return false;
    }
    LinkCheck check = program_.checkLink(source, target);
    if (check != LinkCheck::Ok) {
        std::string text = common::messageText(linkMessage(check));
        if (frontend_.ask(text, Buttons::OkCancel, Icon::Warning) == Answer::Cancel) {
            endLinkChoice();
            frontend_.refreshProgram();
        }
        return false;
    }
    program_.takeUndoCopy();
    program_.setLink(source, target);
    endLinkChoice();
    changed();
    return true;
}

bool ProgramEditor::removeLink()
{
    const int index = program_.selected;
    if (!program_.isCommand(index) || program_.commands[index].link == -1)
        return false;
    program_.takeUndoCopy();
    program_.removeLink(index);
    changed();
    return true;
}

bool ProgramEditor::undo()
{
    if (!program_.undo())
        return false;
    status_.clear();
    program_.layoutBoxes();
    frontend_.refreshProgram();
    return true;
}

void ProgramEditor::setTitle(const std::string& utf8)
{
    program_.setTitle(utf8);
    program_.modified = true;
}

void ProgramEditor::setVirtualTime(int minutes)
{
    // The file keeps it, so a change must not be lost unsaved.
    program_.virtualTime = (minutes >= 0 && minutes < 24 * 60) ? minutes : -1;
    program_.modified = true;
}

bool ProgramEditor::load(const std::string& path)
{
    std::vector<uint8_t> bytes;
    if (!common::readWholeFile(path, bytes, kMaxProgramFileSize)) {
        frontend_.showMessage(common::msg::ProgramLoadFailed);
        return false;
    }
    ProgramFileContents contents;
    if (parseProgramFile(bytes, path, contents) != ProgramFileStatus::Ok) {
        frontend_.showMessage(common::msg::NotProgramFile);
        return false;
    }
    applyProgramFile(contents, program_);
    endLinkChoice();
    frontend_.refreshProgram();
    return true;
}

void ProgramEditor::storeFileName(const std::string& path)
{
    program_.fileName = path;
    Settings::ofOption(optionIni_).write(SettingId::EventFileName, path);
}

bool ProgramEditor::save()
{
    std::string path;
    if (!fileChooser_.chooseSavePath(program_.fileName, path) || path.empty())
        return false;
    if (!hasExtension(path))
        path += ".vpr";
    program_.compact();
    program_.layoutBoxes();
    if (!common::writeFileAtomic(path, serialiseProgram(program_))) {
        frontend_.showMessage(common::msg::ProgramSaveFailed);
        frontend_.refreshProgram();
        return false;
    }
    storeFileName(path);
    program_.modified = false;
    frontend_.refreshProgram();
    return true;
}

bool ProgramEditor::open(bool sample)
{
    if (!confirmSave())
        return false;
    std::string start = sample ? common::joinPath(programFolder_, kSampleProgramFolder)
                               : program_.fileName;
    std::string path;
    if (!fileChooser_.chooseOpenPath(start, path) || path.empty())
        return false;
    if (!load(path))
        return false;
    storeFileName(path);
    return true;
}

bool ProgramEditor::confirmSave()
{
    if (!program_.modified)
        return true;
    if (frontend_.ask(common::msg::ProgramModifiedSave, Buttons::YesNo) != Answer::Yes)
        return true;
    return save();
}

} // namespace vardo
