// Emscripten's GLUT stands in for freeglut. It declares glutSolidCube and glutSolidSphere but
// draws neither: Shapes.cpp does.
#pragma once

#include <GL/glut.h>
