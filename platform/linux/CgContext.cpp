// On X the current context is GLX's.
#include <epoxy/glx.h>

#include "CgContext.h"

bool cgrt::glContextCurrent() {
    return glXGetCurrentContext() != nullptr;
}
