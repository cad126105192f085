// Every GL test runs in its own process (CTest runs one test per process), with one window
// like the program's and its context current.
#include <epoxy/gl.h>
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests must work without a display.
    if (::testing::GTEST_FLAG(list_tests)) {
        return RUN_ALL_TESTS();
    }
    if (std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "gl_tests need an X display (run them under xvfb-run)\n");
        return 2;
    }
    glutInit(&argc, argv);
    glutInitWindowSize(800, 600);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("GL test");
    return RUN_ALL_TESTS();
}
