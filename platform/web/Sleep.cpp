// The program paces its frames with a sleep at the end of each. A page's main thread must not
// stop, and without threads Emscripten's C library sleeps by spinning; so here a sleep returns at
// once, and the main loop (main_loop.js) starts its next turn when the time has passed. Only
// the frame pause sleeps in this program.
#include <cerrno>
#include <ctime>

extern "C" {

// Defined in main_loop.js.
void webPauseLoop(double milliseconds);

int nanosleep(const struct timespec* request, struct timespec* remaining) {
    if (request == nullptr || request->tv_sec < 0 || request->tv_nsec < 0 ||
        request->tv_nsec >= 1000000000L) {
        errno = EINVAL;
        return -1;
    }
    webPauseLoop(static_cast<double>(request->tv_sec) * 1000.0 +
                 static_cast<double>(request->tv_nsec) / 1e6);
    if (remaining != nullptr) {
        remaining->tv_sec = 0;
        remaining->tv_nsec = 0;
    }
    return 0;
}

}  // extern "C"
