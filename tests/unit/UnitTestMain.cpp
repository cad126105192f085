// GoogleTest's usual main, after the platform's start: on Windows the tests that translate apart
// start the test program again as its own shader translator.
#include <gtest/gtest.h>

#include "PlatformStart.h"

int main(int argc, char** argv) {
    startPlatform(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
