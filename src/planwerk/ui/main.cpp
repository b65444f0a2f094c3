// Planwerk: the layout editor's window.
#include "common/image_save.h"
#include "common/paths.h"
#include "planwerk/ui/main_frame.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The menu item that enters a mode, by the mode's short name.
std::optional<planwerk::ui::MenuId> modeItem(const std::string& name)
{
    using planwerk::EditMode;
    using planwerk::ui::MenuId;
    const std::pair<EditMode, MenuId> modes[] = {
        {EditMode::OuterLoop, MenuId::OuterLoopMode},
        {EditMode::Sidings, MenuId::SidingsMode},
        {EditMode::Mask, MenuId::MaskMode},
        {EditMode::Exception, MenuId::ExceptionMode},
        {EditMode::ControlPoints, MenuId::ControlPointsMode},
        {EditMode::Crossings, MenuId::CrossingsMode},
        {EditMode::Sensors, MenuId::SensorsMode},
        {EditMode::TrainPicture, MenuId::TrainPictureMode},
    };
    for (const auto& [mode, item] : modes)
        if (name == planwerk::modeName(mode))
            return item;
    return std::nullopt;
}

// PLANWERK_SCREENSHOT=file.png [PLANWERK_SCREENSHOT_TRAIN=photo]
// [PLANWERK_SCREENSHOT_MODE=outer|mask|...]: open the train photograph,
// enter the mode, save the window as a picture and end, for the docs.
void takeScreenshot(planwerk::ui::MainFrame& frame, const char* path)
{
    // No one is there to answer: messages go to stderr, questions get No.
    frame.hooks.message = [](const std::string& text, common::Icon) {
        std::fprintf(stderr, "message: %s\n", text.c_str());
    };
    frame.hooks.ask = [](const std::string&, planwerk::Buttons, planwerk::Answer) {
        return planwerk::Answer::No;
    };
    if (const char* train = std::getenv("PLANWERK_SCREENSHOT_TRAIN")) {
        std::string photo = train;
        frame.hooks.chooseOpenFile = [photo] { return std::optional<std::string>(photo); };
        frame.runCommand(planwerk::ui::MenuId::OpenTrainPicture);
    }
    if (const char* mode = std::getenv("PLANWERK_SCREENSHOT_MODE")) {
        if (auto item = modeItem(mode))
            frame.runCommand(*item);
        else
            std::fprintf(stderr, "unknown mode %s\n", mode);
    }
    QTimer::singleShot(500, &frame, [&frame, path] {
        if (!common::saveImageAtomic(frame.grab().toImage(), QString::fromLocal8Bit(path)))
            std::fprintf(stderr, "cannot write %s\n", path);
        QApplication::quit();
    });
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(planwerk::ui::kAppName));
    planwerk::ui::MainFrame frame(common::programFolder());
    frame.show();
    // Start once the window is up, so start-up messages have a parent.
    bool ok = true;
    const char* screenshot = std::getenv("PLANWERK_SCREENSHOT");
    QTimer::singleShot(0, &frame, [&] {
        if (screenshot) {
            frame.hooks.message = [](const std::string& text, common::Icon) {
                std::fprintf(stderr, "message: %s\n", text.c_str());
            };
        }
        ok = frame.start();
        if (ok && screenshot)
            takeScreenshot(frame, screenshot);
    });
    int rc = app.exec();
    return ok ? rc : 1;
}
