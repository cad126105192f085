// What the tools that draw Cg programs off screen share: a float render target, a texture read
// with nearest filtering, and binding it to a program's samplers. Needs epoxy's GL and a current
// context; built against our Cg headers or NVIDIA's.
#ifndef SHADOW_TESTS_DRAW_TARGETS_H
#define SHADOW_TESTS_DRAW_TARGETS_H

#include <epoxy/gl.h>

#include <Cg/cg.h>
#include <Cg/cgGL.h>

#include <utility>
#include <vector>

// A width x height RGBA32F texture, attached to a framebuffer that is left bound.
inline GLuint makeFloatTarget(int width, int height) {
    GLuint texture = 0, framebuffer = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, width, height, 0, GL_RGBA, GL_FLOAT, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    return framebuffer;
}

// An RGBA texture of `size` x `size` texels in `format`, read back texel for texel.
inline GLuint makeNearestTexture(GLint format, int size, GLenum type, const void* texels) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, format, size, size, 0, GL_RGBA, type, texels);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

// The samplers among the parameters from `p` on, also those in uniform structs (`IN.texture`).
// Global uniforms (the corpus's `decal`) walk under CG_GLOBAL only, and a struct is one parameter
// holding its members.
inline void collectSamplers(CGparameter p, std::vector<CGparameter>& out) {
    for (; p != nullptr; p = cgGetNextParameter(p)) {
        if (cgGetParameterType(p) == CG_STRUCT) {
            collectSamplers(cgGetFirstStructParameter(p), out);
        }
        if (cgGetParameterType(p) == CG_SAMPLER2D) {
            out.push_back(p);
        }
    }
}

// `texture` on every 2D sampler of `program`, enabled.
inline void bindToEverySampler2D(CGprogram program, GLuint texture) {
    std::vector<CGparameter> samplers;
    for (const CGenum nameSpace : {CG_PROGRAM, CG_GLOBAL}) {
        collectSamplers(cgGetFirstParameter(program, nameSpace), samplers);
    }
    for (CGparameter p : samplers) {
        cgGLSetTextureParameter(p, texture);
        cgGLEnableTextureParameter(p);
    }
}

// Loads and binds both programs; gives back the programs whose parameters the draw sets. NVIDIA's
// runtime links each GLSL program on its own, so that binding the fragment program left the
// vertex stage to the fixed-function pipeline: there the two are combined into one program, unless
// the caller's vertex program does what the fixed-function stage does (combining compiles both
// again, which more than doubles the time of a small program).
inline std::pair<CGprogram, CGprogram> bindPair(CGprogram vertex, CGprogram fragment,
                                                bool vertexStageNeeded = true) {
#ifdef NVIDIA_CG
    if (vertexStageNeeded) {
        const CGprogram both = cgCombinePrograms2(vertex, fragment);
        cgGLLoadProgram(both);
        cgGLBindProgram(both);
        return {cgGetProgramDomainProgram(both, 0), cgGetProgramDomainProgram(both, 1)};
    }
#else
    (void)vertexStageNeeded;
#endif
    cgGLLoadProgram(vertex);
    cgGLLoadProgram(fragment);
    cgGLBindProgram(vertex);
    cgGLBindProgram(fragment);
    return {vertex, fragment};
}

#endif
