// MinGW's GLU header uses windows.h's calling-convention macros (WINGDIAPI, APIENTRY) without
// including it.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include_next <GL/glu.h>
