// The X11 watch: a connection of its own that selects the window's structure and focus events,
// so that freeglut's event mask and its handling of its own connection stay as they are.
#include <epoxy/glx.h>
#include <poll.h>

#include "Clock.h"
#include "WindowWatch.h"

namespace {
Display* toolkitDisplay = nullptr;
Display* watchDisplay = nullptr;
Window watchedWindow = 0;
bool destroyedSeen = false;
XErrorHandler previousErrorHandler = nullptr;

// A frame drawn just as another client destroys the window fails on the window's id before the
// watch hears of it: that error means the same as the destroy, so it is noted, not fatal.
int onXError(Display* display, XErrorEvent* error) {
    if ((error->error_code == BadWindow || error->error_code == BadDrawable) &&
        error->resourceid == watchedWindow) {
        destroyedSeen = true;
        return 0;
    }
    return previousErrorHandler != nullptr ? previousErrorHandler(display, error) : 0;
}
}  // namespace

void watchWindow() {
    toolkitDisplay = glXGetCurrentDisplay();
    watchedWindow = glXGetCurrentDrawable();
    if (toolkitDisplay == nullptr || watchedWindow == 0) {
        return;
    }
    watchDisplay = XOpenDisplay(DisplayString(toolkitDisplay));
    if (watchDisplay == nullptr) {
        return;
    }
    XSelectInput(watchDisplay, watchedWindow, StructureNotifyMask | FocusChangeMask);
    XFlush(watchDisplay);
    previousErrorHandler = XSetErrorHandler(onXError);
}

WindowNews takeWindowNews() {
    WindowNews news;
    news.destroyed = destroyedSeen;
    while (watchDisplay != nullptr && XPending(watchDisplay) > 0) {
        XEvent event;
        XNextEvent(watchDisplay, &event);
        if (event.type == DestroyNotify && event.xdestroywindow.window == watchedWindow) {
            news.destroyed = true;
        } else if (event.type == FocusOut && event.xfocus.detail != NotifyInferior) {
            // Key releases now go to another window, so a held key would never be let go.
            news.focusLost = true;
        }
    }
    return news;
}

void waitForWindowNews(std::int64_t milliseconds) {
    if (toolkitDisplay == nullptr || watchDisplay == nullptr) {
        sleepMillis(milliseconds);
        return;
    }
    // Events already read into either queue would not wake the poll.
    if (XPending(toolkitDisplay) > 0 || XPending(watchDisplay) > 0) {
        return;
    }
    pollfd connections[2] = {{ConnectionNumber(toolkitDisplay), POLLIN, 0},
                             {ConnectionNumber(watchDisplay), POLLIN, 0}};
    poll(connections, 2, static_cast<int>(milliseconds));
}
