#include "support/PrivateState.h"

#include <gtest/gtest.h>

// Suites without a window.
int main(int argc, char** argv) {
    const testsupport::PrivateState state;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
