#include "vardo/app/startup.h"

#include "common/byte_io.h"
#include "layoutdata/layout_files.h"
#include "vardo/app/command_line.h"
#include "vardo/app/notice.h"
#include "vardo/base/command_ids.h"

#include <algorithm>

namespace vardo {

namespace msg = common::msg;

int stageFailureMessage(StartupStage stage)
{
    switch (stage) {
    case StartupStage::VideoFramework:
    case StartupStage::Display:
        return msg::CaptureInitFailed;
    case StartupStage::Sound:
        return msg::SoundClassInitFailed;
    case StartupStage::LayoutModel:
        return msg::LayoutClassInitFailed;
    case StartupStage::DeviceAndProgram:
        return 0;
    case StartupStage::Sdk:
        return msg::ApiClassInitFailed;
    case StartupStage::Control:
        return msg::ControlClassInitFailed;
    }
    return 0;
}

Startup::Startup(RailSystem& rail, Frontend& frontend) : rail_(rail), frontend_(frontend) {}

void Startup::addStep(StartupStep step)
{
    // After every step of the same or an earlier stage.
    auto at = std::upper_bound(steps_.begin(), steps_.end(), step.stage,
                               [](StartupStage s, const StartupStep& e) { return s < e.stage; });
    steps_.insert(at, std::move(step));
}

StartupOutcome Startup::onPaint(std::string_view commandLine)
{
    if (attempted_)
        return StartupOutcome::AlreadyRun;
    attempted_ = true;
    return run(commandLine);
}

StartupOutcome Startup::run(std::string_view commandLine)
{
    if (!checkConfiguration())
        return StartupOutcome::IniMissing;
    if (!confirmDisclaimer())
        return StartupOutcome::DisclaimerRefused;
    readCommandLine(commandLine);
    if (!bringUpComponents())
        return StartupOutcome::ComponentFailed;
    // -e is answered before the camera: without one the simulation command
    // comes after it and the window ends in the layout display. A failed
    // start never gets here, and posted commands run after the start.
    if (openEditor_)
        frontend_.postCommand(cmd::ShowProgram);
    if (hooks.startSpeech && rail_.settings().getInt(SettingId::SpeechEnable) == 1)
        hooks.startSpeech(rail_);
    openVideoSource();
    rail_.markStarted();
    noticeSidings();
    return StartupOutcome::Started;
}

void Startup::fail()
{
    frontend_.requestQuit();
}

bool Startup::checkConfiguration()
{
    if (common::fileExists(rail_.vardoIniPath()))
        return true;
    frontend_.showMessage(msg::FileNotFound, Icon::Stop, {rail_.vardoIniPath()});
    fail();
    return false;
}

bool Startup::confirmDisclaimer()
{
    Settings settings = rail_.settings();
    if (settings.getInt(SettingId::Agreement) != 0)
        return true;
    if (!frontend_.showDisclaimer()) {
        fail();
        return false;
    }
    // A failed write only means the disclaimer comes again next time.
    settings.writeInt(SettingId::Agreement, 1);
    return true;
}

void Startup::readCommandLine(std::string_view commandLine)
{
    CommandLine parsed = parseCommandLine(commandLine);
    rail_.setVideoPath(parsed.videoPath);
    rail_.setSdkRequested(parsed.openSdk);
    openEditor_ = parsed.openEditor;
}

bool Startup::bringUpComponents()
{
    for (const StartupStep& step : steps_) {
        bool ok = step.run ? step.run(rail_) : false;
        int failure = stageFailureMessage(step.stage);
        if (!ok && failure != 0) {
            frontend_.showMessage(failure, Icon::Stop);
            fail();
            return false;
        }
    }
    return true;
}

void Startup::openVideoSource()
{
    if (!hooks.openVideoSource)
        return;
    Settings settings = rail_.settings();
    switch (hooks.openVideoSource(rail_)) {
    case VideoOpenResult::Opened:
        if (!(hooks.controllerConnected && hooks.controllerConnected(rail_)))
            showNoticeOnce(frontend_, settings, SettingId::UsbSuppressMessage,
                           msg::NoticeSetComPort);
        break;
    case VideoOpenResult::NoCamera:
        // Camera choice "なし": simulation without a word.
        if (settings.getInt(SettingId::CaptureDevice) != 0)
            showNoticeOnce(frontend_, settings, SettingId::CaptureSuppressMessage,
                           msg::NoCameraFound);
        frontend_.postCommand(cmd::Simulation);
        break;
    case VideoOpenResult::Failed:
        frontend_.showMessage(msg::DirectXInitFailed, Icon::Stop);
        break;
    }
}

void Startup::noticeSidings()
{
    layoutdata::PolylineFile track;
    if (layoutdata::readPolylineFile(rail_.programPath("layout/layout.dat"), track) !=
        layoutdata::ReadStatus::Ok)
        return;
    if (track.polylineCount() > 1)
        showNoticeOnce(frontend_, rail_.settings(), SettingId::LayoutSuppressMessage,
                       msg::NoticeSidingLayout);
}

bool shutdownStageNeedsStart(ShutdownStage stage)
{
    return stage != ShutdownStage::ReleaseSoundPerformance &&
           stage != ShutdownStage::ReleaseFrameworks;
}

void Shutdown::addStep(ShutdownStep step)
{
    auto at = std::upper_bound(steps_.begin(), steps_.end(), step.stage,
                               [](ShutdownStage s, const ShutdownStep& e) { return s < e.stage; });
    steps_.insert(at, std::move(step));
}

void Shutdown::run()
{
    if (done_)
        return;
    done_ = true;
    for (const ShutdownStep& step : steps_) {
        if (shutdownStageNeedsStart(step.stage) && !rail_.started())
            continue;
        if (step.run)
            step.run(rail_);
    }
    rail_.releasePaths();
}

} // namespace vardo
