// See IL/il.h.
#pragma once

static inline void ilutInit(void) {}
