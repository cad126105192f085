#include "CgLibrary.h"

#include "CgDialect.h"

#include <set>

namespace cgrt {
namespace {

// Cg knows `fixed` (a clamped low-precision float); HLSL does not. A preamble adds no lines to the
// source, so diagnostics keep the file's own line numbers. GLSL's vector type names are taken too:
// shaders ported from GLSL keep some. Cg's GL profiles compute `double` in single precision, as
// GLSL 1.20 can (cgc writes float for it).
#define CG_FIXED_TYPES                                                                       \
    "#define fixed half\n#define fixed1 half1\n#define fixed2 half2\n#define fixed3 half3\n" \
    "#define fixed4 half4\n#define fixed2x2 half2x2\n#define fixed3x3 half3x3\n"             \
    "#define fixed4x4 half4x4\n"
#define CG_OTHER_TYPES                                                                 \
    "#define vec2 float2\n#define vec3 float3\n#define vec4 float4\n"                  \
    "#define double float\n#define double2 float2\n#define double3 float3\n"           \
    "#define double4 float4\n#define double2x2 float2x2\n#define double3x3 float3x3\n" \
    "#define double4x4 float4x4\n"
const char* const TYPES = CG_FIXED_TYPES CG_OTHER_TYPES;
// What a declaration is read with for the runtime's walk, where fixed stays fixed.
const char* const DECLARED_TYPES = CG_OTHER_TYPES;
#undef CG_FIXED_TYPES
#undef CG_OTHER_TYPES

struct LibraryFunction {
    const char* name;        // as sources call it
    const char* callAs;      // the name its calls are given; nullptr keeps theirs
    const char* definition;  // what the preamble gets for it (one overload or more, or nothing)
    // Left out when the source defines a function of this name: the source keeps its own.
    bool yieldsToSource;
};

// trunc, tanh and modf, which GLSL 1.20 lacks, from what it has, for a float type T.
// clang-format off
#define CG_ROUNDING(T)                                                                        \
    {"trunc", "cg_trunc", T " cg_trunc(" T " x) { return sign(x) * floor(abs(x)); }\n", false}, \
    {"tanh", "cg_tanh", T " cg_tanh(" T " x) { " T " e = exp(-2.0 * abs(x)); "                 \
        "return sign(x) * (1.0 - e) / (1.0 + e); }\n", false},                                \
    {"modf", "cg_modf", T " cg_modf(" T " x, out " T " i) { i = cg_trunc(x); return x - i; }\n", \
        false},
// sinh, cosh, ldexp, frexp, isnan, isinf and isfinite, which GLSL 1.20 lacks, for a float type T
// and the bool and int types B and I of its size, written with what it has as Cg writes them.
#define CG_GAPS(T, B, I)                                                                     \
    {"sinh", "cg_sinh", T " cg_sinh(" T " x) { return 0.5 * (exp(x) - exp(-x)); }\n", false}, \
    {"cosh", "cg_cosh", T " cg_cosh(" T " x) { return 0.5 * (exp(x) + exp(-x)); }\n", false}, \
    {"ldexp", "cg_ldexp", T " cg_ldexp(" T " x, " T " e) { return x * exp2(cg_trunc(e)); }\n", \
        false},                                                                              \
    {"frexp", "cg_frexp", T " cg_frexp(" T " x, out " I " e) { e = " I "(x != 0.0) * ("       \
        I "(floor(log2(abs(x)))) + 1); return x / exp2(" T "(e)); }\n", false},               \
    {"isnan", "cg_isnan", B " cg_isnan(" T " x) { return x != x; }\n", false},                \
    {"isinf", "cg_isinf", B " cg_isinf(" T " x) { return abs(x) > 3.402823466e38; }\n", false}, \
    {"isfinite", "cg_isfinite", B " cg_isfinite(" T " x) { return abs(x) <= 3.402823466e38; }\n", \
        false},
// Cg's atan2 as its reference implementation gives it, a polynomial that cgc writes out (GLSL's
// atan gives -pi for atan2(-0, -1) where Cg gives pi, and 0 for atan of NaN where Cg gives pi/4),
// and its atan, which is atan2(x, 1); for a float type T.
#define CG_ARCTANGENT(T)                                                                       \
    {"atan2", "cg_atan2", T " cg_atan2(" T " y, " T " x) { " T " t = min(abs(x), abs(y)) * "  \
        "(1.0 / max(abs(x), abs(y))); " T " s = t * t; t *= ((((-0.013480470 * s + 0.057477314) " \
        "* s - 0.121239071) * s + 0.195635925) * s - 0.332994597) * s + 0.999995630; "        \
        "t = abs(y) > abs(x) ? 1.570796327 - t : t; t = x < 0.0 ? 3.141592654 - t : t; "      \
        "return y < 0.0 ? -t : t; }\n", false},                                               \
    {"atan", "cg_atan", T " cg_atan(" T " x) { return cg_atan2(x, 1.0); }\n", false},
// all and any of a number or vector of numbers, which glslang folds wrongly for constants (it
// reads their bits as booleans), for a float type T and the bool type B of its size; ALL and ANY
// are GLSL's all and any for a vector, nothing for a scalar.
#define CG_TRUTH(NAME, T, B, WHOLE)                                                            \
    {NAME, "cg_" NAME, "bool cg_" NAME "(" T " x) { return " WHOLE "(x != 0.0); }\n"            \
        "bool cg_" NAME "(" B " x) { return " WHOLE "(x); }\n", false},
#define CG_ALL_ANY(T, B, ALL, ANY) CG_TRUTH("all", T, B, ALL) CG_TRUTH("any", T, B, ANY)
// clang-format on

// In the order the preamble gives them: a definition may call those before it. Those that yield
// to the source come last.
const LibraryFunction LIBRARY[] = {
    // Cg's fmod: x - y * trunc(x / y), the sign of x (GLSL 1.20 has no trunc); glslang's HLSL
    // fmod floors like GLSL's mod.
    {"fmod", "cg_fmod",
     "float cg_fmod(float x, float y) { float q = x / y; return x - y * sign(q) * floor(abs(q)); "
     "}\n"
     "float2 cg_fmod(float2 x, float2 y) { float2 q = x / y; return x - y * sign(q) * "
     "floor(abs(q)); }\n"
     "float3 cg_fmod(float3 x, float3 y) { float3 q = x / y; return x - y * sign(q) * "
     "floor(abs(q)); }\n"
     "float4 cg_fmod(float4 x, float4 y) { float4 q = x / y; return x - y * sign(q) * "
     "floor(abs(q)); }\n",
     false},
    // GLSL's mod, which some shaders ported from GLSL call: x - y * floor(x / y).
    {"mod", "cg_mod",
     "float cg_mod(float x, float y) { return x - y * floor(x / y); }\n"
     "float2 cg_mod(float2 x, float2 y) { return x - y * floor(x / y); }\n"
     "float3 cg_mod(float3 x, float3 y) { return x - y * floor(x / y); }\n"
     "float4 cg_mod(float4 x, float4 y) { return x - y * floor(x / y); }\n",
     false},
    // GLSL's names of Cg's frac and lerp, in shaders ported from GLSL.
    {"fract", "frac", "", false},
    {"mix", "lerp", "", false},
    CG_ROUNDING("float") CG_ROUNDING("float2") CG_ROUNDING("float3") CG_ROUNDING("float4")
        CG_GAPS("float", "bool", "int") CG_GAPS("float2", "bool2", "int2")
            CG_GAPS("float3", "bool3", "int3") CG_GAPS("float4", "bool4", "int4")
    // clang-format off
    CG_ARCTANGENT("float") CG_ARCTANGENT("float2") CG_ARCTANGENT("float3") CG_ARCTANGENT("float4")
    CG_ALL_ANY("float", "bool", "", "") CG_ALL_ANY("float2", "bool2", "all", "any")
    CG_ALL_ANY("float3", "bool3", "all", "any") CG_ALL_ANY("float4", "bool4", "all", "any")
    // clang-format on
    // A float1x1 is a float1 here (see CgDialect), whose determinant glslang finds ambiguous.
    {"determinant", "cg_determinant",
     "float cg_determinant(float1 m) { return m.x; }\n"
     "float cg_determinant(float2x2 m) { return determinant(m); }\n"
     "float cg_determinant(float3x3 m) { return determinant(m); }\n"
     "float cg_determinant(float4x4 m) { return determinant(m); }\n",
     false},
    // What it is given, but no longer a constant for glslang to fold (see CgExpressions).
    {"cg_kept", nullptr,
     "float cg_kept(float x) { return x; }\nfloat2 cg_kept(float2 x) { return x; }\n"
     "float3 cg_kept(float3 x) { return x; }\nfloat4 cg_kept(float4 x) { return x; }\n",
     false},
    // glslang's HLSL lit multiplies n_dot_h by m where Cg raises it to the power m.
    {"lit", "cg_lit",
     "float4 cg_lit(float n_dot_l, float n_dot_h, float m) { return float4(1.0, max(0.0, n_dot_l), "
     "n_dot_l > 0.0 ? pow(max(0.0, n_dot_h), m) : 0.0, 1.0); }\n",
     false},
    // max(lo, min(hi, x)) also where lo > hi, for which GLSL's clamp is undefined (Mesa gives hi).
    {"clamp", nullptr, "#define clamp(x, lo, hi) max(lo, min(hi, x))\n", true},
    // a + t * (b - a), where GLSL's mix is a * (1 - t) + b * t.
    {"lerp", nullptr, "#define lerp(a, b, t) ((a) + (t) * ((b) - (a)))\n", true},
    // As Cg writes them: GLSL 1.20 has none.
    {"isnan", nullptr, "#define isnan(x) ((x) != (x))\n", true},
    {"isinf", nullptr, "#define isinf(x) ((x) == (x) * 2.0 && (x) != 0.0)\n", true},
    {"isfinite", nullptr, "#define isfinite(x) ((x) == (x) && ((x) == 0.0 || (x) != (x) * 2.0))\n",
     true},
    // 0 in the GL profiles; glslang has none and crashes on it.
    {"noise", nullptr, "#define noise(x) 0.0\n", true},
    // Its formula also where a >= b, for which GLSL's is undefined.
    {"smoothstep", nullptr,
     "#define smoothstep(a, b, x) cg_hermite(saturate(((x) - (a)) / ((b) - (a))))\n"
     "float cg_hermite(float t) { return t * t * (3.0 - 2.0 * t); }\n"
     "float2 cg_hermite(float2 t) { return t * t * (3.0 - 2.0 * t); }\n"
     "float3 cg_hermite(float3 t) { return t * t * (3.0 - 2.0 * t); }\n"
     "float4 cg_hermite(float4 t) { return t * t * (3.0 - 2.0 * t); }\n",
     true},
    // The exponent as an integer (glslang crashes on that form), 0 for 0.
    {"frexp", nullptr,
     "float frexp(float x, out int e) { e = int(floor(log2(abs(x)))) + 1; e *= int(x != 0.0); "
     "return x / exp2(float(e)); }\n"
     "float2 frexp(float2 x, out int2 e) { e = int2(floor(log2(abs(x)))) + 1; "
     "e *= int2(x != 0.0); return x / exp2(float2(e)); }\n"
     "float3 frexp(float3 x, out int3 e) { e = int3(floor(log2(abs(x)))) + 1; "
     "e *= int3(x != 0.0); return x / exp2(float3(e)); }\n"
     "float4 frexp(float4 x, out int4 e) { e = int4(floor(log2(abs(x)))) + 1; "
     "e *= int4(x != 0.0); return x / exp2(float4(e)); }\n",
     true},
    // Projective lookups also with one coordinate fewer than glslang's: the last one divides.
    // Both forms are given, or glslang would pick the narrower one for a float4 as well.
    {"tex1Dproj", nullptr,
     "float4 tex1Dproj(sampler1D s, float2 c) { return tex1D(s, c.x / c.y); }\n"
     "float4 tex1Dproj(sampler1D s, float4 c) { return tex1D(s, c.x / c.w); }\n",
     true},
    {"tex2Dproj", nullptr,
     "float4 tex2Dproj(sampler2D s, float3 c) { return tex2D(s, c.xy / c.z); }\n"
     "float4 tex2Dproj(sampler2D s, float4 c) { return tex2D(s, c.xy / c.w); }\n",
     true},
    // The texel and level a fetch reads (see CgLookups), from the vectors cgc takes: the level
    // follows the texel, or is the last component where an offset comes too.
    {"tex1Dfetch", nullptr,
     "int2 tex1Dfetch(int2 c) { return c; }\n"
     "int2 tex1Dfetch(int3 c) { return c.xy; }\n"
     "int2 tex1Dfetch(int4 c) { return c.xy; }\n"
     "int2 tex1Dfetch(int4 c, bool withOffset) { return c.xw; }\n",
     true},
    {"tex2Dfetch", nullptr,
     "int3 tex2Dfetch(int3 c) { return c; }\n"
     "int3 tex2Dfetch(int4 c) { return c.xyz; }\n"
     "int3 tex2Dfetch(int4 c, bool withOffset) { return c.xyw; }\n",
     true},
    {"tex3Dfetch", nullptr,
     "int4 tex3Dfetch(int4 c) { return c; }\n"
     "int4 tex3Dfetch(int4 c, bool withOffset) { return c; }\n",
     true},
    // The size of a level, in an int3 whose components past the texture's are 0. The level count
    // the method also gives is dropped from the module (see CgSamplerUse).
    {"tex1Dsize", nullptr,
     "int3 tex1Dsize(sampler1D s, int lod) { uint w, n; s.GetDimensions(lod, w, n); "
     "return int3(w, 0, 0); }\n",
     true},
    {"tex2Dsize", nullptr,
     "int3 tex2Dsize(sampler2D s, int lod) { uint w, h, n; s.GetDimensions(lod, w, h, n); "
     "return int3(w, h, 0); }\n",
     true},
    {"tex3Dsize", nullptr,
     "int3 tex3Dsize(sampler3D s, int lod) { uint w, h, d, n; s.GetDimensions(lod, w, h, d, n); "
     "return int3(w, h, d); }\n",
     true},
    {"texCUBEsize", nullptr,
     "int3 texCUBEsize(samplerCUBE s, int lod) { uint w, h, n; s.GetDimensions(lod, w, h, n); "
     "return int3(w, h, 0); }\n",
     true},
    // texRECTsize's, with a parameter name that the GLSL's rectangle samplers are given back
    // under (see CgLookups), for where no legalization inlines the function.
    {"cg_rectangleSize", nullptr,
     "int3 cg_rectangleSize(sampler2D cg_rectangle, int lod) { uint w, h, n; "
     "cg_rectangle.GetDimensions(lod, w, h, n); return int3(w, h, 0); }\n",
     true},
    // The projection of a rectangle texture's lookup, and of those with an offset, done apart
    // from the lookup (see CgLookups): divided by the coordinate's last component.
    {"cg_projected", nullptr,
     "float cg_projected1D(float2 c) { return c.x / c.y; }\n"
     "float cg_projected1D(float3 c) { return c.x / c.z; }\n"
     "float2 cg_projected2D(float3 c) { return c.xy / c.z; }\n"
     "float2 cg_projected2D(float4 c) { return c.xy / c.w; }\n"
     "float3 cg_projected3D(float4 c) { return c.xyz / c.w; }\n",
     true},
};

#undef CG_ROUNDING
#undef CG_GAPS
#undef CG_ARCTANGENT
#undef CG_ALL_ANY
#undef CG_TRUTH

}  // namespace

const char* libraryTypes() {
    return TYPES;
}

const char* declaredTypes() {
    return DECLARED_TYPES;
}

std::string libraryPreamble(std::string_view source) {
    const std::set<std::string> own = definedFunctions(source);
    std::string preamble = TYPES;
    for (const LibraryFunction& function : LIBRARY) {
        if (!function.yieldsToSource || own.count(function.name) == 0) {
            preamble += function.definition;
        }
    }
    return preamble;
}

std::string_view libraryCall(std::string_view name) {
    for (const LibraryFunction& function : LIBRARY) {
        if (function.callAs != nullptr && name == function.name) {
            return function.callAs;
        }
    }
    return name;
}

}  // namespace cgrt
