// The web build's GL header, where libepoxy's stands on the desktop: Emscripten's GL, drawn by
// its legacy GL emulation on WebGL 1. Like libepoxy's header, it routes some GL names through
// functions of its own: those whose desktop arguments WebGL 1 refuses (WebGL.cpp).
#pragma once

// Declares the functions of GL 1.3 and later as well (framebuffers, shaders), which WebGL has.
#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/gl.h>
#include <GL/glext.h>
#include <stdbool.h>

#ifndef GL_CLAMP_TO_BORDER
#define GL_CLAMP_TO_BORDER 0x812D
#endif

#ifdef __cplusplus
extern "C" {
#endif

// 20: WebGL 1 is OpenGL ES 2.0.
int epoxy_gl_version(void);
// Framebuffer objects count as present (WebGL has them in its core); other names are looked up
// in the context's extension string.
bool epoxy_has_gl_extension(const char* extension);

void webTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                   GLint border, GLenum format, GLenum type, const void* pixels);
void webTexParameteri(GLenum target, GLenum name, GLint value);
void webHint(GLenum target, GLenum mode);
void webDrawBuffer(GLenum buffer);
void webReadBuffer(GLenum buffer);
void webShadeModel(GLenum mode);

// Immediate.cpp: immediate mode and its lighting as GL has them.
void webEnable(GLenum cap);
void webDisable(GLenum cap);
void webLightfv(GLenum light, GLenum name, const GLfloat* values);
void webMaterialfv(GLenum face, GLenum name, const GLfloat* values);
void webMaterialf(GLenum face, GLenum name, GLfloat value);
void webUseProgram(GLuint program);
void webBegin(GLenum mode);
void webNormal3f(GLfloat x, GLfloat y, GLfloat z);
void webTexCoord2f(GLfloat s, GLfloat t);
void webVertex3f(GLfloat x, GLfloat y, GLfloat z);
void webVertex3fv(const GLfloat* v);

#ifdef __cplusplus
}
#endif

#define glTexImage2D webTexImage2D
#define glTexParameteri webTexParameteri
#define glHint webHint
#define glDrawBuffer webDrawBuffer
#define glReadBuffer webReadBuffer
#define glShadeModel webShadeModel
#define glEnable webEnable
#define glDisable webDisable
#define glLightfv webLightfv
#define glMaterialfv webMaterialfv
#define glMaterialf webMaterialf
#define glUseProgram webUseProgram
#define glBegin webBegin
#define glNormal3f webNormal3f
#define glTexCoord2f webTexCoord2f
#define glVertex3f webVertex3f
#define glVertex3fv webVertex3fv
