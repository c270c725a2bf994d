#pragma once
// The widget tests' application object, made once on the platform the
// environment chooses (offscreen under ctest).
#include <QApplication>

inline void EnsureWidgetApp()
{
    static int argc = 1;
    static char name[] = "konvelo-test";
    static char *argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QApplication(argc, argv);
}
