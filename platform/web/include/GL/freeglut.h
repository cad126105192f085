// Emscripten's GLUT stands in for freeglut. It declares glutSolidCube and glutSolidSphere but
// draws neither: Shapes.cpp does.
#pragma once

#include <GL/glut.h>

// freeglut's window status callback; a page's canvas never reports a change, so it is not called.
#define GLUT_HIDDEN 0x0000
#define GLUT_FULLY_RETAINED 0x0001
#define GLUT_PARTIALLY_RETAINED 0x0002
#define GLUT_FULLY_COVERED 0x0003
inline void glutWindowStatusFunc(void (*)(int)) {}
