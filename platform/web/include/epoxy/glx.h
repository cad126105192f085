// There is no GLX on the web: the current context is the page's WebGL context, if any.
#pragma once

#include <emscripten/html5_webgl.h>
#include <stdint.h>

static inline void* glXGetCurrentContext(void) {
    return (void*)(intptr_t)emscripten_webgl_get_current_context();
}
