#include <epoxy/gl.h>
#include <GL/freeglut.h>
#include <GL/glu.h>

#include <algorithm>
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

KeyHold turnLeftHold;
KeyHold turnRightHold;
KeyHold forwardHold;
KeyHold backwardHold;
KeyHold riseHold;
KeyHold sinkHold;

namespace {
struct MovementKey {
    bool* held;
    KeyHold* hold;
};

// The flag and hold a special key drives; both null for keys that do nothing.
MovementKey movementKey(int key) {
    switch (key) {
        case GLUT_KEY_LEFT:
            return {&keyTurnLeft, &turnLeftHold};
        case GLUT_KEY_RIGHT:
            return {&keyTurnRight, &turnRightHold};
        case GLUT_KEY_UP:
            return {&keyForward, &forwardHold};
        case GLUT_KEY_DOWN:
            return {&keyBackward, &backwardHold};
        case GLUT_KEY_PAGE_UP:
            return {&keyRise, &riseHold};
        case GLUT_KEY_PAGE_DOWN:
            return {&keySink, &sinkHold};
        default:
            return {nullptr, nullptr};
    }
}

const int MOVEMENT_KEYS[] = {GLUT_KEY_LEFT, GLUT_KEY_RIGHT,   GLUT_KEY_UP,
                             GLUT_KEY_DOWN, GLUT_KEY_PAGE_UP, GLUT_KEY_PAGE_DOWN};

// Seconds of the frame from `frameStart` to `frameEnd` that a key was held; starts its count for
// the next frame. A key held throughout gets the frame's `seconds` as they are, so that steady
// walking moves exactly as far as the frames last.
double takeHeldSeconds(bool held, KeyHold& hold, std::int64_t frameStart, std::int64_t frameEnd,
                       double seconds) {
    const std::int64_t ended = hold.endedMillis;
    hold.endedMillis = 0;
    if (held && ended == 0 && hold.since <= frameStart) {
        return seconds;
    }
    std::int64_t millis = ended;
    if (held) {
        millis += std::max<std::int64_t>(0, frameEnd - std::max(hold.since, frameStart));
    }
    return static_cast<double>(millis) / 1000.0;
}
}  // namespace

void keyboard(unsigned char key, int, int) {
    if (key == ESCAPE_KEY) {
        std::exit(0);
    }
}

void pressKeyAt(int key, std::int64_t millis) {
    const MovementKey movement = movementKey(key);
    if (movement.held == nullptr || *movement.held) {
        return;
    }
    *movement.held = true;
    movement.hold->since = millis;
}

void releaseKeyAt(int key, std::int64_t millis) {
    const MovementKey movement = movementKey(key);
    if (movement.held == nullptr || !*movement.held) {
        return;
    }
    *movement.held = false;
    // Only the time since the current frame began is still to be walked: lastFrameClock is that
    // frame's start, or the moment a hidden window last put the count of time forward.
    const std::int64_t from = std::max(movement.hold->since, lastFrameClock);
    movement.hold->endedMillis += std::max<std::int64_t>(0, millis - from);
}

void specialKeyDown(int key, int, int) {
    pressKeyAt(key, keyEventClock(key, true));
}

void specialKeyUp(int key, int, int) {
    releaseKeyAt(key, keyEventClock(key, false));
}

void releaseKeysAt(std::int64_t millis) {
    for (int key : MOVEMENT_KEYS) {
        releaseKeyAt(key, millis);
    }
}

void releaseKeys() {
    releaseKeysAt(clockMillis());
}

void moveViewer(double seconds) {
    const std::int64_t frameEnd = lastFrameClock;
    const std::int64_t frameStart = frameEnd - std::llround(seconds * 1000.0);
    auto heldFor = [&](bool held, KeyHold& hold) {
        return takeHeldSeconds(held, hold, frameStart, frameEnd, seconds);
    };
    const double left = heldFor(keyTurnLeft, turnLeftHold);
    const double right = heldFor(keyTurnRight, turnRightHold);
    const double forward = heldFor(keyForward, forwardHold);
    const double backward = heldFor(keyBackward, backwardHold);
    const double rise = heldFor(keyRise, riseHold);
    const double sink = heldFor(keySink, sinkHold);
    // Keys that were not held leave the camera untouched, not even by adding a zero.
    if (left > 0.0) {
        cameraAngle -= TURN_RATE * left;
    }
    if (right > 0.0) {
        cameraAngle += TURN_RATE * right;
    }
    if (forward > 0.0) {
        cameraX += MOVE_SPEED * std::cos(cameraAngle) * forward;
        cameraZ += MOVE_SPEED * std::sin(cameraAngle) * forward;
    }
    if (backward > 0.0) {
        cameraX -= MOVE_SPEED * std::cos(cameraAngle) * backward;
        cameraZ -= MOVE_SPEED * std::sin(cameraAngle) * backward;
    }
    if (rise > 0.0) {
        cameraY += MOVE_SPEED * rise;
    }
    if (sink > 0.0) {
        cameraY -= MOVE_SPEED * sink;
    }
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
    shrinkOversizedWindow();
    if (!windowShown || !windowFits) {
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
