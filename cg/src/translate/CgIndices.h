// Cg indexes arrays, vectors and matrices with any number and truncates it, as C converts a float
// to an int. glslang's HLSL front end converts a float index to an unsigned integer, which GLSL
// 1.20 and GLSL ES 1.00 cannot write: skinning shaders index their matrix palettes with the
// float BLENDINDICES.
#pragma once

#include <vector>

namespace cgrt {

// Turns each float-to-unsigned conversion that is only ever used as an index into a
// float-to-signed one, which truncates alike for every index in range.
void indexWithSignedIntegers(std::vector<unsigned>& spirv);

}  // namespace cgrt
