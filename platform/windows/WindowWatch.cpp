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

// freeglut hands a key on while it handles the key's message, whose time Windows keeps: the
// message's age, on the tick count's scale, puts it on clockMillis()'s.
std::int64_t keyEventClock(int, bool) {
    const DWORD age = GetTickCount() - static_cast<DWORD>(GetMessageTime());
    // A message is never younger than now, whatever the two clocks say; a stale reading (no key
    // message being handled) is taken for now rather than for the distant past.
    const std::int64_t sinceKey = age < 10000 ? static_cast<std::int64_t>(age) : 0;
    return clockMillis() - sinceKey;
}
