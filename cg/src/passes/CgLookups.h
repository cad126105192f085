// Cg's texture lookups that glslang's HLSL lacks. The NV profiles' typed lookups become plain ones;
// shadow and rectangle samplers go through glslang as stand-ins of another kind, and the GLSL that
// comes back is given their own lookups again.
#pragma once

#include <set>
#include <string>
#include <string_view>

namespace cgrt {

// The NV profiles' lookups that name the type and width of their result (f1tex2D, h4texCUBE,
// x3tex2Dproj, ...) are the plain lookup and a swizzle of its leading components. Lines stay.
std::string withTypedLookupsPlain(std::string_view source);
// The texel fetches (tex2Dfetch, ...) and the lookups with an offset in texels (tex2D(s, c,
// offset), tex2Dlod(s, c, offset), ...) as the methods of glslang's HLSL textures (Load, Sample,
// SampleLevel, SampleGrad), which it gives a DX9 sampler as well. Lines stay.
std::string withLookupsAsMethods(std::string_view source);
// The sampler2DShadows of a source, and whether it also has 3D samplers of its own.
struct ShadowStandIns {
    std::set<std::string> samplers;
    bool beside3D = false;
};
// Each sampler2DShadow goes through glslang as a sampler3D, and lookups on one (tex2D, tex2Dproj,
// shadow2D, ...) as 3D lookups, whose coordinate carries the depth to compare with;
// asShadowLookups turns the GLSL of those back: of the uniforms named `only` (their GLSL names)
// where the program has 3D samplers of its own, of every 3D sampler (also a function's parameter)
// where `only` is null. Lines stay.
std::string withShadowSamplersAs3D(std::string_view source, ShadowStandIns& shadows);
std::string asShadowLookups(const std::string& glsl, const std::set<std::string>* only);
// Each samplerRECT goes through glslang as a sampler2D, texRECT and texRECTproj as tex2D and
// tex2Dproj; asRectangleLookups turns the GLSL of those back for the uniforms of the names
// `rectangles` receives. Lines stay.
std::string withRectangleSamplersAs2D(std::string_view source, std::set<std::string>& rectangles);
std::string asRectangleLookups(const std::string& glsl, const std::set<std::string>& glslNames);

}  // namespace cgrt
