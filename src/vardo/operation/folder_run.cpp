#include "vardo/operation/folder_run.h"

#include "common/paths.h"
#include "vardo/base/settings.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

namespace vardo {

namespace {

bool isProgramFileName(const std::string& name)
{
    if (name.size() < 4)
        return false;
    std::string tail = name.substr(name.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return tail == ".vpr";
}

} // namespace

FolderRunSettings FolderRunSettings::read(const std::string& optionIni)
{
    FolderRunSettings s;
    const Settings settings = Settings::ofOption(optionIni);
    s.folder = settings.getString(SettingId::EventProgramFolder);
    s.randomOrder = settings.getInt(SettingId::EventFolderSort) == 1;
    s.loop = settings.getInt(SettingId::EventFolderLoop) == 1;
    return s;
}

bool FolderRunSettings::write(const std::string& optionIni) const
{
    const Settings settings = Settings::ofOption(optionIni);
    return settings.write(SettingId::EventProgramFolder, folder) &&
           settings.writeBool(SettingId::EventFolderSort, randomOrder) &&
           settings.writeBool(SettingId::EventFolderLoop, loop);
}

bool FolderRunSettings::browse(FolderChooser& chooser)
{
    std::string chosen;
    if (!chooser.chooseFolder(folder, chosen) || chosen.empty())
        return false;
    folder = chosen;
    return true;
}

FolderRun::FolderRun(ProgramEditor& editor, Frontend& frontend, std::string optionIniPath)
    : editor_(editor), frontend_(frontend), optionIni_(std::move(optionIniPath))
{
}

std::vector<std::string> FolderRun::listPrograms(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator it(common::toNativePath(folder), error), end;
    for (; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        if (isProgramFileName(name) && it->is_regular_file(error))
            names.push_back(name);
    }
    // Directory order is arbitrary; start from a fixed one so a seeded
    // random order is reproducible.
    std::sort(names.begin(), names.end());
    return names;
}

void FolderRun::orderNames(std::vector<std::string>& names, bool randomOrder,
                           const RandomSource& random)
{
    for (size_t i = 0; i + 1 < names.size(); ++i) {
        for (size_t j = i + 1; j < names.size(); ++j) {
            bool exchange = randomOrder ? (random() & 1u) != 0 : names[j] < names[i];
            if (exchange)
                std::swap(names[i], names[j]);
        }
    }
}

uint32_t FolderRun::draw()
{
    return random_ ? random_() : static_cast<uint32_t>(clockSeeded_());
}

FolderRunStep FolderRun::start(const FolderRunSettings& settings)
{
    if (!editor_.confirmSave())
        return FolderRunStep::Cancelled;
    std::vector<std::string> names = listPrograms(settings.folder);
    if (names.empty()) {
        frontend_.showMessage(common::msg::FolderHasNoPrograms, {settings.folder});
        return FolderRunStep::NoPrograms;
    }
    if (settings.randomOrder && !random_) {
        auto now = std::chrono::system_clock::now().time_since_epoch().count();
        clockSeeded_.seed(static_cast<uint32_t>(now));
    }
    orderNames(names, settings.randomOrder, [this] { return draw(); });
    folder_ = settings.folder;
    names_ = std::move(names);
    running_ = 0;
    return FolderRunStep::ProgramLoaded;
}

FolderRunStep FolderRun::runNextProgramOfFolder()
{
    FolderRunSettings settings = FolderRunSettings::read(optionIni_);
    if (settings.folder.empty()) {
        frontend_.showMessage(common::msg::FolderNotSet);
        return FolderRunStep::FolderNotSet;
    }
    if (!active()) {
        FolderRunStep started = start(settings);
        if (started != FolderRunStep::ProgramLoaded)
            return started;
    } else if (++running_ >= static_cast<int>(names_.size())) {
        if (!settings.loop) {
            end();
            return FolderRunStep::Finished;
        }
        if (settings.randomOrder)
            orderNames(names_, true, [this] { return draw(); });
        running_ = 0;
    }
    std::string path = common::joinPath(common::toNativePath(folder_), names_[running_]);
    if (!editor_.load(path)) {
        end();
        return FolderRunStep::LoadFailed;
    }
    return FolderRunStep::ProgramLoaded;
}

void FolderRun::end()
{
    names_.clear();
    running_ = -1;
}

} // namespace vardo
