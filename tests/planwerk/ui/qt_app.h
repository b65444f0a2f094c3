#pragma once
// One QApplication for the whole test binary, kept until the process ends.
#include <QApplication>

namespace planwerk::ui::testing {

inline QApplication& qtApp()
{
    static int argc = 1;
    static char name[] = "planwerk_ui_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

} // namespace planwerk::ui::testing
