#include <epoxy/gl.h>
#include <GL/freeglut.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "Clock.h"
#include "FrameDriver.h"
#include "Navigation.h"
#include "Window.h"
#include "WindowWatch.h"

double cameraX = -3.6;
double cameraY = 2.0;
double cameraZ = 0.0;
double cameraAngle = 0.0;

bool keyTurnLeft = false;
bool keyTurnRight = false;
bool keyForward = false;
bool keyBackward = false;
bool keyRise = false;
bool keySink = false;

Matrix viewerMatrix{};

namespace {
// The flag a special key holds, or null for keys that do nothing.
bool* flagForKey(int key) {
    switch (key) {
        case GLUT_KEY_LEFT:
            return &keyTurnLeft;
        case GLUT_KEY_RIGHT:
            return &keyTurnRight;
        case GLUT_KEY_UP:
            return &keyForward;
        case GLUT_KEY_DOWN:
            return &keyBackward;
        case GLUT_KEY_PAGE_UP:
            return &keyRise;
        case GLUT_KEY_PAGE_DOWN:
            return &keySink;
        default:
            return nullptr;
    }
}
}  // namespace

void keyboard(unsigned char key, int, int) {
    if (key == ESCAPE_KEY) {
        std::exit(0);
    }
}

void specialKeyDown(int key, int, int) {
    if (bool* flag = flagForKey(key)) {
        *flag = true;
    }
}

void specialKeyUp(int key, int, int) {
    if (bool* flag = flagForKey(key)) {
        *flag = false;
    }
}

void moveViewer(double seconds) {
    if (keyTurnLeft) {
        cameraAngle -= TURN_RATE * seconds;
    }
    if (keyTurnRight) {
        cameraAngle += TURN_RATE * seconds;
    }
    if (keyForward) {
        cameraX += MOVE_SPEED * std::cos(cameraAngle) * seconds;
        cameraZ += MOVE_SPEED * std::sin(cameraAngle) * seconds;
    }
    if (keyBackward) {
        cameraX -= MOVE_SPEED * std::cos(cameraAngle) * seconds;
        cameraZ -= MOVE_SPEED * std::sin(cameraAngle) * seconds;
    }
    if (keyRise) {
        cameraY += MOVE_SPEED * seconds;
    }
    if (keySink) {
        cameraY -= MOVE_SPEED * seconds;
    }
}

void releaseKeys() {
    keyTurnLeft = keyTurnRight = keyForward = keyBackward = keyRise = keySink = false;
}

void idle() {
    const WindowNews news = takeWindowNews();
    if (news.destroyed) {
        // Closing through the window manager is the user's own quit and ends with 0 (freeglut's
        // default). A window destroyed by another client was taken away from the program, as when
        // its X server goes (Xlib's exit status 1): status 1 tells a script that the run did not
        // end on its own terms. Not exit(): freeglut's exit handler would destroy the window again,
        // and Xlib would end the program with its error report instead.
        std::fputs("Navigation Example: the window was destroyed\n", stderr);
        std::_Exit(DESTROYED_WINDOW_STATUS);
    }
    if (news.focusLost) {
        releaseKeys();
    }
    if (!windowShown) {
        waitForWindowNews(FRAME_MILLIS);
        // Nothing is drawn meanwhile, so nothing moves: the next frame counts from here.
        lastFrameClock = clockMillis();
        return;
    }
    glutPostRedisplay();
}

void setViewerCamera() {
    glLoadIdentity();
    gluLookAt(cameraX, cameraY, cameraZ, cameraX + std::cos(cameraAngle), cameraY,
              cameraZ + std::sin(cameraAngle), 0.0, 1.0, 0.0);
    glGetFloatv(GL_MODELVIEW_MATRIX, viewerMatrix.data());
}
