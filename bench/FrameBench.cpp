// Frame cost on this machine's renderer: the whole frame, each pass, the floor of an empty
// frame, the real paced period, and start-up. Run from a folder that is a sibling of src/.
#include <epoxy/gl.h>
#include <GL/freeglut.h>

#include <algorithm>
#include <cstdlib>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "FrameDriver.h"
#include "Particles.h"
#include "PlatformStart.h"
#include "Window.h"

namespace {

using Clock = std::chrono::steady_clock;
const Clock::time_point processStart = Clock::now();

double millisSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double percentile(std::vector<double> samples, double p) {
    std::sort(samples.begin(), samples.end());
    const size_t index = std::min(samples.size() - 1, static_cast<size_t>(p * samples.size()));
    return samples[index];
}

// glFinish makes the software renderer's worker threads finish before the clock is read.
void wholeFrame() {
    updateParticles(0.05);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawShadowPass();
    drawLitPass();
    glutSwapBuffers();
    glFinish();
}

void shadowPassOnly() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawShadowPass();
    glFinish();
}

void litPassOnly() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawLitPass();
    glFinish();
}

void emptyFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
    glFinish();
}

struct Series {
    const char* name;
    void (*run)();
    std::vector<double> samples;
};

void report(const char* name, const std::vector<double>& samples) {
    std::printf("%-28s median %7.2f ms   p90 %7.2f ms   (%zu frames)\n", name,
                percentile(samples, 0.5), percentile(samples, 0.9), samples.size());
}

}  // namespace

int main(int argc, char** argv) {
    startPlatform(argc, argv);
    glutInit(&argc, argv);
    glutInitWindowSize(WINDOW_WIDTH, WINDOW_HEIGHT);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("Navigation Example");
    // The frames here are drawn by hand; the toolkit's own redisplays draw nothing.
    glutDisplayFunc([] {});
    initGL();
    reshape(WINDOW_WIDTH, WINDOW_HEIGHT);
    wholeFrame();
    const double startup = millisSince(processStart);

    const int frames = argc > 1 ? std::max(10, std::atoi(argv[1])) : 300;
    for (int i = 0; i < 20; ++i) {
        wholeFrame();
    }
    Series series[] = {{"whole frame (unpaced)", wholeFrame, {}},
                       {"shadow pass", shadowPassOnly, {}},
                       {"lit pass", litPassOnly, {}},
                       {"floor (clear + swap)", emptyFrame, {}}};
    // Round robin, so that a slow spell of the shared machine hits every series alike.
    for (int i = 0; i < frames; ++i) {
        for (Series& s : series) {
            const Clock::time_point start = Clock::now();
            s.run();
            s.samples.push_back(millisSince(start));
        }
    }

    std::vector<double> periods;
    Clock::time_point previous = Clock::now();
    for (int i = 0; i <= 200; ++i) {
        glutMainLoopEvent();
        const Clock::time_point start = Clock::now();
        display();
        if (i > 0) {
            periods.push_back(std::chrono::duration<double, std::milli>(start - previous).count());
        }
        previous = start;
    }

    std::printf("Frame cost at %dx%d, from the start position\n", WINDOW_WIDTH, WINDOW_HEIGHT);
    for (const Series& s : series) {
        report(s.name, s.samples);
    }
    const double whole = percentile(series[0].samples, 0.5);
    std::printf("ratio whole/floor %.2f   whole/lit %.2f\n",
                whole / percentile(series[3].samples, 0.5),
                whole / percentile(series[2].samples, 0.5));
    std::printf("paced period (200 frames)     median %7.2f ms   p99 %7.2f ms\n",
                percentile(periods, 0.5), percentile(periods, 0.99));
    std::printf("start-up to first swapped frame %.0f ms\n", startup);
    return 0;
}
