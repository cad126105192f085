// The three solids: geometry for the shadow map in the shadow pass, and in the lit pass shaded
// through the shader pair with their own shadow-map matrix, modelview and light vector.
#pragma once

void drawObjects();

// The red cube, the green sphere and the blue cube, in the order they are drawn.
constexpr int SOLID_COUNT = 3;
// Draws one solid on top of the modelview current now (the pass's view), which it changes.
void drawSolid(int index);
