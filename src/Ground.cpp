#include <epoxy/gl.h>
#include <GL/freeglut.h>

#include "FrameDriver.h"
#include "Ground.h"
#include "ShadowMapping/ShadowMap.h"
#include "ShadowMapping/ShadowMapping.h"

namespace {

const GLfloat WHITE[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const float GROUND_COLOUR[4] = {0.7f, 0.43f, 0.08f, 1.0f};
const GLfloat GROUND_HALF = 8.0f;
const GLfloat BORDER_HALF = 8.5f;
const GLfloat BORDER_HEIGHT = 1.0f;
const GLdouble MARKER_RADIUS = 0.2;
const GLint MARKER_SLICES = 16;

// One strip, wound counter-clockwise seen from above, so its upper side is the front face.
void drawGroundSquare() {
    const GLfloat h = GROUND_HALF;
    glBegin(GL_TRIANGLE_STRIP);
    glTexCoord2f(0, 1);
    glNormal3f(0, 1, 0);
    glVertex3f(-h, 0, -h);
    glTexCoord2f(0, 0);
    glNormal3f(0, 1, 0);
    glVertex3f(-h, 0, h);
    glTexCoord2f(1, 1);
    glNormal3f(0, 1, 0);
    glVertex3f(h, 0, -h);
    glTexCoord2f(1, 0);
    glNormal3f(0, 1, 0);
    glVertex3f(h, 0, h);
    glEnd();
}

// Four walls facing the inside of the ring; they keep the ground's upward normal.
void drawBorder() {
    const GLfloat b = BORDER_HALF;
    const GLfloat corners[5][2] = {{b, b}, {b, -b}, {-b, -b}, {-b, b}, {b, b}};
    glBegin(GL_QUAD_STRIP);
    for (const auto& corner : corners) {
        glVertex3f(corner[0], 0, corner[1]);
        glVertex3f(corner[0], BORDER_HEIGHT, corner[1]);
    }
    glEnd();
}

}  // namespace

void drawGround() {
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, WHITE);
    if (shadowPass) {
        return;
    }
    glEnable(GL_TEXTURE_2D);
    ShadowMapping::enable();
    ShadowMapping::setParameters(lightPosition, GROUND_COLOUR[0], GROUND_COLOUR[1],
                                 GROUND_COLOUR[2], GROUND_COLOUR[3]);
    drawGroundSquare();
    ShadowMapping::disable();
    glDisable(GL_TEXTURE_2D);
    drawBorder();
}

void drawLightSource() {
    // GL keeps the position in eye coordinates: given after the viewer's look-at, it is fixed
    // in the world.
    glLightfv(GL_LIGHT0, GL_POSITION, LIGHT_POSITION);
    glDisable(GL_LIGHTING);
    glPushMatrix();
    glTranslated(LIGHT_POSITION[0], LIGHT_POSITION[1], LIGHT_POSITION[2]);
    glutSolidSphere(MARKER_RADIUS, MARKER_SLICES, MARKER_SLICES);
    glPopMatrix();
    glEnable(GL_LIGHTING);
}
