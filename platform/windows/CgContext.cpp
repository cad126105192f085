// On Windows the current context is WGL's.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "CgContext.h"

bool cgrt::glContextCurrent() {
    return wglGetCurrentContext() != nullptr;
}
