// The vertex/fragment program pair through which the lit pass draws every object that receives
// shadows. All state is static and lives until the process ends: one object is created, once,
// and creating it loads and compiles both programs or ends the process.
#pragma once

#include <epoxy/gl.h>

#include <Cg/cg.h>
#include <Cg/cgGL.h>

class ShadowMapping {
  public:
    // `texture` holds the shadow texture's name and `textureMatrix` 16 floats (column-major);
    // both are read again at every setParameters, so they must outlive the program.
    ShadowMapping(GLuint* texture, float* textureMatrix);

    // Called by the constructor only: fills the four cells, the context and the parameters.
    static void initShaders(CGprofile* vertexProfile, CGprofile* fragmentProfile,
                            CGprogram* vertexProgram, CGprogram* fragmentProgram);
    // The runtime's error callback: returns only when no error is pending.
    static void onCgError();

    static void enable();
    // Turns the profiles and the shadow-map sampler off; the programs stay bound.
    static void disable();
    // Sends the light's x, y and z, the colour, GL's current projection * modelview, the
    // texture matrix and the shadow texture as they are at the call.
    static void setParameters(const float* lightPosition, float r, float g, float b, float a);

    static CGcontext context;
    static CGprogram* vertexProgram;
    static CGprogram* fragmentProgram;
    static CGprofile* vertexProfile;
    static CGprofile* fragmentProfile;
    static CGparameter modelViewProjParam;
    static CGparameter textureMatrixParam;
    static CGparameter lightPositionParam;
    static CGparameter diffuseColorParam;
    static CGparameter shadowMapParam;
    static const GLuint* textureNamePtr;
    static const float* textureMatrixPtr;
};
