// What the tools that draw Cg programs off screen share: a float render target and a texture
// read with nearest filtering. Needs epoxy's GL and a current context.
#ifndef SHADOW_TESTS_DRAW_TARGETS_H
#define SHADOW_TESTS_DRAW_TARGETS_H

#include <epoxy/gl.h>

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

#endif
