// What the window system says about the program's window that freeglut does not pass on: that
// another client destroyed it, that it lost the keyboard focus, or when a key was pressed. Each
// window system has its own implementation (platform/linux on the desktop); one that cannot tell
// reports nothing.
#pragma once

#include <cstdint>

struct WindowNews {
    bool destroyed = false;
    bool focusLost = false;
};

// Starts watching the window whose GL context is current; call once, after it is created.
void watchWindow();
// What has happened to the window since the previous call.
WindowNews takeWindowNews();
// Blocks until the window system has something for the program or `milliseconds` have passed.
void waitForWindowNews(std::int64_t milliseconds);
// When the special key event the toolkit is handling now happened, on clockMillis()'s scale: the
// window system's own time of the event where it tells it, else the time now. A frame that takes
// long holds up the handling of keys pressed meanwhile, but not the times they were pressed.
std::int64_t keyEventClock(int glutKey, bool pressed);
