// GLSL 1.20 takes samplers only as uniforms and function parameters. Cg also lets them sit in
// structs (the corpus's `uniform orig ORIG` with its `texture`) and in local variables, which the
// SPIR-V keeps as they are: such a module needs glslang's HLSL legalization (inlining, then
// splitting the structs up) before SPIRV-Cross can write GLSL 1.20 for it.
#pragma once

#include <vector>

namespace cgrt {

// Whether the module has a struct type with a sampler or image inside (arrays and nested structs
// included), or a function-local or static global variable of such a type.
bool needsSamplerLegalization(const std::vector<unsigned>& spirv);

// A legalized module whose static globals still hold samplers (globals the source writes, see
// CgEntryUniforms.h) gets them moved into the function that uses them, so that they fold away.
void makeStaticSamplersLocal(std::vector<unsigned>& spirv);

// Whether makeStaticSamplersLocal can do so: it needs SPIRV-Tools' optimizer, which Debian's
// glslang brings and the web's and Windows' builds of it leave out.
bool foldsStaticSamplers();

// The texture methods of glslang's HLSL on DX9 samplers (see withLookupsAsMethods), as SPIRV-Cross
// can write them: a sampler given to its own Sample as its sampler state is the sampler itself,
// and the level count GetDimensions gives (which no Cg lookup reads, and GLSL before 4.30 cannot
// query) is undefined.
void makeTextureMethodsCombined(std::vector<unsigned>& spirv);

}  // namespace cgrt
