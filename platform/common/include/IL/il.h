// The program sets DevIL up but loads no image: on the web its calls do nothing.
#pragma once

static inline void ilInit(void) {}
