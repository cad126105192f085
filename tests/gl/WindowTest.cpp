#include <epoxy/gl.h>
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "Window.h"

namespace {

void expectVector(GLenum pname, std::initializer_list<float> expected, GLenum light = 0) {
    GLfloat v[4] = {-1, -1, -1, -1};
    if (light != 0) {
        glGetLightfv(light, pname, v);
    } else {
        glGetFloatv(pname, v);
    }
    int i = 0;
    for (float e : expected) {
        EXPECT_FLOAT_EQ(v[i], e) << "pname 0x" << std::hex << pname << " element " << i;
        ++i;
    }
}

void expectMaterial(GLenum face, GLenum pname, std::initializer_list<float> expected) {
    GLfloat v[4] = {-1, -1, -1, -1};
    glGetMaterialfv(face, pname, v);
    int i = 0;
    for (float e : expected) {
        EXPECT_FLOAT_EQ(v[i], e) << "material 0x" << std::hex << pname << " face " << face;
        ++i;
    }
}

GLint integer(GLenum pname) {
    GLint v = -1;
    glGetIntegerv(pname, &v);
    return v;
}

void projectionMatrix(GLfloat* m) {
    glGetFloatv(GL_PROJECTION_MATRIX, m);
}

void expectIdentityModelview() {
    EXPECT_EQ(integer(GL_MATRIX_MODE), GL_MODELVIEW);
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(m[i], (i % 5 == 0) ? 1.0f : 0.0f) << i;
    }
}

}  // namespace

TEST(RenderState, InitGLLeavesTheRestingState) {
    glMatrixMode(GL_PROJECTION);  // initGL must select the modelview itself
    initGL();
    expectVector(GL_COLOR_CLEAR_VALUE, {0.8f, 0.8f, 1.0f, 1.0f});
    expectVector(GL_DEPTH_CLEAR_VALUE, {1.0f});
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(integer(GL_DEPTH_FUNC), GL_LEQUAL);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(integer(GL_CULL_FACE_MODE), GL_BACK);
    EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
    EXPECT_EQ(integer(GL_SHADE_MODEL), GL_SMOOTH);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    expectVector(GL_AMBIENT, {0.3f, 0.3f, 0.3f, 1.0f}, GL_LIGHT0);
    expectVector(GL_DIFFUSE, {1.0f, 1.0f, 1.0f, 1.0f}, GL_LIGHT0);
    expectVector(GL_SPECULAR, {1.0f, 1.0f, 1.0f, 1.0f}, GL_LIGHT0);
    for (GLenum face : {GL_FRONT, GL_BACK}) {
        expectMaterial(face, GL_SPECULAR, {1.0f, 1.0f, 1.0f, 1.0f});
        expectMaterial(face, GL_AMBIENT, {0.3f, 0.3f, 0.3f, 1.0f});
        GLfloat shininess = 0;
        glGetMaterialfv(face, GL_SHININESS, &shininess);
        EXPECT_FLOAT_EQ(shininess, 40.0f);
    }
    expectVector(GL_POINT_SIZE, {6.0f});
    EXPECT_EQ(integer(GL_PERSPECTIVE_CORRECTION_HINT), GL_NICEST);
    expectIdentityModelview();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(Reshape, ViewportAndAspectFollowTheWindow) {
    struct Case {
        int width, height;
        double aspect;
    };
    for (const Case& c : {Case{800, 600, 4.0 / 3.0}, Case{400, 600, 400.0 / 600.0},
                          Case{1024, 768, 4.0 / 3.0}, Case{1, 1, 1.0}}) {
        reshape(c.width, c.height);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[0], 0);
        EXPECT_EQ(viewport[1], 0);
        EXPECT_EQ(viewport[2], c.width);
        EXPECT_EQ(viewport[3], c.height);
        GLfloat p[16];
        projectionMatrix(p);
        // gluPerspective: p[5] = cot(fovy/2), p[0] = p[5] / aspect.
        const double f = 1.0 / std::tan(30.0 * M_PI / 180.0);
        EXPECT_NEAR(p[5], f, 1e-5);
        EXPECT_NEAR(p[5] / p[0], c.aspect, 1e-4) << c.width << "x" << c.height;
        // Near 1 and far 50.
        EXPECT_NEAR(p[10], -(50.0 + 1.0) / (50.0 - 1.0), 1e-5);
        EXPECT_NEAR(p[14], -2.0 * 50.0 * 1.0 / (50.0 - 1.0), 1e-5);
        expectIdentityModelview();
    }
}

TEST(Reshape, ZeroHeightKeepsTheProjectionFinite) {
    reshape(800, 0);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 0);
    GLfloat p[16];
    projectionMatrix(p);
    for (int i = 0; i < 16; ++i) {
        EXPECT_TRUE(std::isfinite(p[i])) << i;
    }
    EXPECT_NEAR(p[5] / p[0], 800.0, 0.01);
    EXPECT_DOUBLE_EQ(viewerAspect(0, 0), 0.0);
}

// Past the largest window the driver can hold (Mesa's software renderer crashed in its own
// buffers) the window is marked as not to be drawn into; the viewport never exceeds the largest
// the driver takes, and lies in the window's top-left corner.
TEST(Reshape, AWindowPastWhatTheDriverCanDrawIsNotDrawnInto) {
    initGL();
    const GLint limit = integer(GL_MAX_RENDERBUFFER_SIZE);
    const GLint drawn = std::min(limit, integer(GL_MAX_VIEWPORT_DIMS));
    ASSERT_GT(drawn, 800);
    struct Case {
        int width, height;
        bool fits;
    };
    for (const Case& c :
         {Case{limit, 600, true}, Case{limit + 1, 600, false}, Case{800, limit + 1, false},
          Case{32767, 32767, false}, Case{800, 600, true}}) {
        reshape(c.width, c.height);
        EXPECT_EQ(windowFits, c.fits) << c.width << "x" << c.height;
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], std::min(c.width, drawn)) << c.width << "x" << c.height;
        EXPECT_EQ(viewport[3], std::min(c.height, drawn)) << c.width << "x" << c.height;
        EXPECT_EQ(viewport[1], c.height - viewport[3]) << "not at the top";
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(Reshape, LeavesAnIdentityModelviewWhateverWasCurrent) {
    for (GLenum mode : {GL_PROJECTION, GL_TEXTURE, GL_MODELVIEW}) {
        glMatrixMode(GL_MODELVIEW);
        glTranslatef(1, 2, 3);
        glMatrixMode(mode);
        reshape(640, 480);
        expectIdentityModelview();
    }
}
