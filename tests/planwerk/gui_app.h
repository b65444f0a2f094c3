#pragma once
// One QGuiApplication for a test binary that draws without widgets, kept
// until the process ends.
#include <QGuiApplication>

namespace planwerk::testing {

inline void ensureGuiApplication()
{
    static int argc = 1;
    static char name[] = "planwerk_drawing_test";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
}

} // namespace planwerk::testing
