#include <gtest/gtest.h>

#include <QCoreApplication>

#include "e2e_support.h"

int main(int argc, char** argv) {
    quellbox::e2e::prepare_test_process();
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
