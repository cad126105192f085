#include <epoxy/gl.h>

#include "ShadowMapping/ShadowMapping.h"

#include <IL/il.h>
#include <IL/ilu.h>
#include <IL/ilut.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Relative to the working directory, which is a sibling of src/.
const char* const VERTEX_SOURCE = "../src/ShadowMapping/resource/cg/vp_ShadowMapping.cg";
const char* const VERTEX_ENTRY = "vp_shadowMapping";
const char* const FRAGMENT_SOURCE = "../src/ShadowMapping/resource/cg/fp_ShadowMapping.cg";
const char* const FRAGMENT_ENTRY = "fp_shadowMapping";

// A program without the parameters we feed is a failure, so it must not look like success.
const int MISSING_PARAMETER_STATUS = 1;
const int CG_ERROR_STATUS = -1;

}  // namespace

CGcontext ShadowMapping::context = nullptr;
CGprogram* ShadowMapping::vertexProgram = nullptr;
CGprogram* ShadowMapping::fragmentProgram = nullptr;
CGprofile* ShadowMapping::vertexProfile = nullptr;
CGprofile* ShadowMapping::fragmentProfile = nullptr;
CGparameter ShadowMapping::modelViewProjParam = nullptr;
CGparameter ShadowMapping::textureMatrixParam = nullptr;
CGparameter ShadowMapping::lightPositionParam = nullptr;
CGparameter ShadowMapping::diffuseColorParam = nullptr;
CGparameter ShadowMapping::shadowMapParam = nullptr;
const GLuint* ShadowMapping::textureNamePtr = nullptr;
const float* ShadowMapping::textureMatrixPtr = nullptr;

ShadowMapping::ShadowMapping(GLuint* texture, float* textureMatrix) {
    vertexProgram = new CGprogram(nullptr);
    fragmentProgram = new CGprogram(nullptr);
    vertexProfile = new CGprofile(CG_PROFILE_UNKNOWN);
    fragmentProfile = new CGprofile(CG_PROFILE_UNKNOWN);
    textureNamePtr = texture;
    textureMatrixPtr = textureMatrix;
    glBindTexture(GL_TEXTURE_2D, *texture);
    initShaders(vertexProfile, fragmentProfile, vertexProgram, fragmentProgram);
}

void ShadowMapping::initShaders(CGprofile* vertexProfile, CGprofile* fragmentProfile,
                                CGprogram* vertexProgram, CGprogram* fragmentProgram) {
    ilInit();
    iluInit();
    ilutInit();
    // ILUT's OpenGL set-up switches texturing on; between drawing steps it stays off, or the
    // unlit marker and the border would be modulated by the bound shadow map.
    glDisable(GL_TEXTURE_2D);

    // First, so that every failure after it, the context's creation included, is reported.
    cgSetErrorCallback(onCgError);
    context = cgCreateContext();

    *vertexProfile = cgGLGetLatestProfile(CG_GL_VERTEX);
    cgGLSetOptimalOptions(*vertexProfile);
    *fragmentProfile = cgGLGetLatestProfile(CG_GL_FRAGMENT);
    cgGLSetOptimalOptions(*fragmentProfile);

    *vertexProgram = cgCreateProgramFromFile(context, CG_SOURCE, VERTEX_SOURCE, *vertexProfile,
                                             VERTEX_ENTRY, nullptr);
    *fragmentProgram = cgCreateProgramFromFile(context, CG_SOURCE, FRAGMENT_SOURCE,
                                               *fragmentProfile, FRAGMENT_ENTRY, nullptr);
    cgGLLoadProgram(*vertexProgram);
    cgGLLoadProgram(*fragmentProgram);

    modelViewProjParam = cgGetNamedParameter(*vertexProgram, "modelViewProj");
    textureMatrixParam = cgGetNamedParameter(*vertexProgram, "textureMatrix");
    lightPositionParam = cgGetNamedParameter(*vertexProgram, "lightPosition");
    diffuseColorParam = cgGetNamedParameter(*vertexProgram, "diffuseColor");
    shadowMapParam = cgGetNamedParameter(*fragmentProgram, "shadowMap");
    // All five are looked up first, so that any number of missing ones gives one message.
    if (modelViewProjParam == nullptr || textureMatrixParam == nullptr ||
        lightPositionParam == nullptr || diffuseColorParam == nullptr ||
        shadowMapParam == nullptr) {
        std::printf("Unable to retrieve program parameters, exiting...\n");
        std::exit(MISSING_PARAMETER_STATUS);
    }
}

void ShadowMapping::onCgError() {
    const CGerror error = cgGetError();
    if (error == CG_NO_ERROR) {
        return;
    }
    std::printf("%s\n\n", cgGetErrorString(error));
    std::printf("%s\n", cgGetLastListing(context));
    std::printf("Cg error, exiting...\n");
    std::exit(CG_ERROR_STATUS);
}

void ShadowMapping::enable() {
    cgGLBindProgram(*vertexProgram);
    cgGLEnableProfile(*vertexProfile);
    cgGLBindProgram(*fragmentProgram);
    cgGLEnableProfile(*fragmentProfile);
}

void ShadowMapping::disable() {
    cgGLDisableTextureParameter(shadowMapParam);
    cgGLDisableProfile(*fragmentProfile);
    cgGLDisableProfile(*vertexProfile);
}

void ShadowMapping::setParameters(const float* lightPosition, float r, float g, float b, float a) {
    cgGLSetParameter3f(lightPositionParam, lightPosition[0], lightPosition[1], lightPosition[2]);
    cgGLSetParameter4f(diffuseColorParam, r, g, b, a);
    cgGLSetStateMatrixParameter(modelViewProjParam, CG_GL_MODELVIEW_PROJECTION_MATRIX,
                                CG_GL_MATRIX_IDENTITY);
    cgGLSetMatrixParameterfc(textureMatrixParam, textureMatrixPtr);
    cgGLSetTextureParameter(shadowMapParam, *textureNamePtr);
    cgGLEnableTextureParameter(shadowMapParam);
}
