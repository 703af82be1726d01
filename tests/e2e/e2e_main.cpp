// GoogleTest with the QApplication the window needs, in a private runtime folder on the offscreen
// platform (see prepare_test_process()). Listing the tests creates no application.

#include <gtest/gtest.h>

#include <QApplication>

#include "e2e_support.h"
#include "runtime/event_loop.h"

int main(int argc, char** argv) {
    quellbox::e2e::prepare_test_process();
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    quellbox::runtime::use_qt_event_loop();  // the loop the programs run on
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
