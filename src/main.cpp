#include <epoxy/gl.h>
#include <GL/freeglut.h>

#include "FrameDriver.h"
#include "Navigation.h"
#include "Window.h"
#include "WindowWatch.h"

#include <csignal>

int main(int argc, char** argv) {
#ifdef SIGPIPE
    // A reader that has gone (`shadow-demo | true`) loses the messages, not the exit status.
    std::signal(SIGPIPE, SIG_IGN);
#endif
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
