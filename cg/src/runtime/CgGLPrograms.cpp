// The GL binding's program calls: unloading and loading again, a program's profiles, managed
// textures, a sampler's texture unit and the options a profile is best compiled with.
#include "CgState.h"

#include <Cg/cgGL.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// A limit of the driver's ARB programs; WebGL has none (nor the profiles that ask).
GLint programLimit(GLenum target, GLenum limit) {
    GLint value = 0;
#ifdef __EMSCRIPTEN__
    (void)target, (void)limit;
#else
    glGetProgramivARB(target, limit, &value);
#endif
    return value;
}

std::string option(const char* name, GLint value) {
    return std::string(name) + "=" + std::to_string(value);
}

// The options NVIDIA's runtime gives a profile on the current driver: the ARB profiles' limits as
// the driver states them (arbvp1's temporaries and instructions capped where cgc's profile ends),
// the extensions the GLSL profiles may use. They are profile options this runtime takes and
// ignores, as it compiles every profile alike.
std::vector<std::string> optimalOptions(CGprofile profile) {
    if (profile == CG_PROFILE_ARBVP1) {
        const GLenum vp = GL_VERTEX_PROGRAM_ARB;
        return {
            option("NumTemps",
                   std::min(programLimit(vp, GL_MAX_PROGRAM_NATIVE_TEMPORARIES_ARB), 32)),
            option("MaxInstructions",
                   std::min(programLimit(vp, GL_MAX_PROGRAM_NATIVE_INSTRUCTIONS_ARB), 4096)),
            option("MaxAddressRegs", programLimit(vp, GL_MAX_PROGRAM_NATIVE_ADDRESS_REGISTERS_ARB)),
            option("MaxLocalParams", programLimit(vp, GL_MAX_PROGRAM_LOCAL_PARAMETERS_ARB))};
    }
    std::vector<std::string> options;
    if (profile == CG_PROFILE_ARBFP1) {
        const GLenum fp = GL_FRAGMENT_PROGRAM_ARB;
        GLint drawBuffers = 1;
        glGetIntegerv(GL_MAX_DRAW_BUFFERS, &drawBuffers);
        if (cgrt::hasExtension("GL_ARB_draw_buffers")) {
            options.emplace_back("ARB_draw_buffers");
        }
        options.push_back(
            option("NumTemps", programLimit(fp, GL_MAX_PROGRAM_NATIVE_TEMPORARIES_ARB)));
        options.push_back(option("NumInstructionSlots",
                                 programLimit(fp, GL_MAX_PROGRAM_NATIVE_INSTRUCTIONS_ARB)));
        options.push_back(option("NumTexInstructionSlots",
                                 programLimit(fp, GL_MAX_PROGRAM_NATIVE_TEX_INSTRUCTIONS_ARB)));
        options.push_back(option("NumMathInstructionSlots",
                                 programLimit(fp, GL_MAX_PROGRAM_NATIVE_ALU_INSTRUCTIONS_ARB)));
        options.push_back(option("MaxTexIndirections",
                                 programLimit(fp, GL_MAX_PROGRAM_NATIVE_TEX_INDIRECTIONS_ARB)));
        options.push_back(
            option("MaxLocalParams", programLimit(fp, GL_MAX_PROGRAM_LOCAL_PARAMETERS_ARB)));
        options.push_back(option("MaxDrawBuffers", std::min(drawBuffers, 4)));
        return options;
    }
    if (cgrt::hasExtension("GL_ATI_draw_buffers")) {
        options.emplace_back("ATI_draw_buffers");
    }
    if (cgrt::hasExtension("GL_EXT_gpu_shader4")) {
        options.emplace_back("EXT_gpu_shader4");
    } else if (cgrt::hasExtension("GL_ARB_draw_instanced")) {
        options.emplace_back("ARB_draw_instanced");
    }
    if (cgrt::hasExtension("GL_ARB_uniform_buffer_object")) {
        options.emplace_back("ARB_uniform_buffer_object");
    }
    return options;
}

}  // namespace

extern "C" {

// Each profile's strings stay as they are until the next call for that profile.
const char** cgGLGetOptimalOptions(CGprofile profile) {
    if (!cgGLIsProfileSupported(profile)) {
        return nullptr;
    }
    static std::vector<std::string> texts[2][2];
    static std::vector<const char*> lists[2][2];
    const int slot = cgrt::profileSlot(profile);
    const int glsl = profile == CG_PROFILE_GLSLV || profile == CG_PROFILE_GLSLF ? 1 : 0;
    std::vector<std::string>& text = texts[slot][glsl];
    std::vector<const char*>& list = lists[slot][glsl];
    text = optimalOptions(profile);
    list.clear();
    for (const std::string& t : text) {
        list.push_back(t.c_str());
    }
    list.push_back(nullptr);
    return list.data();
}

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
