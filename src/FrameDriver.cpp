#include <epoxy/gl.h>
#include <GL/freeglut.h>

#include "Clock.h"
#include "FrameDriver.h"
#include "Ground.h"
#include "Navigation.h"
#include "Objects.h"
#include "Particles.h"
#include "ShadowMapping/ShadowMap.h"
#include "Window.h"

std::int64_t lastFrameClock = 0;
double frameSeconds = 0.0;
bool shadowPass = false;

double startFrame(std::int64_t now) {
    const std::int64_t elapsed = now - lastFrameClock;
    lastFrameClock = now;
    return static_cast<double>(elapsed) / 1000.0;
}

std::int64_t framePause(std::int64_t frameStart, std::int64_t afterSwap,
                        std::int64_t (*readClock)()) {
    if (afterSwap - frameStart >= FRAME_MILLIS) {
        return 0;
    }
    const std::int64_t pause = FRAME_MILLIS - (readClock() - frameStart);
    return pause > 0 ? pause : 0;
}

void drawShadowPass() {
    setLightView();
    shadowPass = true;
    renderShadowMap();
    shadowPass = false;
}

void drawLitPass() {
    setViewerCamera();
    drawLightSource();
    drawObjects();
    drawParticles();
    drawGround();
}

void display() {
    // The window system may ask for a frame (an expose) before the window has shrunk.
    if (!windowFits) {
        return;
    }
    frameSeconds = startFrame(clockMillis());
    // Here rather than in idle, which freeglut may call many times between two frames.
    moveViewer(frameSeconds);
    updateParticles(frameSeconds);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawShadowPass();
    drawLitPass();
    glutSwapBuffers();
    sleepMillis(framePause(lastFrameClock, clockMillis(), clockMillis));
}
