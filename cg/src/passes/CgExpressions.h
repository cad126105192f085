// Expressions Cg takes that glslang's HLSL front end reads otherwise: bridged on the source text,
// before glslang sees it. Lines stay.
#pragma once

#include <string>
#include <string_view>

namespace cgrt {

// Cg declares a variable before its initializer, as C does (`float4 a = c ? a : b;`); glslang's
// HLSL after it, so the name is unknown there. A local declaration of one name whose initializer
// names it (not as a call: `float luma = luma(c);` keeps calling the function) is split:
// `float4 a; a = c ? a : b;`.
std::string withSelfInitializersSplit(std::string_view source);
// glslang makes a swizzle of several matrix elements (`m._m01_m10`, `m._12_21`) one number; it
// takes one element at a time. Read, not written, such a swizzle becomes the vector of its
// elements: `float2(m._m01, m._m10)`.
std::string withMatrixSwizzlesSpread(std::string_view source);

// glslang folds `<`, `>`, `<=` and `>=` of two constant vectors to one bool, the first
// components' (`float3(1, 5, 9) < float3(2, 4, 8)` is true), where Cg compares component by
// component. Where both operands may be constant (numbers, constructors, swizzles, calls of
// them) and one names a vector type, the left one goes through `cg_kept`, which returns what it
// is given (see CgLibrary), so that glslang compares as usual.
std::string withConstantComparisonsKept(std::string_view source);

// Cg takes the first argument's type for a library function whose parameters share one type
// (min, max, pow, atan2, fmod, lerp, clamp, distance, dot): given a scalar first, it takes the
// first component of each vector after it (`min(a.x, b.xyz)` is `min(a.x, b.x)`); glslang widens
// the scalar instead. Where the first argument is surely a scalar (a name declared so, a one-letter
// swizzle, a scalar constructor or cast; not a bare number, for which cgc finds the call
// ambiguous), each later one that may be a vector (not surely a scalar or a number) becomes
// `(b.xyz).x`, which is the same for a scalar. A source that defines a function of the same name
// keeps its calls.
std::string withMixedArgumentsNarrowed(std::string_view source);

// Cg's half is a type of its own, glslang's HLSL takes it for float: a function defined for half
// and again alike for float is one function defined twice. The half one is renamed (`twice` to
// `cg_half_twice`), and so are the calls whose arguments are surely half where it takes half
// (names declared half or fixed, their swizzles, half constructors and casts) and not of another
// width; the others call the float one, as Cg's overload choice does for float, numbers and mixed
// expressions.
std::string withHalfOverloadsApart(std::string_view source);

}  // namespace cgrt
