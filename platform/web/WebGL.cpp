// Where WebGL 1 refuses what desktop GL takes, the call is given arguments WebGL 1 takes, to the
// same effect as far as this program sees. The GL names are routed here by <epoxy/gl.h>; this
// file includes Emscripten's GL directly, so its calls reach the real functions.
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>

#ifndef GL_CLAMP_TO_BORDER
#define GL_CLAMP_TO_BORDER 0x812D
#endif

extern "C" {

int epoxy_gl_version(void) {
    return 20;
}

bool epoxy_has_gl_extension(const char* extension) {
    if (std::strcmp(extension, "GL_ARB_framebuffer_object") == 0) {
        return true;
    }
    const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    const std::size_t length = std::strlen(extension);
    for (const char* at = list; at != nullptr && (at = std::strstr(at, extension)) != nullptr;
         at += length) {
        const bool starts = at == list || at[-1] == ' ';
        const bool ends = at[length] == ' ' || at[length] == '\0';
        if (starts && ends) {
            return true;
        }
    }
    return false;
}

// A depth texture (WEBGL_depth_texture) takes 16 or 32 bits a texel, never 8; 32 keeps the
// precision the shadow test needs.
void webTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                   GLint border, GLenum format, GLenum type, const void* pixels) {
    if (format == GL_DEPTH_COMPONENT && type == GL_UNSIGNED_BYTE) {
        type = GL_UNSIGNED_INT;
    }
    glTexImage2D(target, level, internalFormat, width, height, border, format, type, pixels);
}

// WebGL has no border colour. Clamping to the edge reads the map's outermost texels instead of
// depth 0, which differs only outside the light's view: the ground lies wholly inside it.
void webTexParameteri(GLenum target, GLenum name, GLint value) {
    if (value == GL_CLAMP_TO_BORDER) {
        value = GL_CLAMP_TO_EDGE;
    }
    glTexParameteri(target, name, value);
}

// WebGL knows only the mipmap hint; the others are hints, which GL may ignore.
void webHint(GLenum target, GLenum mode) {
    if (target == GL_GENERATE_MIPMAP_HINT) {
        glHint(target, mode);
    }
}

// WebGL always interpolates: the program asks for flat shading only while it draws the shadow
// map, which takes depth alone.
void webShadeModel(GLenum) {}

// A WebGL 1 framebuffer draws into its colour attachment if it has one and reads from it; one
// without (the shadow map's) draws depth alone, which is what GL_NONE asks for.
void webDrawBuffer(GLenum) {}

void webReadBuffer(GLenum) {}

}  // extern "C"
