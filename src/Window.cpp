#include <epoxy/gl.h>
#include <GL/freeglut.h>
#include <GL/glu.h>

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
}  // namespace

bool windowShown = true;

void initGL() {
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
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(VIEWER_FIELD_OF_VIEW, viewerAspect(width, height), VIEWER_NEAR, VIEWER_FAR);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void windowStatus(int state) {
    windowShown = state != GLUT_HIDDEN && state != GLUT_FULLY_COVERED;
}
