#pragma once

// Benchmarks that lay out captions need fonts: one offscreen application for the whole run.
#include <QGuiApplication>

inline void ensureGuiApplication() {
    static QGuiApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "orbelis-bench";
        static char *argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}
