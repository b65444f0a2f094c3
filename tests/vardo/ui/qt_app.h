#pragma once
// One QApplication for the whole test binary, made on first use and kept
// until the process ends.
#include <QApplication>

namespace ui_fixtures {

inline QApplication& qtApp()
{
    static int argc = 1;
    static char name[] = "vardo_ui_test";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt's own globals may go first at exit.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

} // namespace ui_fixtures
