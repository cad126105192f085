// A page's canvas is neither destroyed nor focused apart from the page, and a hidden page's
// timers are slowed by the browser itself: there is nothing to watch. Keys are handled between
// frames, but the browser stamps each with when it happened (main_loop.js).
#include <cmath>

#include "Clock.h"
#include "WindowWatch.h"

extern "C" {
// Defined in main_loop.js.
double webKeyEventAge(void);
}

void watchWindow() {}

WindowNews takeWindowNews() {
    return {};
}

void waitForWindowNews(std::int64_t milliseconds) {
    sleepMillis(milliseconds);
}

std::int64_t keyEventClock(int, bool) {
    return clockMillis() - std::llround(webKeyEventAge());
}
