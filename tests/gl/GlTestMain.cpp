// Every GL test runs in its own process (CTest runs one test per process), with one window
// like the program's and its context current.
#include <epoxy/gl.h>
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "PlatformStart.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

int runTestsInWindow(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitWindowSize(800, 600);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("GL test");
    const int result = RUN_ALL_TESTS();
#if defined(__SANITIZE_ADDRESS__)
    // Leaks are looked for while the window is still open: at exit the GL driver is unloaded
    // before the check, and what it still holds then can no longer be told apart from ours.
    __lsan_do_leak_check();
#endif
    return result;
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's bookkeeping of dynamic TLS guesses a block's bounds from the 16 bytes before
// it when the block starts 16 bytes into a page. Its own allocator puts the GL driver's blocks
// there now and then, and the leak check then reads the bounds from an allocation header and
// crashes ("Tracer caught signal 11"), on every run of that test in that build and environment.
// The driver's blocks are ordinary heap allocations, found through the thread's own TLS, so the
// leak check needs none of that bookkeeping.
extern "C" const char* __asan_default_options() {
    return "intercept_tls_get_addr=0";
}
#endif

int main(int argc, char** argv) {
    startPlatform(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests must work without a display.
    if (::testing::GTEST_FLAG(list_tests)) {
        return RUN_ALL_TESTS();
    }
#if !defined(_WIN32)
    if (std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "gl_tests need an X display (run them under xvfb-run)\n");
        return 2;
    }
#endif
    return runTestsInWindow(argc, argv);
}
