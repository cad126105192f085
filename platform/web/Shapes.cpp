// freeglut's solid cube and sphere, which Emscripten's GLUT lacks: the same geometry, normals
// and facing (counter-clockwise seen from outside), drawn in immediate mode.
#include <epoxy/gl.h>
#include <GL/freeglut.h>

#include <cmath>

namespace {

// Each face: its outward normal, then its corners counter-clockwise seen from outside, as signs
// of the half size.
const GLfloat CUBE_FACES[6][5][3] = {
    {{1, 0, 0}, {1, -1, 1}, {1, -1, -1}, {1, 1, -1}, {1, 1, 1}},
    {{0, 1, 0}, {1, 1, 1}, {1, 1, -1}, {-1, 1, -1}, {-1, 1, 1}},
    {{0, 0, 1}, {1, 1, 1}, {-1, 1, 1}, {-1, -1, 1}, {1, -1, 1}},
    {{-1, 0, 0}, {-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}, {-1, -1, -1}},
    {{0, -1, 0}, {-1, -1, 1}, {-1, -1, -1}, {1, -1, -1}, {1, -1, 1}},
    {{0, 0, -1}, {-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}, {1, -1, -1}},
};

// The point of the unit sphere at `stack` steps from +z and `slice` steps around the z axis;
// it is also the normal there.
void spherePoint(GLint stack, GLint stacks, GLint slice, GLint slices, GLfloat out[3]) {
    const double polar = M_PI * stack / stacks;
    const double around = 2.0 * M_PI * slice / slices;
    out[0] = static_cast<GLfloat>(std::sin(polar) * std::cos(around));
    out[1] = static_cast<GLfloat>(std::sin(polar) * std::sin(around));
    out[2] = static_cast<GLfloat>(std::cos(polar));
}

void sphereVertex(GLdouble radius, GLint stack, GLint stacks, GLint slice, GLint slices) {
    GLfloat n[3];
    spherePoint(stack, stacks, slice, slices, n);
    glNormal3f(n[0], n[1], n[2]);
    glVertex3f(static_cast<GLfloat>(radius * n[0]), static_cast<GLfloat>(radius * n[1]),
               static_cast<GLfloat>(radius * n[2]));
}

}  // namespace

extern "C" {

void glutSolidCube(GLdouble size) {
    const GLfloat half = static_cast<GLfloat>(size / 2.0);
    glBegin(GL_QUADS);
    for (const auto& face : CUBE_FACES) {
        glNormal3f(face[0][0], face[0][1], face[0][2]);
        for (int corner = 1; corner < 5; ++corner) {
            glVertex3f(half * face[corner][0], half * face[corner][1], half * face[corner][2]);
        }
    }
    glEnd();
}

// Stacks run from +z to -z and slices around the z axis; going down a stack, then along a slice
// turns counter-clockwise seen from outside.
void glutSolidSphere(GLdouble radius, GLint slices, GLint stacks) {
    if (slices < 1 || stacks < 1) {
        return;
    }
    glBegin(GL_TRIANGLES);
    for (GLint stack = 0; stack < stacks; ++stack) {
        for (GLint slice = 0; slice < slices; ++slice) {
            sphereVertex(radius, stack, stacks, slice, slices);
            sphereVertex(radius, stack + 1, stacks, slice, slices);
            sphereVertex(radius, stack + 1, stacks, slice + 1, slices);
            sphereVertex(radius, stack, stacks, slice, slices);
            sphereVertex(radius, stack + 1, stacks, slice + 1, slices);
            sphereVertex(radius, stack, stacks, slice + 1, slices);
        }
    }
    glEnd();
}

}  // extern "C"
