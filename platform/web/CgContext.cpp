// On a page the current context is the canvas's WebGL context, if one was made.
#include <emscripten/html5_webgl.h>

#include "CgContext.h"

bool cgrt::glContextCurrent() {
    return emscripten_webgl_get_current_context() != 0;
}
