// planwerk: the layout editor's window.
#include "common/paths.h"
#include "planwerk/ui/main_frame.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(planwerk::ui::kAppName));
    planwerk::ui::MainFrame frame(common::programFolder());
    frame.show();
    // Start once the window is up, so start-up messages have a parent.
    bool ok = true;
    QTimer::singleShot(0, &frame, [&] { ok = frame.start(); });
    int rc = app.exec();
    return ok ? rc : 1;
}
