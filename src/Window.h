// The window's fixed render state and the viewer's viewport and projection.
#pragma once

constexpr int WINDOW_WIDTH = 800;
constexpr int WINDOW_HEIGHT = 600;
constexpr double VIEWER_FIELD_OF_VIEW = 60.0;
constexpr double VIEWER_NEAR = 1.0;
constexpr double VIEWER_FAR = 50.0;

// False while the window is unmapped, minimised or fully covered: freeglut draws nothing then.
extern bool windowShown;
// False while the window is larger than the driver can draw: it has been asked to shrink, and
// nothing is drawn until it has.
extern bool windowFits;

// Sets the render state that every drawing step starts from and puts back when it is done.
void initGL();
// The viewer's viewport and projection for a window of this size, at most as large as the driver
// can draw; leaves an identity modelview current. Also called by the shadow pass to put the
// viewer's view back.
void reshape(int width, int height);
// Width over height for the projection; a window of height 0 is treated as height 1 so that
// the projection stays finite.
double viewerAspect(int width, int height);
// Asks a window that reshape found larger than the driver can draw back to the largest size it
// can, once; nothing is drawn until it is. Called by idle, after it has seen that the window was
// not destroyed: the toolkit reads a destroyed window's size as whatever its memory held.
void shrinkOversizedWindow();
// freeglut's window status callback: keeps windowShown.
void windowStatus(int state);
