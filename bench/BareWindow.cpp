// The yardstick for start-up: a GLUT window of the program's size and display mode that clears
// and swaps once. Prints the time from process start to that first swap.
#include <epoxy/gl.h>
#include <GL/freeglut.h>

#include <chrono>
#include <cstdio>

namespace {
const auto processStart = std::chrono::steady_clock::now();
}

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitWindowSize(800, 600);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("bare window");
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
    glFinish();
    const std::chrono::duration<double, std::milli> took =
        std::chrono::steady_clock::now() - processStart;
    std::printf("start-up to first swapped frame %.0f ms\n", took.count());
    return 0;
}
