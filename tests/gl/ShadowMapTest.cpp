#include <epoxy/gl.h>
#include <GL/freeglut.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include <unistd.h>

#include "FrameDriver.h"
#include "SceneFixture.h"
#include "ShadowMapping/ShadowMap.h"

namespace {

// s/q, t/q and r/q of a world point under textureMatrix.
void shadowMapCoordinates(float x, float y, float z, float* out) {
    const float point[4] = {x, y, z, 1};
    float v[4];
    textureMatrix.transformVector(point, v);
    for (int i = 0; i < 3; ++i) {
        out[i] = v[i] / v[3];
    }
}

std::vector<GLfloat> shadowMapDepths() {
    std::vector<GLfloat> depths(SHADOW_MAP_SIZE * SHADOW_MAP_SIZE);
    glBindTexture(GL_TEXTURE_2D, shadowTexture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, GL_FLOAT, depths.data());
    return depths;
}

// The start of a frame up to the lit pass, as display makes it.
void clearAndDrawShadowPass() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawShadowPass();
}

GLint integer(GLenum pname) {
    GLint v = -1;
    glGetIntegerv(pname, &v);
    return v;
}

}  // namespace

TEST_F(SceneTest, StartUpCreatesTheDepthTextureAndTheLight) {
    ASSERT_NE(shadowTexture, 0u);
    ASSERT_NE(shadowMapping, nullptr);
    glBindTexture(GL_TEXTURE_2D, shadowTexture);
    GLint width = 0, height = 0, format = 0, filter = 0, wrap = 0, compare = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(width, SHADOW_MAP_SIZE);
    EXPECT_EQ(height, SHADOW_MAP_SIZE);
    EXPECT_TRUE(format == GL_DEPTH_COMPONENT || format == GL_DEPTH_COMPONENT16 ||
                format == GL_DEPTH_COMPONENT24 || format == GL_DEPTH_COMPONENT32)
        << std::hex << format;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_NEAREST);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
    EXPECT_EQ(filter, GL_NEAREST);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(wrap, GL_CLAMP_TO_BORDER);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrap);
    EXPECT_EQ(wrap, GL_CLAMP_TO_BORDER);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, &compare);
    EXPECT_EQ(compare, GL_NONE);

    const Matrix identity = identityMatrix();
    EXPECT_EQ(std::memcmp(textureMatrix.data(), identity.data(), sizeof identity), 0);
    const float expectedBias[16] = {0.5f, 0, 0,    0, 0,    0.5f, 0,    0,
                                    0,    0, 0.5f, 0, 0.5f, 0.5f, 0.5f, 1};
    EXPECT_EQ(std::memcmp(biasMatrix.data(), expectedBias, sizeof expectedBias), 0);
    EXPECT_EQ(lightPosition[0], 0.0f);
    EXPECT_EQ(lightPosition[1], 10.0f);
    EXPECT_EQ(lightPosition[2], -1.0f);
    EXPECT_EQ(lightPosition[3], 1.0f);
}

TEST_F(SceneTest, TextureMatrixTakesWorldPointsIntoTheLightsMap) {
    clearAndDrawShadowPass();
    const double rows[4][4] = {{-0.5, -0.49795, 0.04527, 5.02473},
                               {0, -0.45268, 0.54321, 5.07},
                               {0, -1.0009, 0.09099, 9.99947},
                               {0, -0.99589, 0.09054, 10.04947}};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_NEAR(textureMatrix[4 * c + r], rows[r][c], 1e-5) << "row " << r << " col " << c;
        }
    }
    float st[3];
    shadowMapCoordinates(0, -1, 0, st);  // what the light looks at: the map's centre
    EXPECT_NEAR(st[0], 0.5, 1e-5);
    EXPECT_NEAR(st[1], 0.5, 1e-5);
    shadowMapCoordinates(0, 0, 0, st);
    EXPECT_NEAR(st[0], 0.5, 1e-4);
    EXPECT_NEAR(st[1], 0.5045, 1e-4);
    EXPECT_NEAR(st[2], 0.9950, 1e-4);
    shadowMapCoordinates(8, 0, 8, st);
    EXPECT_NEAR(st[0], 0.1287, 1e-4);
    EXPECT_NEAR(st[1], 0.874, 1e-3);
    // The whole ground lies inside the map.
    for (float x : {-8.0f, 8.0f}) {
        for (float z : {-8.0f, 8.0f}) {
            shadowMapCoordinates(x, 0, z, st);
            for (int i = 0; i < 3; ++i) {
                EXPECT_GT(st[i], 0.0f);
                EXPECT_LT(st[i], 1.0f);
            }
        }
    }
}

TEST_F(SceneTest, ShadowPassLeavesTheLitPassState) {
    reshape(640, 480);  // the restored viewport follows the window, not this call
    glMatrixMode(GL_MODELVIEW);
    clearAndDrawShadowPass();
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(integer(GL_CULL_FACE_MODE), GL_BACK);
    EXPECT_EQ(integer(GL_SHADE_MODEL), GL_SMOOTH);
    GLboolean mask[4];
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    EXPECT_TRUE(mask[0] && mask[1] && mask[2] && mask[3]);
    EXPECT_FALSE(glIsEnabled(GL_POLYGON_OFFSET_FILL));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(shadowTexture));
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], glutGet(GLUT_WINDOW_WIDTH));
    EXPECT_EQ(viewport[3], glutGet(GLUT_WINDOW_HEIGHT));
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[5] / projection[0], 800.0 / 600.0, 1e-4);
    EXPECT_EQ(integer(GL_MATRIX_MODE), GL_MODELVIEW);
    GLfloat modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(modelview[i], i % 5 == 0 ? 1.0f : 0.0f);
    }
    GLfloat depth = 0;
    glReadPixels(100, 100, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_EQ(depth, 1.0f) << "the depth buffer is cleared for the lit pass";
}

TEST_F(SceneTest, ShadowMapHoldsTheSolidsAndNotTheGround) {
    clearAndDrawShadowPass();
    const std::vector<GLfloat> depths = shadowMapDepths();
    const auto depthAt = [&](float x, float y, float z) {
        float st[3];
        shadowMapCoordinates(x, y, z, st);
        const int s = static_cast<int>(st[0] * SHADOW_MAP_SIZE);
        const int t = static_cast<int>(st[1] * SHADOW_MAP_SIZE);
        return depths[t * SHADOW_MAP_SIZE + s];
    };
    // Under each solid the map holds a depth of the solid's: the cubes' bottoms lie on the
    // ground, the sphere floats above it.
    float st[3];
    EXPECT_LT(depthAt(0.0f, 0.0f, 0.0f), 1.0f);
    EXPECT_LT(depthAt(-6.0f, 0.0f, 2.4f), 1.0f);
    shadowMapCoordinates(4.3f, 0, -0.8f, st);
    EXPECT_LT(depthAt(4.3f, 0.0f, -0.8f), st[2] - 1e-4f);
    // Ground beside a cube, away from the light, lies behind the cube's far side.
    shadowMapCoordinates(0.0f, 0.0f, 0.6f, st);
    EXPECT_LT(depthAt(0.0f, 0.0f, 0.6f), st[2] - 1e-5f);
    // Open ground: nothing drawn there, the cleared depth stays.
    EXPECT_EQ(depthAt(-3.0f, 0.0f, -4.0f), 1.0f);
    EXPECT_EQ(depthAt(6.0f, 0.0f, 6.0f), 1.0f);
}

TEST_F(SceneTest, APendingGLErrorIsReportedOnceWithoutALineEndAndTheFrameGoesOn) {
    StdoutCapture capture;
    glEnable(0x7FFF);  // not a capability: GL_INVALID_ENUM
    clearAndDrawShadowPass();
    clearAndDrawShadowPass();
    clearAndDrawShadowPass();
    const std::string expected =
        std::string("GL Error: ") + reinterpret_cast<const char*>(gluErrorString(GL_INVALID_ENUM));
    EXPECT_EQ(capture.text(), expected);
    // The frame went on: the shadow map and the texture matrix were made all the same.
    EXPECT_NEAR(textureMatrix[0], -0.5, 1e-6);
}

TEST_F(SceneTest, WholeFramesDrawWithoutGLErrorsOrOutput) {
    StdoutCapture capture;
    for (int frame = 0; frame < 3; ++frame) {
        display();
    }
    EXPECT_EQ(capture.text(), "");
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_FALSE(shadowPass);
    EXPECT_GT(frameSeconds, 0.0);
}

namespace {

// Resizes the window and waits (bounded) until the toolkit reports the new size.
bool resizeWindow(int width, int height) {
    glutDisplayFunc([] {});
    glutReshapeWindow(width, height);
    for (int i = 0; i < 200; ++i) {
        glutMainLoopEvent();
        if (glutGet(GLUT_WINDOW_WIDTH) == width && glutGet(GLUT_WINDOW_HEIGHT) == height) {
            // The renderer takes the window's new size for its buffers at a swap.
            glutSwapBuffers();
            return true;
        }
        usleep(5000);
    }
    return false;
}

// How many texels of two maps differ by more than a depth offset's worth.
int texelsApart(const std::vector<GLfloat>& a, const std::vector<GLfloat>& b) {
    int apart = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        apart += std::fabs(a[i] - b[i]) > 1e-4f ? 1 : 0;
    }
    return apart;
}

}  // namespace

TEST_F(SceneTest, AWindowSmallerThanTheMapLeavesTheMapWhole) {
    ASSERT_NE(shadowFramebuffer, 0u) << "this renderer has framebuffer objects";
    clearAndDrawShadowPass();
    const std::vector<GLfloat> full = shadowMapDepths();
    for (const auto& size : {std::make_pair(300, 200), std::make_pair(1, 1)}) {
        ASSERT_TRUE(resizeWindow(size.first, size.second));
        reshape(size.first, size.second);
        // What an earlier frame left in the map must not survive this one anywhere.
        const std::vector<GLfloat> zeros(full.size(), 0.0f);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, SHADOW_MAP_SIZE, SHADOW_MAP_SIZE,
                        GL_DEPTH_COMPONENT, GL_FLOAT, zeros.data());
        clearAndDrawShadowPass();
        EXPECT_EQ(texelsApart(shadowMapDepths(), full), 0) << size.first << "x" << size.second;
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], size.first);
        EXPECT_EQ(viewport[3], size.second);
    }
}

TEST_F(SceneTest, WithoutAFramebufferTheMapIsCopiedFromTheWindowAlike) {
    clearAndDrawShadowPass();
    const std::vector<GLfloat> drawnIntoTheTexture = shadowMapDepths();
    const GLuint framebuffer = shadowFramebuffer;
    shadowFramebuffer = 0;
    clearAndDrawShadowPass();
    shadowFramebuffer = framebuffer;
    const std::vector<GLfloat> copied = shadowMapDepths();
    // The window's depth precision differs from the texture's: allow for the offset's share.
    EXPECT_LT(texelsApart(copied, drawnIntoTheTexture), SHADOW_MAP_SIZE);
    EXPECT_EQ(std::count(copied.begin(), copied.end(), 1.0f),
              std::count(drawnIntoTheTexture.begin(), drawnIntoTheTexture.end(), 1.0f));
    GLfloat depth = 0;
    glReadPixels(100, 100, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_EQ(depth, 1.0f) << "the window's depth is cleared for the lit pass";
}
