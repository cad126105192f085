// See IL/il.h.
#pragma once

static inline void iluInit(void) {}
