// GoogleTest with the QApplication every widget needs, speaking the window's language as the
// program does by default. Listing the tests (done at build and discovery time, possibly
// without any display) creates no application.

#include <gtest/gtest.h>

#include <QApplication>

#include "runtime/event_loop.h"
#include "runtime/translations.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    quellbox::runtime::use_qt_event_loop();  // the loop the window runs on
    QApplication app(argc, argv);
    // Chinese whatever the developer's environment asks for: the tests expect the default.
    if (!quellbox::runtime::install_translations(app, quellbox::runtime::Language::chinese)) {
        return 1;
    }
    return RUN_ALL_TESTS();
}
