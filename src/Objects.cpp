#include <epoxy/gl.h>
#include <GL/freeglut.h>
#include <GL/glu.h>

#include "FrameDriver.h"
#include "Navigation.h"
#include "Objects.h"
#include "ShadowMapping/ShadowMap.h"
#include "ShadowMapping/ShadowMapping.h"

namespace {

struct Solid {
    GLfloat material[4];
    GLdouble position[3];
    // The shader colour has alpha 0; the material's is opaque.
    float shaderColour[4];
    bool sphere;
    GLdouble size;  // a cube's edge or the sphere's radius
};

const GLint SPHERE_SLICES = 18;

const Solid SOLIDS[SOLID_COUNT] = {
    {{1, 0, 0, 1}, {0.0, 0.5, 0.0}, {1, 0, 0, 0}, false, 1.0},
    {{0, 1, 0, 1}, {4.3, 1.0, -0.8}, {0, 1, 0, 0}, true, 0.9},
    {{0, 0, 1, 1}, {-6.0, 0.8, 2.4}, {0, 0, 1, 0}, false, 1.6},
};

void drawShape(const Solid& solid) {
    if (solid.sphere) {
        glutSolidSphere(solid.size, SPHERE_SLICES, SPHERE_SLICES);
    } else {
        glutSolidCube(solid.size);
    }
}

// With the solid's translation in the modelview: points textureMatrix at the solid's own
// shadow-map matrix, sets the viewer's modelview for it and hands the shader its parameters.
// The caller puts textureMatrix back.
void prepareShadedSolid(const Solid& solid) {
    Matrix model;
    Matrix product;
    glGetFloatv(GL_MODELVIEW_MATRIX, model.data());

    // The solid's vertices come in its own coordinates.
    textureMatrix.multiplyMatrix(model, product);
    textureMatrix.copyMatrix(product);

    // The light in the frame of a look-at from the solid's centre towards the ground below the
    // light.
    glLoadIdentity();
    gluLookAt(model[12], model[13], model[14], -model[8], -model[9], -model[10], model[4], model[5],
              model[6]);
    Matrix lookAt;
    glGetFloatv(GL_MODELVIEW_MATRIX, lookAt.data());
    float lightVector[4];
    lookAt.transformVector(lightPosition, lightVector);

    viewerMatrix.multiplyMatrix(model, product);
    model.copyMatrix(product);
    glLoadIdentity();
    glMultMatrixf(model.data());

    glEnable(GL_TEXTURE_2D);
    ShadowMapping::enable();
    ShadowMapping::setParameters(lightVector, solid.shaderColour[0], solid.shaderColour[1],
                                 solid.shaderColour[2], solid.shaderColour[3]);
}

}  // namespace

void drawSolid(int index) {
    const Solid& solid = SOLIDS[index];
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, solid.material);
    if (!shadowPass) {
        glLoadIdentity();
    }
    glTranslated(solid.position[0], solid.position[1], solid.position[2]);

    Matrix savedTextureMatrix;
    savedTextureMatrix.copyMatrix(textureMatrix);
    if (!shadowPass) {
        prepareShadedSolid(solid);
    }
    // The shader holds its own copy now; later readers need the world matrix again.
    textureMatrix.copyMatrix(savedTextureMatrix);

    drawShape(solid);
    if (!shadowPass) {
        ShadowMapping::disable();
        glDisable(GL_TEXTURE_2D);
    }
}

void drawObjects() {
    glPushMatrix();
    for (int i = 0; i < SOLID_COUNT; ++i) {
        // Every solid starts from the view that was current on entry.
        if (i > 0) {
            glPopMatrix();
            glPushMatrix();
        }
        drawSolid(i);
    }
    glPopMatrix();
}
