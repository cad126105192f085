// GLU calls the emulation gets wrong or lacks. Its gluLookAt passes the current matrix where
// its matrix library expects the eye, and nothing is drawn after it.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

namespace {

void normalize(GLdouble v[3]) {
    const GLdouble length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 0.0) {
        v[0] /= length;
        v[1] /= length;
        v[2] /= length;
    }
}

void cross(const GLdouble a[3], const GLdouble b[3], GLdouble out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

}  // namespace

extern "C" {

// As GLU defines it: the rows of the rotation are side, up and backward, then the eye moves to
// the origin.
void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centreX, GLdouble centreY,
               GLdouble centreZ, GLdouble upX, GLdouble upY, GLdouble upZ) {
    GLdouble forward[3] = {centreX - eyeX, centreY - eyeY, centreZ - eyeZ};
    const GLdouble up[3] = {upX, upY, upZ};
    normalize(forward);
    GLdouble side[3];
    cross(forward, up, side);
    normalize(side);
    GLdouble trueUp[3];
    cross(side, forward, trueUp);
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
