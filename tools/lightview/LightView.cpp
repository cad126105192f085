#include <epoxy/gl.h>
#include <GL/freeglut.h>
#include <GL/glu.h>

#include <IL/il.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "FrameDriver.h"
#include "LightView.h"
#include "Navigation.h"
#include "ShadowMapping/ShadowMap.h"

namespace {

// What the shadow pass clears the map to: no surface between the light and its far plane.
const float FAR_DEPTH = 1.0f;
const int DARKEST_DRAWN_GREY = 48;
// Shadowed pixels are mixed with magenta, which appears nowhere in the scene.
const float TINT_SHARE = 0.55f;
const unsigned char TINT[3] = {255, 0, 255};

}  // namespace

FrameCapture drawAndReadFrame(int settlingFrames) {
    for (int i = 0; i < settlingFrames; ++i) {
        display();
    }
    // The drawing steps of display(); its swap would leave the back buffer undefined.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawShadowPass();
    drawLitPass();

    FrameCapture frame;
    glGetIntegerv(GL_VIEWPORT, frame.viewport);
    glGetDoublev(GL_PROJECTION_MATRIX, frame.projection);
    for (int i = 0; i < 16; ++i) {
        frame.view[i] = viewerMatrix[i];
    }
    const int width = frame.viewport[2];
    const int height = frame.viewport[3];
    frame.colour = {width, height, 3, std::vector<unsigned char>(width * height * 3)};
    frame.depth.resize(width * height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, frame.colour.bytes.data());
    glReadPixels(0, 0, width, height, GL_DEPTH_COMPONENT, GL_FLOAT, frame.depth.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glutSwapBuffers();
    return frame;
}

std::vector<float> readShadowMap() {
    std::vector<float> depths(SHADOW_MAP_SIZE * SHADOW_MAP_SIZE);
    glBindTexture(GL_TEXTURE_2D, shadowTexture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, GL_FLOAT, depths.data());
    return depths;
}

Picture depthPicture(const std::vector<float>& depths) {
    float nearest = FAR_DEPTH;
    float farthest = 0.0f;
    for (float depth : depths) {
        if (depth < FAR_DEPTH) {
            nearest = std::min(nearest, depth);
            farthest = std::max(farthest, depth);
        }
    }
    // The depths of a scene ten units from the light crowd into the last hundredth of the
    // range; stretched, the solids and the fountain stand apart.
    const float span = farthest > nearest ? farthest - nearest : 1.0f;
    Picture picture{SHADOW_MAP_SIZE, SHADOW_MAP_SIZE, 1, std::vector<unsigned char>(depths.size())};
    for (size_t i = 0; i < depths.size(); ++i) {
        if (depths[i] < FAR_DEPTH) {
            const float nearness = (farthest - depths[i]) / span;
            picture.bytes[i] = static_cast<unsigned char>(
                DARKEST_DRAWN_GREY + nearness * (255 - DARKEST_DRAWN_GREY) + 0.5f);
        }
    }
    return picture;
}

void shadowMapCoord(const float world[3], float coord[3]) {
    const float point[4] = {world[0], world[1], world[2], 1.0f};
    float v[4];
    textureMatrix.transformVector(point, v);
    for (int i = 0; i < 3; ++i) {
        coord[i] = v[i] / v[3];
    }
}

bool insideMap(const float coord[3]) {
    return coord[0] >= 0.0f && coord[0] < 1.0f && coord[1] >= 0.0f && coord[1] < 1.0f;
}

bool inShadow(const float coord[3], const std::vector<float>& depths, float bias) {
    // The texture is filtered to the nearest texel, and outside it its border, depth 0, is read.
    float stored = 0.0f;
    if (insideMap(coord)) {
        const int column = static_cast<int>(coord[0] * SHADOW_MAP_SIZE);
        const int row = static_cast<int>(coord[1] * SHADOW_MAP_SIZE);
        stored = depths[row * SHADOW_MAP_SIZE + column];
    }
    return !(coord[2] - bias <= stored);
}

Picture tintShadowed(const FrameCapture& frame, const std::vector<float>& depths, float bias) {
    Picture picture = frame.colour;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const int pixel = y * picture.width + x;
            if (frame.depth[pixel] >= 1.0f) {
                continue;
            }
            double wx, wy, wz;
            gluUnProject(x + 0.5, y + 0.5, frame.depth[pixel], frame.view, frame.projection,
                         frame.viewport, &wx, &wy, &wz);
            const float world[3] = {static_cast<float>(wx), static_cast<float>(wy),
                                    static_cast<float>(wz)};
            float coord[3];
            shadowMapCoord(world, coord);
            // The map covers all that the shader draws; outside it lies only the border, drawn
            // without the shadow test.
            if (!insideMap(coord) || !inShadow(coord, depths, bias)) {
                continue;
            }
            for (int c = 0; c < 3; ++c) {
                unsigned char& byte = picture.bytes[pixel * 3 + c];
                byte =
                    static_cast<unsigned char>((1.0f - TINT_SHARE) * byte + TINT_SHARE * TINT[c]);
            }
        }
    }
    return picture;
}

bool readShaderDepthBias(const std::string& path, float* bias) {
    std::ifstream file(path);
    std::stringstream contents;
    contents << file.rdbuf();
    const std::string text = contents.str();
    const size_t name = text.find("float DEPTH_BIAS");
    const size_t equals = text.find('=', name);
    if (name == std::string::npos || equals == std::string::npos) {
        return false;
    }
    const char* start = text.c_str() + equals + 1;
    char* end = nullptr;
    *bias = std::strtof(start, &end);
    return end != start;
}

bool savePng(const Picture& picture, const std::string& path) {
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    // The image starts at its lower left, like GL's rows; the PNG is written top row first.
    bool saved = ilTexImage(picture.width, picture.height, 1, picture.channels,
                            picture.channels == 1 ? IL_LUMINANCE : IL_RGB, IL_UNSIGNED_BYTE,
                            const_cast<unsigned char*>(picture.bytes.data())) == IL_TRUE;
    ilEnable(IL_FILE_OVERWRITE);
    saved = saved && ilSave(IL_PNG, path.c_str()) == IL_TRUE;
    ilDeleteImages(1, &image);
    return saved;
}
