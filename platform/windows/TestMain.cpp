// GoogleTest's usual main, renamed so that Main.cpp can start the test program as its own shader
// translator too.
#include <gtest/gtest.h>

int programMain(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
