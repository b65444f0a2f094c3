// vardo: the main program's window.
#include "common/image_save.h"
#include "common/paths.h"
#include "vardo/ui/main_frame.h"
#include "vardo/ui/option_output_dialog.h"
#include "vardo/ui/panel_widget.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <cstdlib>
#include <string>

namespace {

// The window as the user sees it: the controller panel (a window of its
// own) drawn over it where it stands, its cut-away parts left out. An open
// dialog is shot on its own instead.
QPixmap screenshotOf(vardo::ui::CMainFrame& frame)
{
    QWidget* dialog = QApplication::activeModalWidget();
    if (!dialog)
        dialog = vardo::ui::OptionOutputDialog::current();
    if (dialog && dialog->isVisible())
        return dialog->grab();
    QPixmap shot = frame.grab();
    vardo::ui::PanelWidget* panel = frame.panelWidget();
    if (panel && panel->isVisible()) {
        const QPoint at = frame.mapFromGlobal(panel->pos());
        QPainter painter(&shot);
        painter.setClipRegion(panel->mask().translated(at));
        painter.drawPixmap(at, panel->grab());
    }
    return shot;
}

// The whole command line as one text, as the switches are searched in it.
std::string joinArguments(int argc, char** argv)
{
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (!line.empty())
            line += ' ';
        const std::string arg = argv[i];
        const bool quote = arg.find(' ') != std::string::npos && arg.rfind("-i", 0) == 0;
        line += quote ? "-i\"" + arg.substr(2) + "\"" : arg;
    }
    return line;
}

// VARDO_SCREENSHOT=file.png: after VARDO_SCREENSHOT_MS (default 3000) the
// window is saved to the file and the program ends; VARDO_SCREENSHOT_COMMANDS
// lists command ids to give first, one after another.
void scheduleScreenshot(vardo::ui::CMainFrame& frame)
{
    const char* file = std::getenv("VARDO_SCREENSHOT");
    if (!file || !*file)
        return;
    const char* ms = std::getenv("VARDO_SCREENSHOT_MS");
    const int delay = ms ? std::atoi(ms) : 3000;
    const QStringList commands =
        QString::fromUtf8(std::getenv("VARDO_SCREENSHOT_COMMANDS") ? std::getenv("VARDO_SCREENSHOT_COMMANDS") : "")
            .split(',', Qt::SkipEmptyParts);
    int at = delay / 2;
    for (const QString& c : commands) {
        const int id = c.trimmed().toInt();
        QTimer::singleShot(at, &frame, [&frame, id] { frame.onCommand(id); });
        at += 300;
    }
    const QString path = QString::fromUtf8(file);
    QTimer::singleShot(std::max(delay, at + 500), &frame, [&frame, path] {
        common::saveImageAtomic(screenshotOf(frame).toImage(), path);
        frame.frontend().requestQuit();
    });
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("VARDO");
    QApplication::setApplicationVersion("1.0");
    vardo::ui::CMainFrame frame(common::programFolder(), joinArguments(argc, argv));
    frame.show();
    scheduleScreenshot(frame);
    return app.exec();
}
