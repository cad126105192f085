// Immediate mode and its lighting as GL has them, on top of the emulation's. The emulation writes
// each glNormal3f or glTexCoord2f into the vertex stream as it comes and keeps no current value,
// so a normal given once for many vertices, or before glBegin, breaks the stream; it has no quad
// strips; and its lighting takes every light for a directional one and turns the grey border
// white. Here every vertex carries the current normal and texture coordinate, a quad strip is
// drawn as the triangle strip of the same vertices (the same faces, wound the same way), and
// where lighting is on, each vertex gets the colour GL's lighting gives it (one light, the
// viewer at infinity, as this program uses it) while the emulation's own lighting stays off.
// While a program is bound, it does the lighting, as in GL: no colour goes into the stream then,
// as the program has no colour attribute to take it.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <utility>

#include "Vector.h"

namespace {

// GL's current normal and texture coordinate, with their initial values.
GLfloat currentNormal[3] = {0.0f, 0.0f, 1.0f};
GLfloat currentTexCoord[2] = {0.0f, 0.0f};

// Light 0 and the front material with GL's initial values; the light's position in eye
// coordinates, as GL keeps it.
struct Lighting {
    bool enabled = false;
    bool lightEnabled = false;
    GLfloat lightAmbient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    GLfloat lightDiffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    GLfloat lightSpecular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    GLfloat lightPosition[4] = {0.0f, 0.0f, 1.0f, 0.0f};
    GLfloat materialAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    GLfloat materialDiffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    GLfloat materialSpecular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    GLfloat materialShininess = 0.0f;
};
Lighting lighting;
const GLfloat SCENE_AMBIENT = 0.2f;

// The modelview at glBegin: it cannot change before glEnd.
GLfloat modelview[16];

GLuint currentProgram = 0;

bool fixedFunctionLighting() {
    return lighting.enabled && currentProgram == 0;
}

// Keeps a colour value where `slots` says a value of its name goes, if anywhere.
void storeColour(GLenum name, const GLfloat* values,
                 std::initializer_list<std::pair<GLenum, GLfloat*>> slots) {
    for (const auto& slot : slots) {
        if (slot.first == name) {
            std::copy(values, values + 4, slot.second);
        }
    }
}

void transform(const GLfloat m[16], const GLfloat v[4], GLfloat out[4]) {
    for (int row = 0; row < 4; ++row) {
        out[row] = m[row] * v[0] + m[4 + row] * v[1] + m[8 + row] * v[2] + m[12 + row] * v[3];
    }
}

// GL's lighting equation for one light, without attenuation or spot, the viewer at infinity.
// The normal goes through the modelview's upper 3x3 and is normalized: right for the rotations
// and translations this program uses.
void litColour(const GLfloat vertex[3], GLfloat colour[4]) {
    const GLfloat position[4] = {vertex[0], vertex[1], vertex[2], 1.0f};
    const GLfloat direction[4] = {currentNormal[0], currentNormal[1], currentNormal[2], 0.0f};
    GLfloat eye[4];
    GLfloat normal[4];
    transform(modelview, position, eye);
    transform(modelview, direction, normal);
    normalize3(normal);
    const GLfloat* light = lighting.lightPosition;
    GLfloat toLight[3] = {light[0], light[1], light[2]};
    if (light[3] != 0.0f) {
        for (int i = 0; i < 3; ++i) {
            toLight[i] = light[i] / light[3] - eye[i] / eye[3];
        }
    }
    normalize3(toLight);
    GLfloat half[3] = {toLight[0], toLight[1], toLight[2] + 1.0f};
    normalize3(half);
    const GLfloat diffuse = lighting.lightEnabled ? std::max(dot3(normal, toLight), 0.0f) : 0.0f;
    const GLfloat specular =
        diffuse > 0.0f ? std::pow(std::max(dot3(normal, half), 0.0f), lighting.materialShininess)
                       : 0.0f;
    for (int i = 0; i < 3; ++i) {
        GLfloat c = SCENE_AMBIENT * lighting.materialAmbient[i];
        if (lighting.lightEnabled) {
            c += lighting.lightAmbient[i] * lighting.materialAmbient[i] +
                 diffuse * lighting.lightDiffuse[i] * lighting.materialDiffuse[i] +
                 specular * lighting.lightSpecular[i] * lighting.materialSpecular[i];
        }
        colour[i] = std::min(std::max(c, 0.0f), 1.0f);
    }
    colour[3] = lighting.materialDiffuse[3];
}

// Whether this call is about lighting state that is kept here: what it sets is recorded.
bool recordEnable(GLenum cap, bool on) {
    if (cap == GL_LIGHTING) {
        lighting.enabled = on;
        return true;
    }
    if (cap == GL_LIGHT0) {
        lighting.lightEnabled = on;
    }
    return false;
}

}  // namespace

extern "C" {

void webEnable(GLenum cap) {
    if (!recordEnable(cap, true)) {
        glEnable(cap);
    }
}

void webDisable(GLenum cap) {
    if (!recordEnable(cap, false)) {
        glDisable(cap);
    }
}

void webLightfv(GLenum light, GLenum name, const GLfloat* values) {
    if (light == GL_LIGHT0) {
        storeColour(name, values,
                    {{GL_AMBIENT, lighting.lightAmbient},
                     {GL_DIFFUSE, lighting.lightDiffuse},
                     {GL_SPECULAR, lighting.lightSpecular}});
    }
    if (light == GL_LIGHT0 && name == GL_POSITION) {
        GLfloat current[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, current);
        transform(current, values, lighting.lightPosition);
    }
    glLightfv(light, name, values);
}

void webMaterialfv(GLenum face, GLenum name, const GLfloat* values) {
    const bool front = face == GL_FRONT || face == GL_FRONT_AND_BACK;
    if (front) {
        storeColour(name, values,
                    {{GL_AMBIENT, lighting.materialAmbient},
                     {GL_DIFFUSE, lighting.materialDiffuse},
                     {GL_SPECULAR, lighting.materialSpecular}});
    }
    if (front && name == GL_SHININESS) {
        lighting.materialShininess = values[0];
    }
    glMaterialfv(face, name, values);
}

// The emulation takes material values by vector only.
void webMaterialf(GLenum face, GLenum name, GLfloat value) {
    webMaterialfv(face, name, &value);
}

void webUseProgram(GLuint program) {
    currentProgram = program;
    glUseProgram(program);
}

void webBegin(GLenum mode) {
    if (fixedFunctionLighting()) {
        glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    }
    glBegin(mode == GL_QUAD_STRIP ? GL_TRIANGLE_STRIP : mode);
}

void webNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    currentNormal[0] = x;
    currentNormal[1] = y;
    currentNormal[2] = z;
}

void webTexCoord2f(GLfloat s, GLfloat t) {
    currentTexCoord[0] = s;
    currentTexCoord[1] = t;
}

void webVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    glTexCoord2f(currentTexCoord[0], currentTexCoord[1]);
    glNormal3f(currentNormal[0], currentNormal[1], currentNormal[2]);
    if (fixedFunctionLighting()) {
        const GLfloat vertex[3] = {x, y, z};
        GLfloat colour[4];
        litColour(vertex, colour);
        glColor4f(colour[0], colour[1], colour[2], colour[3]);
    }
    glVertex3f(x, y, z);
}

void webVertex3fv(const GLfloat* v) {
    webVertex3f(v[0], v[1], v[2]);
}

}  // extern "C"
