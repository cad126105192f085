// Walking the viewer with the keyboard: held-key flags, the camera they move, and the viewer's
// look-at for each frame.
#pragma once

#include <cstdint>

#include "math/Matrix.h"

constexpr double TURN_RATE = 0.8726646259971648;  // radians per second: 50 degrees
constexpr double MOVE_SPEED = 2.0;                // world units per second
constexpr unsigned char ESCAPE_KEY = 27;
constexpr int DESTROYED_WINDOW_STATUS = 1;

// Eye position (y is up) and heading in radians: 0 looks along +x, growing turns toward +z.
extern double cameraX;
extern double cameraY;
extern double cameraZ;
extern double cameraAngle;

extern bool keyTurnLeft;
extern bool keyTurnRight;
extern bool keyForward;
extern bool keyBackward;
extern bool keyRise;
extern bool keySink;

// How much of the frame being drawn a movement key was held: `since` is when its current hold
// began (while its flag is set), `endedMillis` the held time of holds that ended since the frame
// began. The key handlers stamp each press and release with its time (keyEventClock), so that a
// tap inside a long frame moves the viewer for the tap's length, not for the whole frame or not
// at all.
struct KeyHold {
    std::int64_t since = 0;
    std::int64_t endedMillis = 0;
};
extern KeyHold turnLeftHold;
extern KeyHold turnRightHold;
extern KeyHold forwardHold;
extern KeyHold backwardHold;
extern KeyHold riseHold;
extern KeyHold sinkHold;

// The modelview right after the viewer's look-at, kept for the per-object shadow set-up.
extern Matrix viewerMatrix;

void keyboard(unsigned char key, int x, int y);
void specialKeyDown(int key, int x, int y);
void specialKeyUp(int key, int x, int y);
// The same press and release at `millis` on clockMillis()'s scale.
// A press of a key already held (the browser's auto-repeat) changes nothing; X's auto-repeat, a
// release and a press at the same moment, loses and adds no time.
void pressKeyAt(int key, std::int64_t millis);
void releaseKeyAt(int key, std::int64_t millis);
// Asks for the next frame; while the window shows nothing it waits instead. Ends the program when
// the window is destroyed and lets go of the keys when the window loses the keyboard focus.
void idle();
// Every held key counts as released, now or at `millis`.
void releaseKeys();
void releaseKeysAt(std::int64_t millis);

// Turns and moves the camera for the frame that has just started at lastFrameClock, `seconds`
// after the one before: by each key's held part of that time (all of it for a key held
// throughout). Turning comes first.
void moveViewer(double seconds);
// Loads the viewer's look-at into the current (modelview) matrix and keeps it in viewerMatrix.
void setViewerCamera();
