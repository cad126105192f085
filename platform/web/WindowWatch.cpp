// A page's canvas is neither destroyed nor focused apart from the page, and a hidden page's
// timers are slowed by the browser itself: there is nothing to watch. Keys are handled as they
// come, between frames, and counted from then.
#include "Clock.h"
#include "WindowWatch.h"

void watchWindow() {}

WindowNews takeWindowNews() {
    return {};
}

void waitForWindowNews(std::int64_t milliseconds) {
    sleepMillis(milliseconds);
}

std::int64_t keyEventClock(int, bool) {
    return clockMillis();
}
