// The GLSL version a module is written in. GLSL 1.20 is what the program's own shaders and most
// of Cg's need; integer remainders, bit operations and unsigned integers came with 1.30, which
// keeps every built-in that 1.20 code uses (gl_TexCoord, gl_FragData, ...). SPIRV-Cross refuses
// what 1.20 cannot say (unsigned integers), but writes these two as they are, for the GL driver
// to refuse.
#pragma once

#include <vector>

namespace cgrt {

// Whether the module uses `%` on integers or bit operations.
bool needsGlsl130(const std::vector<unsigned>& spirv);

}  // namespace cgrt
