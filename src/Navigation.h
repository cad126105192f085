// Walking the viewer with the keyboard: held-key flags, the camera they move, and the viewer's
// look-at for each frame.
#pragma once

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

// The modelview right after the viewer's look-at, kept for the per-object shadow set-up.
extern Matrix viewerMatrix;

void keyboard(unsigned char key, int x, int y);
void specialKeyDown(int key, int x, int y);
void specialKeyUp(int key, int x, int y);
// Asks for the next frame; while the window shows nothing it waits instead. Ends the program when
// the window is destroyed and lets go of the keys when the window loses the keyboard focus.
void idle();
// Every held key counts as released.
void releaseKeys();

// Turns and moves the camera by the held keys over `seconds`; turning comes first.
void moveViewer(double seconds);
// Loads the viewer's look-at into the current (modelview) matrix and keeps it in viewerMatrix.
void setViewerCamera();
