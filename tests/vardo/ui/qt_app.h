#pragma once
// One QApplication for the whole test binary, made on first use.
#include <QApplication>

namespace ui_fixtures {

inline QApplication& qtApp()
{
    static int argc = 1;
    static char name[] = "vardo_ui_test";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

} // namespace ui_fixtures
