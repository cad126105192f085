#include <epoxy/gl.h>
#include <GL/freeglut.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdio>

#include "Ground.h"
#include "Objects.h"
#include "Particles.h"
#include "ShadowMapping/ShadowMap.h"
#include "ShadowMapping/ShadowMapping.h"
#include "Window.h"

GLuint shadowTexture = 0;
GLuint shadowFramebuffer = 0;
ShadowMapping* shadowMapping = nullptr;
Matrix biasMatrix{};
Matrix textureMatrix{};
float lightPosition[4];

namespace {

const GLdouble LIGHT_CENTRE[3] = {0.0, -1.0, 0.0};
const GLdouble LIGHT_UP[3] = {0.0, 0.0, 1.0};
const GLdouble LIGHT_FIELD_OF_VIEW = 90.0;
const GLdouble LIGHT_NEAR = 0.1;
const GLdouble LIGHT_FAR = 20.0;
// Pushes the stored depths away from the surfaces that wrote them, against self-shadowing.
const GLfloat OFFSET_FACTOR = 1.1f;
const GLfloat OFFSET_UNITS = 4.0f;

void createShadowTexture() {
    glBindTexture(GL_TEXTURE_2D, shadowTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, SHADOW_MAP_SIZE, SHADOW_MAP_SIZE, 0,
                 GL_DEPTH_COMPONENT, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    // Outside the map the border's depth 0 is read.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_BORDER);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_BORDER);
}

// Drawing the light's view straight into the texture costs less than copying it out of the
// window, and stays whole when the window is smaller than the map (a copy would read outside it).
void createShadowFramebuffer() {
    if (epoxy_gl_version() < 30 && !epoxy_has_gl_extension("GL_ARB_framebuffer_object")) {
        return;
    }
    glGenFramebuffers(1, &shadowFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, shadowFramebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, shadowTexture, 0);
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        glDeleteFramebuffers(1, &shadowFramebuffer);
        shadowFramebuffer = 0;
    }
}

void fillBiasMatrix() {
    for (int i = 0; i < 16; ++i) {
        biasMatrix[i] = 0.0f;
    }
    biasMatrix[0] = biasMatrix[5] = biasMatrix[10] = 0.5f;
    biasMatrix[12] = biasMatrix[13] = biasMatrix[14] = 0.5f;
    biasMatrix[15] = 1.0f;
}

// The state of the depth-only pass: back faces seen from the light, offset, no colour.
void beginDepthOnlyState() {
    glCullFace(GL_FRONT);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(OFFSET_FACTOR, OFFSET_UNITS);
    glDisable(GL_LIGHTING);
    glShadeModel(GL_FLAT);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
}

void endDepthOnlyState() {
    glEnable(GL_LIGHTING);
    glCullFace(GL_BACK);
    glShadeModel(GL_SMOOTH);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDisable(GL_POLYGON_OFFSET_FILL);
}

// The window's depth was cleared when the frame began; the texture's is cleared here.
void beginShadowTarget() {
    if (shadowFramebuffer != 0) {
        glBindFramebuffer(GL_FRAMEBUFFER, shadowFramebuffer);
        glClear(GL_DEPTH_BUFFER_BIT);
    }
}

// Leaves the texture holding the light's depth, and the window's depth buffer clear for the lit
// pass.
void endShadowTarget() {
    glBindTexture(GL_TEXTURE_2D, shadowTexture);
    if (shadowFramebuffer != 0) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        return;
    }
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, SHADOW_MAP_SIZE, SHADOW_MAP_SIZE);
    glClear(GL_DEPTH_BUFFER_BIT);
}

// The frame's one check for GL errors, wherever they arose since the last one.
void reportGLError() {
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR) {
        std::printf("GL Error: %s", reinterpret_cast<const char*>(gluErrorString(error)));
    }
}

// textureMatrix = bias * light projection * light view, from the matrices GL holds now.
void buildTextureMatrix() {
    Matrix glMatrix;
    Matrix product;
    glGetFloatv(GL_PROJECTION_MATRIX, glMatrix.data());
    biasMatrix.multiplyMatrix(glMatrix, product);
    textureMatrix.copyMatrix(product);
    glGetFloatv(GL_MODELVIEW_MATRIX, glMatrix.data());
    textureMatrix.multiplyMatrix(glMatrix, product);
    textureMatrix.copyMatrix(product);
}

}  // namespace

void initShadowMap() {
    glGenTextures(1, &shadowTexture);
    shadowMapping = new ShadowMapping(&shadowTexture, textureMatrix.data());
    createShadowTexture();
    createShadowFramebuffer();
    fillBiasMatrix();
    textureMatrix.copyMatrix(identityMatrix());
    std::copy(LIGHT_POSITION, LIGHT_POSITION + 4, lightPosition);
}

void setLightView() {
    glLoadIdentity();
    gluLookAt(LIGHT_POSITION[0], LIGHT_POSITION[1], LIGHT_POSITION[2], LIGHT_CENTRE[0],
              LIGHT_CENTRE[1], LIGHT_CENTRE[2], LIGHT_UP[0], LIGHT_UP[1], LIGHT_UP[2]);
}

void setLightProjection() {
    glViewport(0, 0, SHADOW_MAP_SIZE, SHADOW_MAP_SIZE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(LIGHT_FIELD_OF_VIEW, 1.0, LIGHT_NEAR, LIGHT_FAR);
    glMatrixMode(GL_MODELVIEW);
}

void renderShadowMap() {
    setLightProjection();
    beginDepthOnlyState();
    beginShadowTarget();
    drawObjects();
    drawParticles();
    drawGround();
    endShadowTarget();
    reportGLError();
    endDepthOnlyState();
    buildTextureMatrix();
    reshape(glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));
}
