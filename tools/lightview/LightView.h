// One frame of the program from the start position, read back together with the light's depth
// map, and turned into pictures that show how the shadows come about. Every step draws through
// the program's own functions, so the pictures follow whatever the program draws.
#pragma once

#include <string>
#include <vector>

// Pixels row by row from the bottom, as GL reads them; 1 (grey) or 3 (RGB) bytes a pixel.
struct Picture {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<unsigned char> bytes;
};

// The window's colour and depth after a frame, bottom row first, with the viewer's matrices and
// viewport that placed them.
struct FrameCapture {
    Picture colour;
    std::vector<float> depth;
    double view[16];
    double projection[16];
    int viewport[4];
};

// Draws `settlingFrames` frames through display(), so that the fountain has risen, then one more
// with display's drawing steps and reads it back before it is swapped away.
FrameCapture drawAndReadFrame(int settlingFrames);

// The shadow texture's depths, SHADOW_MAP_SIZE squared, row t = 0 first.
std::vector<float> readShadowMap();

// The map as a grey picture: the far depth (nothing drawn) black, the drawn texels stretched from
// dark grey (farthest) to white (nearest the light).
Picture depthPicture(const std::vector<float>& depths);

// A world point's s, t and depth in the light's map, through the textureMatrix of the latest
// shadow pass.
void shadowMapCoord(const float world[3], float coord[3]);
bool insideMap(const float coord[3]);
// The fragment program's comparison at map coordinates `coord`: true where the map holds
// something nearer the light than the point, less `bias`.
bool inShadow(const float coord[3], const std::vector<float>& depths, float bias);

// The frame with every pixel whose surface the shadow test finds in shadow tinted. The sky (depth
// 1) and what lies outside the map are left alone.
Picture tintShadowed(const FrameCapture& frame, const std::vector<float>& depths, float bias);

// The fragment program's depth bias, read from its source so that the picture tests as it does.
// Returns false when the source or the constant is missing.
bool readShaderDepthBias(const std::string& path, float* bias);

bool savePng(const Picture& picture, const std::string& path);
