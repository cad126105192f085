// A page's canvas is neither destroyed nor focused apart from the page, and a hidden page's
// timers are slowed by the browser itself: there is nothing to watch.
#include "Clock.h"
#include "WindowWatch.h"

void watchWindow() {}

WindowNews takeWindowNews() {
    return {};
}

void waitForWindowNews(std::int64_t milliseconds) {
    sleepMillis(milliseconds);
}
