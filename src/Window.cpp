#include <epoxy/gl.h>
#include <GL/freeglut.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdio>
#include <limits>

#include "Particles.h"
#include "ShadowMapping/ShadowMap.h"
#include "Window.h"

namespace {
const GLfloat CLEAR_COLOUR[4] = {0.8f, 0.8f, 1.0f, 1.0f};
// Used twice: for light 0 and for the material.
const GLfloat AMBIENT[4] = {0.3f, 0.3f, 0.3f, 1.0f};
const GLfloat LIGHT_DIFFUSE[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLfloat MATERIAL_SPECULAR[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLfloat MATERIAL_SHININESS = 40.0f;
const GLfloat START_POINT_SIZE = 6.0f;

// What the driver says it can draw, read once by initGL: the largest viewport, and the largest
// window it can hold (its largest renderbuffer; the viewport's where it has none). No limit
// before.
GLint maxViewport[2] = {std::numeric_limits<GLint>::max(), std::numeric_limits<GLint>::max()};
GLint maxWindowSide = std::numeric_limits<GLint>::max();
// The window found too large by reshape, until shrinkOversizedWindow has asked it to shrink.
bool shrinkPending = false;
int oversizedWidth = 0;
int oversizedHeight = 0;

void readDrawingLimits() {
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, maxViewport);
    maxWindowSide = std::min(maxViewport[0], maxViewport[1]);
    if (epoxy_gl_version() >= 30 || epoxy_has_gl_extension("GL_ARB_framebuffer_object")) {
        glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxWindowSide);
    }
}

}  // namespace

bool windowShown = true;
bool windowFits = true;

void initGL() {
    readDrawingLimits();
    glClearColor(CLEAR_COLOUR[0], CLEAR_COLOUR[1], CLEAR_COLOUR[2], CLEAR_COLOUR[3]);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glPointSize(START_POINT_SIZE);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_LIGHTING);
    glLightfv(GL_LIGHT0, GL_AMBIENT, AMBIENT);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, LIGHT_DIFFUSE);
    initShadowMap();
    initParticles();
    glClearDepth(1.0);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_NORMALIZE);
    glEnable(GL_LIGHT0);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, MATERIAL_SPECULAR);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, MATERIAL_SHININESS);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, AMBIENT);
}

double viewerAspect(int width, int height) {
    return static_cast<double>(width) / static_cast<double>(height > 0 ? height : 1);
}

void reshape(int width, int height) {
    windowFits = width <= maxWindowSide && height <= maxWindowSide;
    if (!windowFits) {
        shrinkPending = true;
        oversizedWidth = width;
        oversizedHeight = height;
    }
    // Past the largest viewport the scene is drawn at that size in the window's top-left corner,
    // the part a screen smaller than the window shows; the frame's clear covers the rest.
    const int drawnWidth = std::min(width, static_cast<int>(maxViewport[0]));
    const int drawnHeight = std::min(height, static_cast<int>(maxViewport[1]));
    glViewport(0, height - drawnHeight, drawnWidth, drawnHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(VIEWER_FIELD_OF_VIEW, viewerAspect(drawnWidth, drawnHeight), VIEWER_NEAR,
                   VIEWER_FAR);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// Mesa's software renderer, which says 16384, crashed in its own buffers at 32767x32767. The size
// is read again: the toolkit reads width and height from the X server one at a time, so a resize
// between the two reads gives one old side.
void shrinkOversizedWindow() {
    if (windowFits || !shrinkPending) {
        return;
    }
    shrinkPending = false;
    const int width = std::max(oversizedWidth, glutGet(GLUT_WINDOW_WIDTH));
    const int height = std::max(oversizedHeight, glutGet(GLUT_WINDOW_HEIGHT));
    const int fitWidth = std::min(width, static_cast<int>(maxWindowSide));
    const int fitHeight = std::min(height, static_cast<int>(maxWindowSide));
    std::fprintf(stderr,
                 "Navigation Example: a %dx%d window is larger than the driver can draw; "
                 "it is made %dx%d\n",
                 width, height, fitWidth, fitHeight);
    glutReshapeWindow(fitWidth, fitHeight);
}

void windowStatus(int state) {
    windowShown = state != GLUT_HIDDEN && state != GLUT_FULLY_COVERED;
}
