// check-skin: loads a controller skin the way the panel does and tells what
// it found, so that a skin maker sees each picture, the jog and the panel
// size before starting Vardo; or the panel's message and status 1.
#include "common/image_save.h"
#include "common/json_text.h"
#include "common/paths.h"
#include "common/string_table.h"
#include "vardo/app/cli/command_options.h"
#include "vardo/app/cli/command_registry.h"
#include "vardo/app/console_frontend.h"
#include "vardo/base/settings.h"
#include "vardo/layout/layout.h"
#include "vardo/operation/controller_action.h"
#include "vardo/panel/controller_panel.h"
#include "vardo/panel/panel_painter.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace vardo::cli {

namespace {

struct Options {
    int number = 0;     // skin n of the program folder
    std::string folder; // or a skin folder
    bool json = false;
    std::string png; // the panel as drawn, for a look
};

// nullopt: go on; otherwise the exit status, the error already printed.
std::optional<int> parseOptions(const std::vector<std::string>& args, Options& o)
{
    CommandOptions c("check-skin", "[N | DIR] [--json] [--png FILE]",
                     "Loads a controller skin as the panel does and reports it.");
    c.argument("N|DIR", "skin N of the program folder, or a skin folder (default: the chosen one)",
               false);
    c.flag("json", "print the skin as JSON");
    c.option("png", "FILE", "also write the panel as drawn");
    if (auto exit = c.parse(args))
        return exit;
    o.json = c.isSet("json");
    o.png = c.value("png");
    if (c.arguments().empty())
        return std::nullopt;
    const std::string& skin = c.arguments()[0];
    char* end = nullptr;
    const long n = std::strtol(skin.c_str(), &end, 10);
    if (end != skin.c_str() && *end == '\0')
        o.number = int(n);
    else
        o.folder = skin;
    return std::nullopt;
}

common::Json xy(QPoint p)
{
    return common::Json::array({p.x(), p.y()});
}

std::string skinJson(const panel::Skin& s, QSize size)
{
    common::Json positions = common::Json::array();
    common::Json pictureSizes = common::Json::array();
    for (int i = 0; i < s.positionCount; ++i) {
        const QPoint p = s.positions[size_t(i)];
        positions.push_back(p.x() == -1 ? common::Json(nullptr) : xy(p));
        const QSize ps = s.pictureSize(i);
        pictureSizes.push_back(ps.isEmpty() ? common::Json(nullptr)
                                            : common::Json::array({ps.width(), ps.height()}));
    }
    common::Json region = common::Json::array();
    for (QPoint p : s.region)
        region.push_back(xy(p));
    common::Json out;
    out["skin"] = s.number;
    out["panelSize"] = common::Json::array({size.width(), size.height()});
    out["positions"] = positions;
    out["pictureSizes"] = pictureSizes;
    out["jogRadius"] = s.jogRadius;
    out["jogCentre"] = common::Json::array({s.jogCentre.x(), s.jogCentre.y()});
    out["jogAngles"] = common::Json::array({s.restAngle, s.endAngle, s.runningAngle});
    out["handle"] = s.handleFile.empty() ? common::Json(nullptr) : common::Json(s.handleFile);
    out["region"] = region;
    return common::jsonText(out, 2) + "\n";
}

void printSummary(const panel::Skin& s, QSize size)
{
    std::printf("Skin %d: %s\n", s.number, s.folder.c_str());
    std::printf("Panel size: %d x %d\n", size.width(), size.height());
    std::printf("Positions: %d\n", s.positionCount);
    for (int i = 0; i < s.positionCount; ++i) {
        const QPoint p = s.positions[size_t(i)];
        if (p.x() == -1)
            std::printf("  %2d: none\n", i);
        else
            std::printf("  %2d: (%d, %d) control%d.bmp %d x %d\n", i, p.x(), p.y(), i,
                        s.pictureSize(i).width(), s.pictureSize(i).height());
    }
    std::printf("Jog: centre (%g, %g), radius %g, angles rest %g end %g running %g\n",
                s.jogCentre.x(), s.jogCentre.y(), s.jogRadius, s.restAngle, s.endAngle,
                s.runningAngle);
    std::printf("Handle: %s\n", s.handleFile.empty() ? "picture 9" : s.handleFile.c_str());
    std::printf("Region: %zu point(s)\n", s.region.size());
}

int checkSkin(const std::vector<std::string>& args)
{
    Options o;
    if (auto exit = parseOptions(args, o))
        return *exit;
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int argc = 1;
    char name[] = "vardo-run";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);

    const std::string program = common::programFolder();
    const std::string vardoIni = common::joinPath(program, "VARDO.ini");
    const std::string optionIni = common::joinPath(program, "option.ini");
    Settings settings(vardoIni, optionIni);
    if (o.folder.empty() && o.number == 0)
        o.number = settings.getInt(SettingId::ControlSkin);
    // The width rules depend on the points of the sample layout.
    ConsoleFrontend::Options silent;
    silent.quiet = true;
    ConsoleFrontend quiet(silent);
    layout::Layout sample(quiet);
    sample.load({program, vardoIni, optionIni, common::joinPath(program, "layout")});
    ConsoleFrontend frontend(silent);
    Controller controller(frontend, &sample.model());
    panel::ControllerPanel panel(controller, frontend);
    const int servo = settings.getInt(SettingId::ServoSpeedServo);
    const bool ok = o.folder.empty() ? panel.load(program, o.number, servo)
                                     : panel.loadFolder(o.folder, o.number, servo);
    if (!ok) {
        for (const auto& text : frontend.messages())
            std::fprintf(stderr, "%s\n", text.c_str());
        return 1;
    }
    if (o.json)
        std::fputs(skinJson(panel.skin(), panel.size()).c_str(), stdout);
    else
        printSummary(panel.skin(), panel.size());
    if (!o.png.empty() && !common::saveImageAtomic(panel::renderPanel(panel, controller.state()),
                                                   QString::fromStdString(o.png))) {
        std::fprintf(stderr, "check-skin: cannot write %s\n", o.png.c_str());
        return 1;
    }
    return 0;
}

CommandRegistration reg("check-skin",
                        "[N | DIR] [--json] [--png FILE]  load a controller skin and report it",
                        &checkSkin);

} // namespace

} // namespace vardo::cli
