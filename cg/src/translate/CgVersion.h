// The GLSL version a module is written in. GLSL 1.20 is what the program's own shaders and most
// of Cg's need. Integer remainders and bit operations came with 1.30: SPIRV-Cross writes them for
// 1.20 all the same, and such code is given a #version 130 line, under which every built-in the
// 1.20 code uses (gl_TexCoord, gl_FragData, texture2D, transpose, ...) is still there. Unsigned
// integers SPIRV-Cross refuses to write for 1.20; a module with them is written for 1.30, but only
// when it has no row-major matrix, which SPIRV-Cross would read transposed there.
#pragma once

#include <vector>

namespace cgrt {

// Whether the module uses `%` on integers or bit operations.
bool needsGlsl130(const std::vector<unsigned>& spirv);

// Whether the module has a matrix decorated row-major (glslang gives Cg's uniform matrices that).
bool hasRowMajorMatrices(const std::vector<unsigned>& spirv);

}  // namespace cgrt
