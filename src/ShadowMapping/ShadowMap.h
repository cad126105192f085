// The light's shadow map: a depth texture drawn from the light every frame, and the matrix that
// takes world points to coordinates in it.
#pragma once

#include <epoxy/gl.h>

#include "math/Matrix.h"

class ShadowMapping;

constexpr int SHADOW_MAP_SIZE = 512;
// Where the light hangs in the world (w = 1: a point light). The light looks from here, GL's
// light 0 and the marker sit here, and lightPosition starts here.
inline constexpr GLfloat LIGHT_POSITION[4] = {0.0f, 10.0f, -1.0f, 1.0f};

extern GLuint shadowTexture;
// The framebuffer that draws into shadowTexture; 0 where the driver has none, and then the pass
// draws into the window and copies the map out of it.
extern GLuint shadowFramebuffer;
extern ShadowMapping* shadowMapping;
// Maps clip space (-1..1) to texture space (0..1) on x, y and z.
extern Matrix biasMatrix;
// World space to homogeneous shadow-map coordinates; rebuilt every frame.
extern Matrix textureMatrix;
// The light's world position.
extern float lightPosition[4];

// Creates the depth texture and the shader pair (which ends the process if the shaders fail).
void initShadowMap();
// Loads the light's look-at into the current (modelview) matrix.
void setLightView();
// The light's 512x512 viewport and projection; the modelview keeps the light's view.
void setLightProjection();
// Draws the scene's depth from the light into the texture, rebuilds textureMatrix and puts the
// viewer's viewport and projection back.
void renderShadowMap();
