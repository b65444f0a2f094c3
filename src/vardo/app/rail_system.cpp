#include "vardo/app/rail_system.h"

#include "common/paths.h"

namespace vardo {

RailSystem::RailSystem(std::string programFolder)
    : programFolder_(std::move(programFolder)),
      vardoIniPath_(common::joinPath(programFolder_, "VARDO.ini")),
      optionIniPath_(common::joinPath(programFolder_, "option.ini"))
{
}

std::string RailSystem::programPath(const std::string& relative) const
{
    return common::joinPath(programFolder_, relative);
}

void RailSystem::releasePaths()
{
    programFolder_.clear();
    vardoIniPath_.clear();
    optionIniPath_.clear();
    videoPath_.clear();
}

} // namespace vardo
