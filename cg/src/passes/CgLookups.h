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
// A source that uses no 3D texture of its own gets each sampler2DShadow as a sampler3D, and
// lookups on one (tex2D, tex2Dproj, shadow2D, ...) as 3D lookups, whose coordinate carries the
// depth to compare with; asShadowLookups turns the GLSL of those back. `shadow` says whether there
// was one. Lines stay.
std::string withShadowSamplersAs3D(std::string_view source, bool& shadow);
std::string asShadowLookups(const std::string& glsl);
// Each samplerRECT goes through glslang as a sampler2D, texRECT and texRECTproj as tex2D and
// tex2Dproj; asRectangleLookups turns the GLSL of those back for the uniforms of the names
// `rectangles` receives. Lines stay.
std::string withRectangleSamplersAs2D(std::string_view source, std::set<std::string>& rectangles);
std::string asRectangleLookups(const std::string& glsl, const std::set<std::string>& glslNames);

}  // namespace cgrt
