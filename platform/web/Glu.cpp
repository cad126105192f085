// GLU calls the emulation gets wrong or lacks. Its gluLookAt passes the current matrix where
// its matrix library expects the eye, and nothing is drawn after it.
#include <GL/gl.h>
#include <GL/glu.h>

#include "Vector.h"

extern "C" {

// As GLU defines it: the rows of the rotation are side, up and backward, then the eye moves to
// the origin.
void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centreX, GLdouble centreY,
               GLdouble centreZ, GLdouble upX, GLdouble upY, GLdouble upZ) {
    GLdouble forward[3] = {centreX - eyeX, centreY - eyeY, centreZ - eyeZ};
    const GLdouble up[3] = {upX, upY, upZ};
    normalize3(forward);
    GLdouble side[3];
    cross3(forward, up, side);
    normalize3(side);
    GLdouble trueUp[3];
    cross3(side, forward, trueUp);
    const GLdouble m[16] = {side[0],     trueUp[0], -forward[0], 0.0,       side[1],     trueUp[1],
                            -forward[1], 0.0,       side[2],     trueUp[2], -forward[2], 0.0,
                            0.0,         0.0,       0.0,         1.0};
    glMultMatrixd(m);
    glTranslated(-eyeX, -eyeY, -eyeZ);
}

const GLubyte* gluErrorString(GLenum error) {
    const char* text = "unknown error";
    switch (error) {
        case GL_NO_ERROR:
            text = "no error";
            break;
        case GL_INVALID_ENUM:
            text = "invalid enumerant";
            break;
        case GL_INVALID_VALUE:
            text = "invalid value";
            break;
        case GL_INVALID_OPERATION:
            text = "invalid operation";
            break;
        case GL_OUT_OF_MEMORY:
            text = "out of memory";
            break;
        case GL_INVALID_FRAMEBUFFER_OPERATION:
            text = "invalid framebuffer operation";
            break;
    }
    return reinterpret_cast<const GLubyte*>(text);
}

}  // extern "C"
