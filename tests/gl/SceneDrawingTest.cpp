#include <epoxy/gl.h>
#include <GL/freeglut.h>
#include <Cg/cgGL.h>
#include <gtest/gtest.h>

#include "CgState.h"

#include <cmath>
#include <cstring>

#include "FrameDriver.h"
#include "Ground.h"
#include "Navigation.h"
#include "Objects.h"
#include "Particles.h"
#include "SceneFixture.h"
#include "ShadowMapping/ShadowMap.h"
#include "ShadowMapping/ShadowMapping.h"

namespace {

const float SOLID_CENTRES[SOLID_COUNT][3] = {
    {0, 0.5f, 0}, {4.3f, 1.0f, -0.8f}, {-6.0f, 0.8f, 2.4f}};
const float SOLID_COLOURS[SOLID_COUNT][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

// This frame's shadow map and texture matrix, then the viewer's look-at, as display has them
// when the lit pass begins.
void beginLitPass() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawShadowPass();
    setViewerCamera();
}

Matrix currentModelview() {
    Matrix m;
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    return m;
}

Matrix translationBy(const float* t) {
    Matrix m = identityMatrix();
    m[12] = t[0];
    m[13] = t[1];
    m[14] = t[2];
    return m;
}

void expectMatrixNear(const Matrix& actual, const Matrix& expected, float tolerance) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "element " << i;
    }
}

GLint stackDepth() {
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    return depth;
}

void expectDiffuse(float r, float g, float b, float a) {
    for (GLenum face : {GL_FRONT, GL_BACK}) {
        GLfloat v[4];
        glGetMaterialfv(face, GL_DIFFUSE, v);
        EXPECT_FLOAT_EQ(v[0], r);
        EXPECT_FLOAT_EQ(v[1], g);
        EXPECT_FLOAT_EQ(v[2], b);
        EXPECT_FLOAT_EQ(v[3], a);
    }
}

void expectShadersOff() {
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(cgrt::isProfileEnabled(*ShadowMapping::vertexProfile));
    EXPECT_FALSE(cgrt::isProfileEnabled(*ShadowMapping::fragmentProfile));
}

}  // namespace

TEST_F(SceneTest, SolidsLeaveTheModelviewStackAndTextureMatrixAsTheyFoundThem) {
    beginLitPass();
    for (bool pass : {true, false}) {
        shadowPass = pass;
        if (pass) {
            setLightView();
        } else {
            setViewerCamera();
        }
        glTranslatef(0.25f, 0.5f, 0.75f);  // whatever is on top must survive
        const Matrix top = currentModelview();
        const GLint depth = stackDepth();
        Matrix savedTexture;
        savedTexture.copyMatrix(textureMatrix);

        drawObjects();

        EXPECT_EQ(stackDepth(), depth) << "shadow pass " << pass;
        const Matrix after = currentModelview();
        EXPECT_EQ(std::memcmp(after.data(), top.data(), sizeof top), 0) << "shadow pass " << pass;
        EXPECT_EQ(std::memcmp(textureMatrix.data(), savedTexture.data(), sizeof top), 0)
            << "shadow pass " << pass;
        expectShadersOff();
        expectDiffuse(0, 0, 1, 1);  // the blue cube's, last drawn
    }
    shadowPass = false;
}

TEST_F(SceneTest, InTheShadowPassEachSolidStandsOnTheLightsView) {
    setLightView();
    const Matrix lightView = currentModelview();
    shadowPass = true;
    for (int i = 0; i < SOLID_COUNT; ++i) {
        glPushMatrix();
        drawSolid(i);
        Matrix expected;
        lightView.multiplyMatrix(translationBy(SOLID_CENTRES[i]), expected);
        expectMatrixNear(currentModelview(), expected, 1e-5f);
        expectShadersOff();
        glPopMatrix();
    }
    shadowPass = false;
}

TEST_F(SceneTest, EachSolidIsShadedWithItsOwnMatricesLightVectorAndColour) {
    beginLitPass();
    const float expectedLight[SOLID_COUNT][3] = {
        {0, 8.944f, 3.354f}, {0, 9.741f, -2.156f}, {0, 9.933f, -5.790f}};
    const float expectedLength[SOLID_COUNT] = {9.552f, 9.976f, 11.498f};
    Matrix projection;
    glGetFloatv(GL_PROJECTION_MATRIX, projection.data());

    for (int i = 0; i < SOLID_COUNT; ++i) {
        glPushMatrix();
        drawSolid(i);
        glPopMatrix();

        float light[4];
        cgGLGetParameter4f(ShadowMapping::lightPositionParam, light);
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(light[k], expectedLight[i][k], 1e-3) << "solid " << i;
        }
        EXPECT_NEAR(std::sqrt(light[0] * light[0] + light[1] * light[1] + light[2] * light[2]),
                    expectedLength[i], 1e-3);

        float colour[4];
        cgGLGetParameter4f(ShadowMapping::diffuseColorParam, colour);
        EXPECT_EQ(colour[0], SOLID_COLOURS[i][0]);
        EXPECT_EQ(colour[1], SOLID_COLOURS[i][1]);
        EXPECT_EQ(colour[2], SOLID_COLOURS[i][2]);
        EXPECT_EQ(colour[3], 0.0f) << "solid " << i;

        // Its own origin lands where the world matrix puts its centre.
        Matrix solidTexture;
        cgGLGetMatrixParameterfc(ShadowMapping::textureMatrixParam, solidTexture.data());
        const float origin[4] = {0, 0, 0, 1};
        const float centre[4] = {SOLID_CENTRES[i][0], SOLID_CENTRES[i][1], SOLID_CENTRES[i][2], 1};
        float viaSolid[4], viaWorld[4];
        solidTexture.transformVector(origin, viaSolid);
        textureMatrix.transformVector(centre, viaWorld);
        for (int k = 0; k < 4; ++k) {
            EXPECT_NEAR(viaSolid[k], viaWorld[k], 1e-4) << "solid " << i;
        }

        // Placed as the viewer's look-at followed by the solid's translation.
        Matrix modelView, expected;
        viewerMatrix.multiplyMatrix(translationBy(SOLID_CENTRES[i]), modelView);
        projection.multiplyMatrix(modelView, expected);
        Matrix mvp;
        cgGLGetMatrixParameterfc(ShadowMapping::modelViewProjParam, mvp.data());
        expectMatrixNear(mvp, expected, 1e-4f);
    }
}

TEST_F(SceneTest, GroundDrawsNothingInTheShadowPass) {
    setLightView();
    setLightProjection();
    glClear(GL_DEPTH_BUFFER_BIT);
    const GLfloat red[4] = {1, 0, 0, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, red);
    shadowPass = true;
    drawGround();
    shadowPass = false;
    std::vector<GLfloat> depth(SHADOW_MAP_SIZE * SHADOW_MAP_SIZE);
    glReadPixels(0, 0, SHADOW_MAP_SIZE, SHADOW_MAP_SIZE, GL_DEPTH_COMPONENT, GL_FLOAT,
                 depth.data());
    int written = 0;
    for (GLfloat d : depth) {
        written += d != 1.0f;
    }
    EXPECT_EQ(written, 0);
    expectDiffuse(1, 1, 1, 1);
    expectShadersOff();
}

TEST_F(SceneTest, GroundIsShadedWithTheWorldMatrixAndLeavesShadersOff) {
    beginLitPass();
    drawGround();
    expectShadersOff();
    expectDiffuse(1, 1, 1, 1);
    float light[4];
    cgGLGetParameter4f(ShadowMapping::lightPositionParam, light);
    EXPECT_EQ(light[0], 0.0f);
    EXPECT_EQ(light[1], 10.0f);
    EXPECT_EQ(light[2], -1.0f);
    float colour[4];
    cgGLGetParameter4f(ShadowMapping::diffuseColorParam, colour);
    EXPECT_EQ(colour[0], 0.7f);
    EXPECT_EQ(colour[1], 0.43f);
    EXPECT_EQ(colour[2], 0.08f);
    EXPECT_EQ(colour[3], 1.0f);
    Matrix sent;
    cgGLGetMatrixParameterfc(ShadowMapping::textureMatrixParam, sent.data());
    EXPECT_EQ(std::memcmp(sent.data(), textureMatrix.data(), sizeof sent), 0);
}

TEST_F(SceneTest, LightIsFixedInTheWorldAndItsMarkerIsPlainWhite) {
    // Stand level with the light, a few units away, looking at it.
    cameraX = -5.0;
    cameraY = 10.0;
    cameraZ = -1.0;
    cameraAngle = 0.0;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setViewerCamera();
    const GLfloat dark[4] = {0.1f, 0.2f, 0.3f, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, dark);
    const Matrix before = currentModelview();
    drawLightSource();
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_EQ(std::memcmp(currentModelview().data(), before.data(), sizeof before), 0);

    GLfloat eyePosition[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, eyePosition);
    const float world[4] = {0, 10, -1, 1};
    float expected[4];
    viewerMatrix.transformVector(world, expected);
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(eyePosition[k], expected[k], 1e-5);
    }
    GLubyte pixel[4];
    glReadBuffer(GL_BACK);
    glReadPixels(glutGet(GLUT_WINDOW_WIDTH) / 2, glutGet(GLUT_WINDOW_HEIGHT) / 2, 1, 1, GL_RGBA,
                 GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 255);
    EXPECT_EQ(pixel[1], 255);
    EXPECT_EQ(pixel[2], 255);
}

TEST_F(SceneTest, ParticlesAreSmallInTheShadowPassAndLargeInTheLitPass) {
    for (bool pass : {true, false, true}) {
        shadowPass = pass;
        glPointSize(13.0f);
        const GLint depth = stackDepth();
        const Matrix before = currentModelview();
        drawParticles();
        GLfloat size = 0;
        glGetFloatv(GL_POINT_SIZE, &size);
        EXPECT_EQ(size, pass ? 2.0f : 6.0f);
        expectDiffuse(0.9f, 1.0f, 0.0f, 1.0f);
        EXPECT_EQ(stackDepth(), depth);
        EXPECT_EQ(std::memcmp(currentModelview().data(), before.data(), sizeof before), 0);
    }
    shadowPass = false;
}
