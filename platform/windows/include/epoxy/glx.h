// There is no GLX on Windows: the current context is WGL's.
#pragma once

#include <epoxy/wgl.h>

static inline void* glXGetCurrentContext(void) {
    return (void*)wglGetCurrentContext();
}
