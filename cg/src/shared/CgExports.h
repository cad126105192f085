// Put before every source of the shared libraries, which are built with hidden visibility: the
// calls that cg.h and cgGL.h declare are what they export, and nothing else of ours is seen.
#pragma once

#include <epoxy/gl.h>

#pragma GCC visibility push(default)
#include <Cg/cg.h>
#include <Cg/cgGL.h>
#pragma GCC visibility pop
