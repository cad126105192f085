// The Windows watch: a subclass of the window's procedure hears of a lost focus, and freeglut's
// own handling of the window's messages stays as it is. No other program can destroy a window
// on Windows, and closing it is the user's own quit, which freeglut ends with status 0 as on X:
// so a destroyed window is never news here.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <commctrl.h>

#include "Clock.h"
#include "WindowWatch.h"

namespace {
bool focusLost = false;

LRESULT CALLBACK watchMessages(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR) {
    if (message == WM_KILLFOCUS) {
        // Key releases now go to another window, so a held key would never be let go.
        focusLost = true;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}
}  // namespace

void watchWindow() {
    const HWND window = WindowFromDC(wglGetCurrentDC());
    if (window != nullptr) {
        SetWindowSubclass(window, watchMessages, 1, 0);
    }
}

WindowNews takeWindowNews() {
    WindowNews news;
    news.focusLost = focusLost;
    focusLost = false;
    return news;
}

void waitForWindowNews(std::int64_t milliseconds) {
    // Wakes for any message to the thread, those already waiting in its queue included.
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(milliseconds), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
}

// Keys are counted from when freeglut hands them on.
std::int64_t keyEventClock(int, bool) {
    return clockMillis();
}
