// The fixed parts of the scene: the ground with its border, and the light with its marker.
#pragma once

// The ground through the shader pair (it receives shadows) and the border around it; nothing in
// the shadow pass, so neither casts a shadow.
void drawGround();
// Places light 0 in world space for this frame's view and draws the white marker at the light.
void drawLightSource();
