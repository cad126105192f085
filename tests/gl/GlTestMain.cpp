// Every GL test runs in its own process (CTest runs one test per process), with one window
// like the program's and its context current.
#include <epoxy/gl.h>
#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

// Xvfb here now and then drops a new client's connection before the handshake, and the toolkit
// then ends the process. That exit gets a status of its own so that the run can be tried again.
const int DISPLAY_MISSED = 75;

void toolkitError(const char* format, va_list arguments) {
    std::vfprintf(stderr, format, arguments);
    std::fputc('\n', stderr);
    std::_Exit(std::strstr(format, "failed to open display") != nullptr ? DISPLAY_MISSED : 1);
}

int runTestsInWindow(int argc, char** argv) {
    glutInitErrorFunc(toolkitError);
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
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests must work without a display.
    if (::testing::GTEST_FLAG(list_tests)) {
        return RUN_ALL_TESTS();
    }
    if (std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "gl_tests need an X display (run them under xvfb-run)\n");
        return 2;
    }
    for (int attempt = 0;; ++attempt) {
        std::fflush(nullptr);
        const pid_t child = fork();
        if (child == 0) {
            std::exit(runTestsInWindow(argc, argv));
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status)) {
            std::fprintf(stderr, "gl_tests ended by signal %d\n", WTERMSIG(status));
            return 1;
        }
        if (WEXITSTATUS(status) != DISPLAY_MISSED || attempt == 4) {
            return WEXITSTATUS(status);
        }
    }
}
