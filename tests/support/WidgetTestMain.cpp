#include "support/PrivateState.h"

#include <QApplication>
#include <gtest/gtest.h>

// Widget suites run inside one QApplication, on the offscreen platform in CI.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const testsupport::PrivateState state;
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vantuke");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
