// The render check runs on a real X server (ctest starts it under xvfb-run), never offscreen.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "runtime/event_loop.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "no X server: run this under xvfb-run (ctest -R xvfb does)\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    // The port field looks for port links under the runtime folder: keep it private.
    const QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    quellbox::runtime::use_qt_event_loop();  // the loop the window runs on
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
