// The GL binding's program calls: unloading and loading again, a program's profiles, managed
// textures and a sampler's texture unit.
#include "CgState.h"

#include <Cg/cgGL.h>

extern "C" {

// The GL objects go; the program stays, ready to be loaded again.
void cgGLUnloadProgram(CGprogram program) {
    if (cgrt::valid(program) == nullptr) {
        return;
    }
    cgrt::releaseProgram(*program);
    program->loaded = false;
}

CGbool cgGLIsProgramLoaded(CGprogram program) {
    return cgrt::isValid(program) && program->loaded ? CG_TRUE : CG_FALSE;
}

// The GL shader object of a loaded program; 0 before it is loaded.
GLuint cgGLGetProgramID(CGprogram program) {
    return cgrt::valid(program) != nullptr && program->loaded ? program->shader : 0;
}

// Like NVIDIA's, these take anything that is no program without a word.
void cgGLEnableProgramProfiles(CGprogram program) {
    if (cgrt::isValid(program)) {
        cgGLEnableProfile(program->profile);
    }
}

void cgGLDisableProgramProfiles(CGprogram program) {
    if (cgrt::isValid(program)) {
        cgGLDisableProfile(program->profile);
    }
}

void cgGLSetManageTextureParameters(CGcontext context, CGbool flag) {
    if (cgrt::valid(context) != nullptr) {
        context->manageTextures = flag != CG_FALSE;
    }
}

CGbool cgGLGetManageTextureParameters(CGcontext context) {
    return cgrt::valid(context) != nullptr && context->manageTextures ? CG_TRUE : CG_FALSE;
}

// The texture unit a sampler reads, as GL names it; GL_INVALID_OPERATION for anything else.
GLenum cgGLGetTextureEnum(CGparameter param) {
    if (cgrt::valid(param) == nullptr) {
        return GL_INVALID_OPERATION;
    }
    // An unread sampler that no semantic binds has no unit to name.
    if (param->kind != cgrt::UniformKind::Sampler || param->unit < 0) {
        cgrt::raise(CG_INVALID_PARAMETER_ERROR);
        return GL_INVALID_OPERATION;
    }
    return GL_TEXTURE0 + static_cast<GLenum>(param->unit);
}

// Sampler states come from effects, which this runtime has none of: only the texture is set.
void cgGLSetupSampler(CGparameter param, GLuint texture) {
    cgGLSetTextureParameter(param, texture);
}

}  // extern "C"
