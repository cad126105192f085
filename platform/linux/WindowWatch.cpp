// The X11 watch: a connection of its own that selects the window's structure, focus and key
// events, so that freeglut's event mask and its handling of its own connection stay as they are.
// Each client that selects key events gets its own copy, with the server's time of the press.
#include <epoxy/glx.h>
#include <GL/freeglut.h>
#include <X11/Xatom.h>
#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>

#include "Clock.h"
#include "WindowWatch.h"

namespace {
Display* toolkitDisplay = nullptr;
Display* watchDisplay = nullptr;
Window watchedWindow = 0;
bool destroyedSeen = false;
bool focusLostSeen = false;
XErrorHandler previousErrorHandler = nullptr;

// The server's clock counts milliseconds in 32 bits from its own start; these two readings, taken
// together, put its times on clockMillis()'s scale.
bool serverClockKnown = false;
std::uint32_t serverAtStart = 0;
std::int64_t clockAtStart = 0;

// The key events read from the watch but not yet matched to freeglut's handling of its copy.
struct KeyEvent {
    bool pressed;
    KeySym symbol;
    std::uint32_t time;
};
constexpr int MAX_KEY_EVENTS = 64;
KeyEvent keyEvents[MAX_KEY_EVENTS];
int keyEventCount = 0;

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

std::int64_t clockOfServerTime(std::uint32_t time) {
    return clockAtStart + static_cast<std::int32_t>(time - serverAtStart);
}

// The server's time now: that of the notice for an empty append to a property of the window.
void readServerClock() {
    const Atom property = XInternAtom(watchDisplay, "_NAVIGATION_EXAMPLE_CLOCK", False);
    XSelectInput(watchDisplay, watchedWindow, PropertyChangeMask);
    const std::int64_t before = clockMillis();
    XChangeProperty(watchDisplay, watchedWindow, property, XA_STRING, 8, PropModeAppend,
                    reinterpret_cast<const unsigned char*>(""), 0);
    XEvent event;
    do {
        XWindowEvent(watchDisplay, watchedWindow, PropertyChangeMask, &event);
    } while (event.xproperty.atom != property);
    clockAtStart = (before + clockMillis()) / 2;
    serverAtStart = static_cast<std::uint32_t>(event.xproperty.time);
    serverClockKnown = true;
}

void keepKeyEvent(XKeyEvent& key) {
    if (keyEventCount == MAX_KEY_EVENTS) {
        // Events this old were handled by freeglut long ago without a special key's callback.
        std::copy(keyEvents + 1, keyEvents + MAX_KEY_EVENTS, keyEvents);
        --keyEventCount;
    }
    keyEvents[keyEventCount++] = {key.type == KeyPress, XLookupKeysym(&key, 0),
                                  static_cast<std::uint32_t>(key.time)};
}

// Reads every event the watch has been sent: news for takeWindowNews, keys for keyEventClock.
void readWatchEvents() {
    while (watchDisplay != nullptr && XPending(watchDisplay) > 0) {
        XEvent event;
        XNextEvent(watchDisplay, &event);
        if (event.type == DestroyNotify && event.xdestroywindow.window == watchedWindow) {
            destroyedSeen = true;
        } else if (event.type == FocusOut && event.xfocus.detail != NotifyInferior) {
            // Key releases now go to another window, so a held key would never be let go.
            focusLostSeen = true;
        } else if (event.type == KeyPress || event.type == KeyRelease) {
            keepKeyEvent(event.xkey);
        }
    }
}

bool isKeyFor(int glutKey, KeySym symbol) {
    switch (glutKey) {
        case GLUT_KEY_LEFT:
            return symbol == XK_Left || symbol == XK_KP_Left;
        case GLUT_KEY_RIGHT:
            return symbol == XK_Right || symbol == XK_KP_Right;
        case GLUT_KEY_UP:
            return symbol == XK_Up || symbol == XK_KP_Up;
        case GLUT_KEY_DOWN:
            return symbol == XK_Down || symbol == XK_KP_Down;
        case GLUT_KEY_PAGE_UP:
            return symbol == XK_Page_Up || symbol == XK_KP_Page_Up;
        case GLUT_KEY_PAGE_DOWN:
            return symbol == XK_Page_Down || symbol == XK_KP_Page_Down;
        default:
            return false;
    }
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
    readServerClock();
    XSelectInput(watchDisplay, watchedWindow,
                 StructureNotifyMask | FocusChangeMask | KeyPressMask | KeyReleaseMask);
    XFlush(watchDisplay);
    previousErrorHandler = XSetErrorHandler(onXError);
}

WindowNews takeWindowNews() {
    readWatchEvents();
    WindowNews news;
    news.destroyed = destroyedSeen;
    news.focusLost = focusLostSeen;
    focusLostSeen = false;
    return news;
}

std::int64_t keyEventClock(int glutKey, bool pressed) {
    const std::int64_t now = clockMillis();
    if (!serverClockKnown) {
        return now;
    }
    readWatchEvents();
    // freeglut hands on its copies in the order the server sent them: the first match is this
    // one, and the events before it were handled already (keys that are not special keys).
    for (int i = 0; i < keyEventCount; ++i) {
        const KeyEvent& event = keyEvents[i];
        if (event.pressed == pressed && isKeyFor(glutKey, event.symbol)) {
            const std::int64_t when = clockOfServerTime(event.time);
            std::copy(keyEvents + i + 1, keyEvents + keyEventCount, keyEvents);
            keyEventCount -= i + 1;
            // A key is never handled before it was pressed, whatever the two clocks say.
            return std::min(when, now);
        }
    }
    return now;
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
