#include <epoxy/gl.h>
#include <GL/freeglut.h>

#include "FrameDriver.h"
#include "Navigation.h"
#include "PlatformStart.h"
#include "Window.h"
#include "WindowWatch.h"

int main(int argc, char** argv) {
    startPlatform(argc, argv);
    // The toolkit takes out its own options; the program has none.
    glutInit(&argc, argv);
    glutInitWindowSize(WINDOW_WIDTH, WINDOW_HEIGHT);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("Navigation Example");
    initGL();
    glutDisplayFunc(display);
    glutIdleFunc(idle);
    glutKeyboardFunc(keyboard);
    glutSpecialFunc(specialKeyDown);
    glutSpecialUpFunc(specialKeyUp);
    glutReshapeFunc(reshape);
    glutWindowStatusFunc(windowStatus);
    watchWindow();
    glutMainLoop();
    return 0;
}
