// The program paces its frames with a sleep at the end of each. A page's main thread must not
// stop, and without threads Emscripten's C library sleeps by spinning; so here a sleep returns at
// once, and the main loop (main_loop.js) starts its next turn when the time has passed.
#include "Clock.h"

extern "C" {
// Defined in main_loop.js.
void webPauseLoop(double milliseconds);
}

void sleepMillis(std::int64_t milliseconds) {
    if (milliseconds > 0) {
        webPauseLoop(static_cast<double>(milliseconds));
    }
}
