// The Cg -> GLSL translator on its own: no GL, no display.
#include <gtest/gtest.h>

#include "CgSamplerUse.h"
#include "CgScan.h"
#include "CgSource.h"
#include "CgTranslator.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using cgrt::foldsStaticSamplers;
using cgrt::Stage;
using cgrt::translate;
using cgrt::UniformKind;

namespace {

const char* const PASS_THROUGH_FRAGMENT =
    "float4 fp_main(float4 color : COLOR0) : COLOR\n"
    "{\n"
    "    return color;\n"
    "}\n";

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Each part is in the text, or (with present false) none is.
void expectParts(const std::string& text, std::initializer_list<const char*> parts,
                 bool present = true) {
    for (const char* part : parts) {
        EXPECT_EQ(contains(text, part), present) << "'" << part << "' in:\n" << text;
    }
}

}  // namespace

TEST(CgTranslatorTest, RefusesWhatIsNoProgram) {
    // glslang only warns about a missing entry and would compile an empty program.
    const auto noEntry = translate(PASS_THROUGH_FRAGMENT, "a.cg", Stage::Fragment, "fp_other");
    EXPECT_FALSE(noEntry.ok);
    EXPECT_TRUE(contains(noEntry.listing, "a.cg")) << noEntry.listing;
    EXPECT_TRUE(contains(noEntry.listing, "'fp_other'")) << noEntry.listing;

    const auto empty = translate("", "empty.cg", Stage::Vertex, "main");
    EXPECT_FALSE(empty.ok);
    EXPECT_FALSE(empty.listing.empty());

    const std::string binary("float4\0\x01\x02", 9);
    const auto withNul = translate(binary, "bin.cg", Stage::Fragment, "main");
    EXPECT_FALSE(withNul.ok);
    EXPECT_TRUE(contains(withNul.listing, "bin.cg : error: byte 6 is a NUL")) << withNul.listing;

    const std::string huge =
        std::string(PASS_THROUGH_FRAGMENT) + std::string(cgrt::MAX_SOURCE_BYTES, ' ');
    const auto tooLong = translate(huge, "big.cg", Stage::Fragment, "fp_main");
    EXPECT_FALSE(tooLong.ok);
    EXPECT_TRUE(contains(tooLong.listing, "big.cg : error:")) << tooLong.listing;

    // Long runs of one word or blank, within the size accepted, are read through without running
    // out of stack (the passes over the source scan them by hand).
    std::string words;
    for (int i = 0; i < 200000; ++i) {
        words += "a ";
    }
    const auto longList =
        translate("float4 main(" + words + ")", "runs.cg", Stage::Fragment, "main");
    EXPECT_FALSE(longList.ok);
    EXPECT_TRUE(contains(longList.listing, "runs.cg(1) : error:")) << longList.listing;
    const std::string blanks(400000, ' ');
    const auto longBlanks = translate(
        "int" + blanks + "i;\nfloat2" + blanks + "v[1] = {1, 2};\n" + PASS_THROUGH_FRAGMENT,
        "runs.cg", Stage::Fragment, "fp_main");
    EXPECT_TRUE(longBlanks.ok) << longBlanks.listing;

    // A one-letter word as the very last byte: the passes that read a word's tail past its first
    // two letters (f1tex2D) stop at the end of the text.
    const auto lastLetter =
        translate(std::string(PASS_THROUGH_FRAGMENT) + "x", "end.cg", Stage::Fragment, "fp_main");
    EXPECT_FALSE(lastLetter.ok);
    EXPECT_TRUE(contains(lastLetter.listing, "end.cg(")) << lastLetter.listing;
}

TEST(CgTranslatorTest, ListingNamesTheFileAndItsOwnLines) {
    // `fixed4` comes from the translator's preamble, which must not shift the line numbers.
    const char* source =
        "fixed4 fp_main(float4 color : COLOR0) : COLOR\n"
        "{\n"
        "    float4 x = color\n"
        "    return x;\n"
        "}\n";
    const auto result = translate(source, "dir/fp_broken.cg", Stage::Fragment, "fp_main");
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(contains(result.listing, "dir/fp_broken.cg(4) : error:")) << result.listing;
    EXPECT_FALSE(contains(result.listing, "ERROR:")) << result.listing;

    // What the entry's declaration lacks is reported at its line, as #line markers count it; a
    // marker's line 0 is no line of the file, which is then named as a whole.
    const char* const noSemantic =
        "float4 helper(float4 c) { return c; }\n#line 20 \"lib.cg\"\n\n"
        "float4 fp_main(float4 c : COLOR0)\n{\n    return c;\n}\n";
    const std::string lacking =
        "error: the fragment program must return a struct or have an "
        "output semantic\n";
    EXPECT_EQ(translate(noSemantic, "e.cg", Stage::Fragment, "fp_main").listing,
              "lib.cg(21) : " + lacking);
    const char* const lineZero = "#line 0\nfloat4 fp_main(float4 c : COLOR0) { return c; }\n";
    EXPECT_EQ(translate(lineZero, "e.cg", Stage::Fragment, "fp_main").listing, "e.cg : " + lacking);
}

TEST(CgTranslatorTest, StagesShowEachStepAndStopWhereTheTranslationFails) {
    using cgrt::CgError;
    EXPECT_EQ(cgrt::format(CgError{"a.cg", 3, "x"}), "a.cg(3) : error: x\n");
    EXPECT_EQ(cgrt::format(CgError{"a.cg", 0, "x"}), "a.cg : error: x\n");
    EXPECT_EQ(cgrt::format(CgError{"", cgrt::NO_LOCATION, "x"}), "error: x\n");

    // A source's own clamp replaces the library's; fmod calls reach Cg's version of it.
    const char* source =
        "float clamp(float x, float lo, float hi) { return x; }\n"
        "float unused(float x) { return x * 2.0; }\n"
        "float4 fp_main(float4 color : COLOR0) : COLOR\n"
        "{\n"
        "    return float4(fmod(color.x, 0.5), clamp(color.y, 0.0, 1.0), color.zw);\n"
        "}\n";
    const auto stages = cgrt::translateStages(source, "s.cg", Stage::Fragment, "fp_main");
    std::vector<std::string> names;
    std::map<std::string, std::string> output;
    for (const auto& stage : stages) {
        names.push_back(stage.name);
        output[stage.name] = stage.output;
        EXPECT_TRUE(stage.errors.empty()) << stage.name << ": " << cgrt::format(stage.errors);
        EXPECT_FALSE(stage.failed) << stage.name;
    }
    EXPECT_EQ(names, cgrt::stageNames());
    const auto whole = translate(source, "s.cg", Stage::Fragment, "fp_main");
    ASSERT_TRUE(whole.ok) << whole.listing;
    EXPECT_EQ(output["glsl"], whole.glsl);
    EXPECT_EQ(output["source"], source);
    expectParts(output["reserved-words"], {"cg_fmod(color.x"});
    expectParts(output["reachable"], {"return x * 2.0"}, false);
    expectParts(output["preamble"], {"#define lerp(", "cg_fmod(float x"});
    expectParts(output["preamble"], {"#define clamp("}, false);
    expectParts(output["spirv"], {"EntryPoint Fragment"});

    // A failed stage is the last one run, and carries the translation's listing.
    const char* broken = "float4 fp_main(float4 c : COLOR0) : COLOR { return c +; }\n";
    const auto failed = cgrt::translateStages(broken, "b.cg", Stage::Fragment, "fp_main");
    ASSERT_FALSE(failed.empty());
    EXPECT_EQ(failed.back().name, "spirv");
    EXPECT_TRUE(failed.back().failed);
    EXPECT_EQ(cgrt::format(failed.back().errors),
              translate(broken, "b.cg", Stage::Fragment, "fp_main").listing);
    EXPECT_TRUE(contains(cgrt::format(failed.back().errors), "b.cg(1) : error:"));
}

TEST(CgTranslatorTest, StageInputsAndOutputsRideOnTheFixedFunctionBuiltins) {
    const char* vertex =
        "uniform float4x4 mvp;\n"
        "void vp_main(float3 position : POSITION, float4 normal : NORMAL,\n"
        "             float4 color : COLOR0, float2 uv : TEXCOORD3,\n"
        "             out float4 oPosition : POSITION, out float4 oColor : COLOR0,\n"
        "             out float3 oCoord : TEXCOORD1)\n"
        "{\n"
        "    oPosition = mul(mvp, float4(position, 1.0));\n"
        "    oColor = color + normal;\n"
        "    oCoord = float3(uv, 0.0);\n"
        "}\n";
    const auto v = translate(vertex, "vp.cg", Stage::Vertex, "vp_main");
    ASSERT_TRUE(v.ok) << v.listing;
    EXPECT_TRUE(contains(v.glsl, " gl_Vertex.xyz\n")) << v.glsl;
    // Wider than gl_Normal: the missing w is 1, as GL gives a missing attribute component.
    EXPECT_TRUE(contains(v.glsl, " vec4(gl_Normal, 1.0)\n")) << v.glsl;
    EXPECT_TRUE(contains(v.glsl, " gl_Color\n")) << v.glsl;
    EXPECT_TRUE(contains(v.glsl, " gl_MultiTexCoord3.xy\n")) << v.glsl;
    EXPECT_TRUE(contains(v.glsl, "gl_Position")) << v.glsl;
    EXPECT_TRUE(contains(v.glsl, " gl_FrontColor\n")) << v.glsl;
    EXPECT_TRUE(contains(v.glsl, " gl_TexCoord[1].xyz\n")) << v.glsl;
    EXPECT_FALSE(contains(v.glsl, "attribute")) << v.glsl;
    EXPECT_FALSE(contains(v.glsl, "varying")) << v.glsl;

    const auto f = translate(PASS_THROUGH_FRAGMENT, "fp.cg", Stage::Fragment, "fp_main");
    ASSERT_TRUE(f.ok) << f.listing;
    EXPECT_TRUE(contains(f.glsl, " gl_Color\n")) << f.glsl;
    EXPECT_TRUE(contains(f.glsl, " gl_FragData[0]\n")) << f.glsl;

    // A vertex program cannot hand on a normal: GL has no varying for it.
    const char* badOutput =
        "void vp_main(float4 p : POSITION, out float4 o : POSITION, out float3 n : NORMAL)\n"
        "{ o = p; n = p.xyz; }\n";
    const auto bad = translate(badOutput, "vp_bad.cg", Stage::Vertex, "vp_main");
    EXPECT_FALSE(bad.ok);
    EXPECT_TRUE(contains(bad.listing, "NORMAL")) << bad.listing;
}

// WebGL 1 under Emscripten's emulation: ES 1.00 without a #version line, varyings by name and
// the same names in both stages, vertex inputs still GL's (the emulation feeds those).
TEST(CgTranslatorTest, EsDialectNamesTheVaryingsAlikeInBothStages) {
    const char* vertex =
        "void vp_main(float4 position : POSITION, float3 normal : NORMAL,\n"
        "             out float4 oPosition : POSITION, out float4 oColor : COLOR0,\n"
        "             out float3 oCoord : TEXCOORD1, out float fog : FOG)\n"
        "{ oPosition = position; oColor = float4(normal, 1.0); oCoord = normal; fog = 1.0; }\n";
    const char* fragment =
        "float4 fp_main(float4 color : COLOR0, float2 uv : TEXCOORD1, float fog : FOG) : COLOR\n"
        "{ return color * uv.x * fog; }\n";
    const auto es = cgrt::Dialect::GlslEs100;
    const auto v = translate(vertex, "vp.cg", Stage::Vertex, "vp_main", es);
    const auto f = translate(fragment, "fp.cg", Stage::Fragment, "fp_main", es);
    ASSERT_TRUE(v.ok) << v.listing;
    ASSERT_TRUE(f.ok) << f.listing;
    for (const std::string& glsl : {v.glsl, f.glsl}) {
        expectParts(glsl, {"#version", "gl_TexCoord", "gl_FrontColor", "gl_Color"}, false);
        expectParts(glsl, {"varying highp vec4 cg_TexCoord1;\n", "varying highp vec4 cg_Color;\n",
                           "varying highp float cg_FogFragCoord;\n"});
    }
    expectParts(v.glsl, {" gl_Vertex\n", " gl_Normal\n", " cg_TexCoord1.xyz\n"});
    expectParts(f.glsl, {" cg_TexCoord1.xy\n", "precision highp float;"});

    // The desktop dialect of the same source is unchanged by it.
    const auto desktop = translate(vertex, "vp.cg", Stage::Vertex, "vp_main");
    ASSERT_TRUE(desktop.ok) << desktop.listing;
    EXPECT_EQ(desktop.glsl.rfind("#version 120\n", 0), 0u) << desktop.glsl;
    EXPECT_TRUE(contains(desktop.glsl, " gl_TexCoord[1].xyz\n")) << desktop.glsl;
}

TEST(CgTranslatorTest, UniformsAreListedInDeclarationOrderUnderStageNames) {
    const char* source =
        "uniform float4 tint;\n"
        "uniform float4x4 unusedMatrix;\n"
        "uniform sampler2D first;\n"
        "uniform float scale;\n"
        "uniform sampler2D second : TEXUNIT3;\n"
        "struct pair { float2 a : TEXCOORD1; float4 b : COLOR0; };\n"
        "float4 main(float2 uv : TEXCOORD0, uniform float2 shift, pair IN,\n"
        "            out float depth : DEPTH) : COLOR\n"
        "{\n"
        "    depth = IN.b.x;\n"
        "    return tint * scale * tex2D(first, uv + shift) * tex2D(second, IN.a);\n"
        "}\n";
    const auto f = translate(source, "fp.cg", Stage::Fragment, "main");
    ASSERT_TRUE(f.ok) << f.listing;
    ASSERT_EQ(f.uniforms.size(), 6u);
    // In source order, the unused one still there, with the semantic the declaration gives; the
    // entry's uniform parameters after the globals.
    EXPECT_EQ(f.uniforms[0].name, "tint");
    EXPECT_EQ(f.uniforms[0].kind, UniformKind::Vector);
    EXPECT_EQ(f.uniforms[0].components, 4);
    EXPECT_EQ(f.uniforms[1].name, "unusedMatrix");
    EXPECT_EQ(f.uniforms[1].kind, UniformKind::Matrix);
    EXPECT_EQ(f.uniforms[1].components, 16);
    EXPECT_EQ(f.uniforms[2].name, "first");
    EXPECT_EQ(f.uniforms[2].kind, UniformKind::Sampler);
    EXPECT_EQ(f.uniforms[3].name, "scale");
    EXPECT_EQ(f.uniforms[3].components, 1);
    EXPECT_EQ(f.uniforms[4].name, "second");
    EXPECT_EQ(f.uniforms[4].semantic, "TEXUNIT3");
    EXPECT_EQ(f.uniforms[5].name, "shift");

    // The entry's parameters as its signature declares them, varyings and the result included.
    std::string parameters;
    for (const cgrt::EntryParameter& p : f.parameters) {
        parameters += std::string(static_cast<std::size_t>(p.depth), '.') + p.name + ":" + p.type +
                      ":" + p.semantic + (p.direction == cgrt::Direction::Out ? ":out" : ":in") +
                      (p.uniform ? ":uniform" : "") + (p.structure ? ":struct" : "") +
                      (p.result ? ":result" : "") + " ";
    }
    EXPECT_EQ(parameters,
              "uv:float2:TEXCOORD0:in shift:float2::in:uniform IN:pair::in:struct "
              ".IN.a:float2:TEXCOORD1:in .IN.b:float4:COLOR0:in depth:float:DEPTH:out "
              "main:float4:COLOR:out:result ");

    // What the optimized code never reads or writes, by name (as the optimizer that strips the
    // static samplers finds it, where the build has one): the unused uniform alone here; below,
    // the member of a uniform struct, the inputs that only feed dead code and the output member
    // the entry never sets.
    using Names = std::vector<std::string>;
    EXPECT_EQ(f.unused, foldsStaticSamplers() ? Names{"unusedMatrix"} : Names{});
    const char* unused =
        "struct sizes { float2 video; float2 output; };\n"
        "struct vin { float4 p : POSITION; float2 t : TEXCOORD1; };\n"
        "struct vout { float4 p : POSITION; float4 spare : TEXCOORD2; };\n"
        "vout main(vin IN, float4 c : COLOR0, uniform sizes S, uniform float4x4 mvp)\n"
        "{ vout o; float4 dead = c * IN.t.x; o.p = mul(mvp, IN.p) * S.video.x; return o; }\n";
    const auto r = translate(unused, "vp.cg", Stage::Vertex, "main");
    ASSERT_TRUE(r.ok) << r.listing;
    EXPECT_EQ(r.unused,
              (foldsStaticSamplers() ? Names{"S.output", "IN.t", "c", "main.spare"} : Names{}));

    // The same names in the other stage must not collide once both stages share a GL program.
    const char* vertex =
        "uniform float4 tint;\n"
        "float4 main(float4 p : POSITION) : POSITION { return p * tint; }\n";
    const auto v = translate(vertex, "vp.cg", Stage::Vertex, "main");
    ASSERT_TRUE(v.ok) << v.listing;
    ASSERT_EQ(v.uniforms.size(), 1u);
    EXPECT_NE(v.uniforms[0].glslName, f.uniforms[0].glslName);
}

// The signature is read as the preprocessor leaves it, and what no program declares stays
// bounded: structs nested many members wide stop at a few thousand parameters instead of growing
// without end, an array size past any real one is none, an entry that is not there gives nothing.
TEST(CgTranslatorTest, EntryParametersAreReadWithinBounds) {
    std::string wide = "struct s0 { float4 a; };\n";
    for (int level = 1; level <= 8; ++level) {
        wide += "struct s" + std::to_string(level) + " {";
        for (int member = 0; member < 10; ++member) {
            wide += " s" + std::to_string(level - 1) + " m" + std::to_string(member) + ";";
        }
        wide += " };\n";
    }
    wide += "float4 main(uniform s8 deep, float4 c : COLOR0) : COLOR { return c; }\n";
    const auto start = std::chrono::steady_clock::now();
    const std::vector<cgrt::EntryParameter> deep = cgrt::entryParameters(wide, "main", true);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    ASSERT_EQ(deep.size(), 4096u);
    EXPECT_EQ(deep[1].name, "deep.m0");
    EXPECT_EQ(deep[9].name, "deep.m0.m0.m0.m0.m0.m0.m0.m0.a");

    const std::vector<cgrt::EntryParameter> arrays = cgrt::entryParameters(
        "#define N 4\n"
        "float4 main(uniform float4 a[N], uniform float b[99999999999], out float4 o : COLOR)\n"
        "{ o = a[0]; return o; }\n",
        "main", true);
    ASSERT_EQ(arrays.size(), 4u);       // a, b, o and the result
    EXPECT_EQ(arrays[0].arraySize, 0);  // unexpanded: the caller expands macros first
    EXPECT_EQ(arrays[1].arraySize, 0);
    EXPECT_EQ(arrays[2].direction, cgrt::Direction::Out);
    EXPECT_TRUE(arrays[3].result);
    EXPECT_TRUE(
        cgrt::entryParameters("float4 other() : COLOR { return 0; }", "main", true).empty());
}

// Global uniforms start where their initializers say, read after preprocessing and wherever they
// stand among structs, functions and comments; matrices come column by column.
TEST(CgTranslatorTest, UniformsStartWhereTheirInitializersSay) {
    const char* source =
        "#define K 0.5\n"
        "struct S { float a; };\n"
        "float scaled = K * 2 /* one */ + -0.25;\n"
        "#if 0\n"
        "float chosen = 1;\n"
        "#else\n"
        "float chosen = 2;\n"
        "#endif\n"
        "float twice(float x) { return x * 2; }\n"
        "float2 spread = 3;\n"
        "float2x2 m = float2x2(1, 2,\n"
        "                      3, 4);\n"
        "float2 pairs[2] = { { 5, 6 }, float2(7, 8), };\n"
        "uniform float3 unread;\n"
        "static float kept = 9;\n"
        "const float3 folded = K * float3(1, 2, 4);\n"
        "const static float hidden = 3;\n"
        "const int count = 16;\n"
        "float4 main(float2 uv : TEXCOORD0, uniform float d = 1.5) : COLOR\n"
        "{\n"
        "    float s = scaled + chosen + twice(spread.x) + m[0].x + pairs[1].y + unread.z;\n"
        "    return float4(s, d, folded.x * hidden, count) * kept;\n"
        "}\n";
    const auto f = translate(source, "fp.cg", Stage::Fragment, "main");
    ASSERT_TRUE(f.ok) << f.listing;
    std::map<std::string, std::vector<float>> initial;
    std::vector<std::string> order;
    for (const auto& u : f.uniforms) {
        initial[u.name] = u.initial;
        order.push_back(u.name);
    }
    // In the order declared, whatever their initializers hold (a constructor, a brace list).
    EXPECT_EQ(order, (std::vector<std::string>{"scaled", "chosen", "spread", "m", "pairs", "unread",
                                               "d"}));
    EXPECT_EQ(initial, (std::map<std::string, std::vector<float>>{
                           {"scaled", {0.75f}},
                           {"chosen", {2.0f}},
                           {"spread", {3.0f, 3.0f}},
                           {"m", {1.0f, 3.0f, 2.0f, 4.0f}},
                           {"pairs", {5.0f, 6.0f, 7.0f, 8.0f}},
                           {"unread", {}},
                           {"d", {1.5f}},
                       }));
    // The global constants as NVIDIA's runtime lists them: declared const and not static.
    ASSERT_EQ(f.constants.size(), 2u);
    EXPECT_EQ(f.constants[0].name, "folded");
    EXPECT_EQ(f.constants[0].values, (std::vector<float>{0.5f, 1.0f, 2.0f}));
    EXPECT_EQ(f.constants[1].name, "count");
    EXPECT_EQ(f.constants[1].values, (std::vector<float>{16.0f}));
}

TEST(CgTranslatorTest, ASourceEndingInsideABracketSaysSoAtItsLastLine) {
    struct Case {
        const char* source;
        const char* expected;
    };
    const Case cases[] = {
        // The closing brace forgotten; a brace in a comment or a disabled block does not count.
        {"// {\nfloat4 main() : COLOR {\n#if 0\n}\n#endif\n return 0;\n",
         "q.cg(6) : error: the source ends before a '{' is closed\n"},
        // A file cut off in the middle of an expression.
        {"float4 main(float4 c : COLOR0) : COLOR {\n float4 t = c;\n return max(t,",
         "q.cg(3) : error: the source ends before a '(' is closed\n"},
    };
    for (const Case& c : cases) {
        const auto result = translate(c.source, "q.cg", Stage::Fragment, "main");
        EXPECT_FALSE(result.ok) << c.source;
        EXPECT_EQ(result.listing, c.expected) << c.source;
    }
    // Other mistakes keep the compiler's own listing.
    const auto extra =
        translate("float4 main() : COLOR { return 0; }\n}\n", "q.cg", Stage::Fragment, "main");
    EXPECT_FALSE(extra.ok);
    EXPECT_TRUE(contains(extra.listing, "q.cg(2)")) << extra.listing;
    EXPECT_FALSE(contains(extra.listing, "the source ends")) << extra.listing;
}

// Fetches and lookups with an offset become texture methods: a call over several lines keeps the
// lines after it, one in another's arguments is written too, a coordinate cgc refuses is refused
// under the lookup's name, a source's own function of a lookup's name is its own, and GLSL ES 1.00,
// which has none of them, refuses them.
TEST(CgTranslatorTest, TexelLookupsAreWrittenAsGlslHasThem) {
    const char* spread =
        "uniform sampler2D s;\n"
        "float4 main(float2 uv : TEXCOORD0) : COLOR\n"
        "{\n    float4 a = tex2Dlod(s,\n        float4(uv, 0, 0),\n        int2(1, 1));\n"
        "    return a + tex2D(s, tex2Dfetch(s, int4(1, 2, 0, 0)).xy, int2(0, 1)) + missing;\n}\n";
    const auto broken = translate(spread, "a.cg", Stage::Fragment, "main");
    EXPECT_TRUE(contains(broken.listing, "a.cg(7) : error: 'missing'")) << broken.listing;
    const std::string fixed =
        std::string(spread).replace(std::string(spread).find(" + missing"), 10, "");
    const auto nested = translate(fixed, "a.cg", Stage::Fragment, "main");
    ASSERT_TRUE(nested.ok) << nested.listing;
    expectParts(nested.glsl, {"texelFetch", "textureOffset(", "LodOffset("});

    const auto refused = translate(
        "uniform sampler2D s;\nfloat4 main(float4 v : TEXCOORD0) : COLOR\n"
        "{\n    return tex2Dfetch(s, int3(v.xyz), int2(1, 1));\n}\n",
        "b.cg", Stage::Fragment, "main");
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(contains(refused.listing, "b.cg(4) : error: 'tex2Dfetch' : no matching"))
        << refused.listing;

    const char* own =
        "uniform sampler2D s;\n"
        "float4 tex2Dfetch(sampler2D t, int4 c) { return tex2D(t, float2(c.xy)); }\n"
        "float4 main(float4 v : TEXCOORD0) : COLOR { return tex2Dfetch(s, int4(v)); }\n";
    const auto kept = translate(own, "c.cg", Stage::Fragment, "main");
    ASSERT_TRUE(kept.ok) << kept.listing;
    EXPECT_FALSE(contains(kept.glsl, "texelFetch")) << kept.glsl;

    const auto es = translate(fixed, "a.cg", Stage::Fragment, "main", cgrt::Dialect::GlslEs100);
    EXPECT_FALSE(es.ok);
    EXPECT_TRUE(contains(es.listing, "cannot be expressed in GLSL ES 1.00")) << es.listing;
}

// Every pass reads the source through one scanner: what it takes for code, comment, string and
// directive is what the preprocessor takes.
TEST(CgTranslatorTest, TheScannerSeesDirectivesCommentsAndStringsAsThePreprocessorDoes) {
    using cgrt::text::withoutDirectives;
    struct Case {
        const char* source;
        const char* code;  // what is left once comments, strings and directives are blanked
    };
    const Case cases[] = {
        // A comment is one space: one that spans lines goes on with the directive it is in.
        {"#define X /* a\nb */ 1\nfloat y;\n", "              \n      \nfloat y;\n"},
        // A backslash at the line's end continues the directive, also after a comment or before a
        // Windows line end.
        {"#define F(a) \\\n  a\nfloat z; // c \\\n", "              \n   \nfloat z;       \n"},
        {"#define H \\\r\n  3\r\nint v;", "            \n    \nint v;"},
        {"#define G 1 // c \\\n  2\nint w;", "                  \n   \nint w;"},
        // A comment before the '#' leaves it first on its line; code before it does not.
        {"/* c */ # define A\nx # y\n", "                  \nx # y\n"},
        {"int a; /* c\n*/ #define B\n", "int a;     \n   #define B\n"},
        // Comment markers in a string are the string's, and an escaped quote does not end it.
        {"s = \"a/*b\"; t = 1;\n", "s =       ; t = 1;\n"},
        {"s = \"\\\"//\" + t;\n", "s =        + t;\n"},
        // An unclosed string ends at its line; an unclosed comment at the text's end.
        {"u = \"open\nv; /* w\nx", "u =      \nv;     \n "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(withoutDirectives(c.source), c.code) << c.source;
    }
    // The spans are what the reachability pass reads a macro's body from.
    const auto spans = cgrt::text::directivesOf("#if A /*\n*/ && B\nx;\n  #endif");
    ASSERT_EQ(spans.size(), 2u);
    EXPECT_EQ(spans[0].start, 0u);
    EXPECT_EQ(spans[0].end, 16u);
    EXPECT_EQ(spans[1].start, 22u);
    EXPECT_EQ(spans[1].end, 28u);

    // A function named only in a macro whose body goes on past a comment or a backslash is
    // reached, whatever the line ends; one named nowhere is left out, whatever it calls.
    const char* const macros =
        "#define SHADE(c) /* spans\n lines */ helper(c) * \\\n   other(c)\n"
        "float4 helper(float4 c) { return c; }\n"
        "float4 other(float4 c) { return c; }\n"
        "float4 unused(float4 c) { return c * undefinedName; }\n"
        "float4 fp_main(float4 c : COLOR0) : COLOR { return SHADE(c); }\n";
    std::string windows;  // the same with Windows line ends
    for (const char* c = macros; *c != '\0'; ++c) {
        windows += *c == '\n' ? "\r\n" : std::string(1, *c);
    }
    for (const std::string& text : {std::string(macros), windows}) {
        const auto shaded = translate(text, "m.cg", Stage::Fragment, "fp_main");
        EXPECT_TRUE(shaded.ok) << shaded.listing;
    }
}

// What Cg sources written for other programs rely on: includes (errors named in the included file),
// reserved HLSL words as names, functions never reached that would not compile, and the
// vertex-to-fragment interface by name and by POSITION.
TEST(CgTranslatorTest, CgSourcesOfOtherProgramsTranslateAsCgReadsThem) {
    const std::string folder = ::testing::TempDir();
    std::ofstream(folder + "cg_helpers.h")
        << "float4 shade(float4 c)\n{\n    return c * missing;\n}\n";
    const std::string main = folder + "cg_main.cg";
    std::ofstream(main)
        << "#include \"cg_helpers.h\"\n"
           "float4 fp_main(float4 c : COLOR0) : COLOR\n{\n    return shade(c);\n}\n";
    const cgrt::ExpandedSource source = cgrt::readCgSource(main, {});
    ASSERT_TRUE(source.ok) << source.listing;
    const auto broken = translate(source.text, main, Stage::Fragment, "fp_main");
    EXPECT_FALSE(broken.ok);
    // Included files are named with forward slashes, also where a path has backslashes (Windows).
    std::string shownFolder = folder;
    std::replace(shownFolder.begin(), shownFolder.end(), '\\', '/');
    EXPECT_TRUE(contains(broken.listing, shownFolder + "cg_helpers.h(3) : error:"))
        << broken.listing;
    std::remove((folder + "cg_helpers.h").c_str());
    std::remove(main.c_str());

    // Also words after a directive's name, which Cg's preprocessor passes over, a struct defined
    // twice alike, and more texture coordinates than GL's eight.
    const char* const cgOnly =
        "#ifndef CG_ONLY; stray words // and a comment\n"
        "struct data { float2 tex; };\n"
        "struct data {\n  float2 tex;\n};\n"
        "float4 unused(sampler1D s, float2 t) { return tex1D(s, t) + undefinedName; }\n"
        "void vp_main(float4 p : POSITION, float4 spare, float2 tex, out float4 oP : POSITION,\n"
        "             out data d, out float4 ninth : TEXCOORD8, out float4 first : TEXCOORD0)\n"
        "{\n    float d1 = 2.0;\n    oP = p;\n    d.tex = tex * d1;\n    ninth = p;\n"
        "    first = p;\n}\n"
        "float4 fp_main(float4 wpos : POSITION, in data d, float4 ninth : TEXCOORD8,\n"
        "               float4 first : TEXCOORD0, uniform sampler2D texture) : COLOR\n"
        "{\n    return tex2D(texture, d.tex) + wpos + ninth + first;\n}\n"
        "#endif CG_ONLY\n";
    const auto vertex = translate(cgOnly, "v.cg", Stage::Vertex, "vp_main");
    const auto fragment = translate(cgOnly, "f.cg", Stage::Fragment, "fp_main");
    ASSERT_TRUE(vertex.ok) << vertex.listing;
    ASSERT_TRUE(fragment.ok) << fragment.listing;
    // Varyings without a semantic are bound as cgc binds them: the vertex input the code reads to
    // the lowest generic attribute POSITION leaves (one it does not read to none), the struct
    // member to the lowest texture coordinate set the written semantics leave, in both stages
    // alike; and reported so. The GLSL profiles report cgc's names for them instead, numbered
    // past the identifiers the stage's code spells (d1 in the vertex entry only); a member named
    // as a parameter of the entry (tex in the vertex entry) is numbered, and that parameter
    // numbered past it.
    // Without the optimizer every input may be read, `spare` too, and takes the first attribute.
    const bool readsKnown = foldsStaticSamplers();
    expectParts(vertex.glsl, {readsKnown ? "_ATTR1 cgAttr1.xy\n" : "_ATTR2 cgAttr2.xy\n",
                              "_TEX1 gl_TexCoord[1].xy\n", "varying vec4 cgv_TEXCOORD8;"});
    expectParts(fragment.glsl,
                {"_TEX1 gl_TexCoord[1].xy\n", "varying vec4 cgv_TEXCOORD8;", "gl_FragCoord"});
    EXPECT_EQ(vertex.genericAttributes, readsKnown ? 1u << 1 : (1u << 1) | (1u << 2));
    std::vector<std::string> bound, named;
    for (const auto* side : {&vertex, &fragment}) {
        for (const auto& p : side->parameters) {
            bound.push_back(p.name + ":" + p.semantic);
            if (p.glslSemantic != p.semantic) {
                named.push_back(p.name + ":" + p.glslSemantic);
            }
        }
    }
    using Names = std::vector<std::string>;
    Names cgcNamed = {"tex:_TEX2", "d.tex:_D2._TEX1", "d.tex:_D1._TEX"};
    if (!readsKnown) {
        cgcNamed.insert(cgcNamed.begin(), "spare:_SPARE1");
    }
    EXPECT_EQ(named, cgcNamed);
    EXPECT_EQ(bound,
              (Names{"p:POSITION", readsKnown ? "spare:" : "spare:ATTR1",
                     readsKnown ? "tex:ATTR1" : "tex:ATTR2", "oP:POSITION", "d:", "d.tex:TEX1",
                     "ninth:TEXCOORD8", "first:TEXCOORD0", "wpos:POSITION", "d:", "d.tex:TEX1",
                     "ninth:TEXCOORD8", "first:TEXCOORD0", "texture:", "fp_main:COLOR"}));
    ASSERT_EQ(fragment.uniforms.size(), 1u);
    EXPECT_EQ(fragment.uniforms[0].name, "texture");
    EXPECT_EQ(fragment.uniforms[0].kind, UniformKind::Sampler);

    // A global the program writes, uniform or sampler, is its own copy, and still a parameter of
    // the program; GLSL's array constructors
    // (nested calls among their arguments) and matrix names, which ported sources use, are Cg's;
    // so are matrices of one row, which glslang cannot construct, and arrays of vectors written
    // as their scalars.
    const char* const writes =
        "float4 tint;\n"
        "sampler2D picked;\n"
        "float4 fp_main(float2 t : TEXCOORD0, uniform sampler2D image) : COLOR\n"
        "{\n    picked = image;\n    tint.x += 1.0;\n"
        "    const float w[3] = float[](0.25, float(0.5), 0.25);\n"
        "    mat3x3 m = mat3x3(1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0);\n"
        "    float1x3 row = float1x3(t, 1.0);\n"
        "    const float2 pairs[2] = {0.5, 0.25, float(1.0), 2.0,  // trailing comma\n};\n"
        "    return tex2D(picked, t) * tint * (w[0] + w[1]) * mul(row, m).x * pairs[1].y;\n}\n";
    const auto written = translate(writes, "w.cg", Stage::Fragment, "fp_main");
    ASSERT_TRUE(written.ok) << written.listing;
    std::vector<std::string> names;
    for (const auto& u : written.uniforms) {
        names.push_back(u.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"tint", "picked", "image"}));
    // Mesa takes samplers only as uniforms: the copy must be gone, where the translator has the
    // optimizer that folds it (without, only other programs' shaders keep such a copy).
    expectParts(written.glsl, {"sampler2D picked"}, !foldsStaticSamplers());
    // A stage that reads no global still has those the source declares.
    const auto none = translate(
        "float4 unread;\nfloat4 vp_main(float4 p : POSITION) : POSITION\n"
        "{\n    return p;\n}\n",
        "u.cg", Stage::Vertex, "vp_main");
    ASSERT_TRUE(none.ok) << none.listing;
    ASSERT_EQ(none.uniforms.size(), 1u);
    EXPECT_EQ(none.uniforms[0].name, "unread");

    // Numbers are arguments too: each call reaches the overload of as many parameters, and the
    // one never called is still left out.
    const char* const numbers =
        "float helper(float x) { return x * 2.0; }\n"
        "float helper(float x, float y) { return x * undefinedName; }\n"
        "float4 fp_main(float4 c : COLOR0) : COLOR\n"
        "{\n    return c * helper(1.0) * helper(2) * helper(0.5f);\n}\n";
    const auto called = translate(numbers, "n.cg", Stage::Fragment, "fp_main");
    EXPECT_TRUE(called.ok) << called.listing;

    // A local named like the function its initializer calls still calls the function (cgc
    // refuses that; a name read in its own initializer is declared before it).
    const char* const sameName =
        "float luma(float3 c) { return dot(c, float3(0.25, 0.5, 0.25)); }\n"
        "float4 fp_main(float4 c : COLOR0) : COLOR\n"
        "{\n    float luma = luma(c.rgb);\n    return c * luma;\n}\n";
    const auto lumaCalled = translate(sameName, "l.cg", Stage::Fragment, "fp_main");
    EXPECT_TRUE(lumaCalled.ok) << lumaCalled.listing;
}

namespace {

// A fresh folder for the files of one test, removed with it.
class Folder {
  public:
    Folder()
        : path_(std::filesystem::path(::testing::TempDir()) /
                (std::string("cg-") +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~Folder() { std::filesystem::remove_all(path_); }

    std::string path() const { return path_.string() + "/"; }
    std::string write(const std::string& name, const std::string& text) const {
        std::ofstream(path() + name, std::ios::binary) << text;
        return path() + name;
    }

  private:
    std::filesystem::path path_;
};

const char* const USES_SHADE =
    "float4 fp_main(float4 c : COLOR0) : COLOR\n{\n    return shade(c);\n}\n";

}  // namespace

// Every file a source names goes through one reader, whose refusals name the include line; each
// comes within a second, having read at most a megabyte and a byte of any file.
TEST(CgTranslatorTest, TheReaderRefusesWhatIsNoSourceAtTheLineThatNamesIt) {
    Folder f;
    const std::string d = f.path();
    std::filesystem::create_directory(d + "folder.h");
    // 200 MB that take no room: a read of all of it would take seconds and the memory.
    std::filesystem::resize_file(f.write("big.h", ""), 200000000);
    // Not "nul.h": Windows takes any name NUL.* for its null device.
    f.write("stray-nul.h", std::string("float a;\nfloat b\0;\n", 19));
    f.write("self.h", "#include \"other.h\"\n");
    f.write("other.h", "\n#include \"self.h\"\n");
    for (int i = 0; i < 40; ++i) {
        f.write("deep" + std::to_string(i) + ".h",
                "#include \"deep" + std::to_string(i + 1) + ".h\"\n");
    }
    // Each level twice, unguarded: 2^28 pastes were it not for the bound on the pasted size.
    for (int i = 0; i < 28; ++i) {
        const std::string next = "#include \"twice" + std::to_string(i + 1) + ".h\"\n";
        f.write("twice" + std::to_string(i) + ".h", next + next + "// level\n");
    }
    struct Case {
        std::string include;
        std::string listing;
    };
    const std::string top = d + "top.cg";
    std::vector<Case> cases = {
        {"folder.h",
         top + "(1) : error: cannot read the include file \"folder.h\": Is a directory\n"},
        {"big.h", top + "(1) : error: the include file \"big.h\" is too long (200000000 bytes); at "
                        "most 1048576 bytes are accepted\n"},
        {"stray-nul.h", d + "stray-nul.h(2) : error: a NUL character: this is not a source text\n"},
        {"self.h", d + "other.h(2) : error: the includes form a cycle: " + d + "self.h -> " + d +
                       "other.h -> " + d + "self.h\n"},
        {"deep0.h", d + "deep31.h(1) : error: includes nest deeper than 32 files\n"},
    };
#if !defined(_WIN32)
    // A FIFO without a writer, and a device without an end.
    ASSERT_EQ(mkfifo((d + "fifo.h").c_str(), 0600), 0);
    for (const char* special : {"fifo.h", "/dev/zero"}) {
        cases.push_back({special, top + "(1) : error: cannot read the include file \"" + special +
                                      "\": it is not a regular file\n"});
    }
#endif
    for (const Case& c : cases) {
        f.write("top.cg", "#include \"" + c.include + "\"\n" + USES_SHADE);
        const auto start = std::chrono::steady_clock::now();
        const cgrt::ExpandedSource source = cgrt::readCgSource(top, {});
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << c.include;
        EXPECT_FALSE(source.ok) << c.include;
        EXPECT_EQ(source.listing, c.listing);
    }
    // Where the pasted text outgrows the bound depends on the length of the paths in its markers.
    f.write("top.cg", "#include \"twice0.h\"\n" + std::string(USES_SHADE));
    const cgrt::ExpandedSource tooMuch = cgrt::readCgSource(top, {});
    EXPECT_FALSE(tooMuch.ok);
    EXPECT_EQ(tooMuch.listing.rfind(d + "twice", 0), 0u) << tooMuch.listing;
    EXPECT_TRUE(contains(tooMuch.listing,
                         ": error: with this include the source grows past "
                         "1048576 bytes\n"))
        << tooMuch.listing;
    // The same guards for the file named on the command line.
    for (const char* name : {"fifo.h", "folder.h", "big.h"}) {
        const cgrt::ExpandedSource source = cgrt::readCgSource(d + name, {});
        EXPECT_FALSE(source.ok);
        EXPECT_EQ(source.listing.rfind(d + name + " : error: ", 0), 0u) << source.listing;
    }
}

// A file whose text is one #ifndef block is pasted once its guard is surely defined, however
// often it is named: guarded files that include each other, and a chain that names each level
// twice, translate quickly. A paste that a conditional may skip defines nothing.
TEST(CgTranslatorTest, IncludeGuardsAreHonouredWherePastingIsSureToHaveDefinedThem) {
    Folder f;
    f.write("a.h",
            "// a licence\n#ifndef A_H\n#define A_H\n#include \"b.h\"\n"
            "float4 shade(float4 c) { return twice(c); }\n#endif // A_H\n");
    f.write("b.h",
            "#if !defined(B_H)\n#define B_H\n#include \"a.h\"\n"
            "float4 twice(float4 c) { return c * 2.0; }\n#endif\n");
    for (int i = 0; i < 20; ++i) {
        const std::string name = "G" + std::to_string(i);
        const std::string next = "#include \"g" + std::to_string(i + 1) + ".h\"\n";
        f.write("g" + std::to_string(i) + ".h",
                "#ifndef " + name + "\n#define " + name + "\n" + next + next + "#endif\n");
    }
    f.write("g20.h", "#ifndef G20\n#define G20\nfloat4 shade(float4 c) { return c; }\n#endif\n");
    f.write("late.h", "#ifndef LATE\n#define LATE\nfloat4 shade(float4 c) { return c; }\n#endif\n");
    for (const std::string include : {"#include \"a.h\"\n", "#include \"g0.h\"\n",
                                      "#ifdef NOT_DEFINED\n#include \"late.h\"\n#endif\n"
                                      "#include \"late.h\"\n"}) {
        const std::string top = f.write("top.cg", include + USES_SHADE);
        const auto start = std::chrono::steady_clock::now();
        const cgrt::ExpandedSource source = cgrt::readCgSource(top, {});
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << include;
        ASSERT_TRUE(source.ok) << source.listing;
        EXPECT_LT(source.text.size(), 16384u) << include;
        const auto t = translate(source.text, top, Stage::Fragment, "fp_main");
        EXPECT_TRUE(t.ok) << include << t.listing;
    }
}

// -D definitions are arguments: their mistakes are named as such, not at lines of the source.
TEST(CgTranslatorTest, BadDefinitionsAreArgumentErrors) {
    struct Case {
        std::vector<std::string> defines;
        const char* listing;
    };
    const Case cases[] = {
        {{"=1"}, "error: -D=1: a macro name must come first\n"},
        {{"2X"}, "error: -D2X: a macro name must come first\n"},
        {{"X=1", "X=2"}, "error: -DX is given twice, as \"1\" and \"2\"\n"},
        {{"X=1\n#error injected"}, "error: -DX=1: the value has a line break\n"},
    };
    for (const Case& c : cases) {
        cgrt::SourceOptions options;
        options.defines = c.defines;
        const auto source = cgrt::expandCgSource(PASS_THROUGH_FRAGMENT, "d.cg", "", options);
        EXPECT_FALSE(source.ok) << c.listing;
        EXPECT_EQ(source.listing, c.listing);
    }
    cgrt::SourceOptions same;
    same.defines = {"X=1", "X=1", "Y"};
    EXPECT_TRUE(cgrt::expandCgSource(PASS_THROUGH_FRAGMENT, "d.cg", "", same).ok);
}

namespace {

// "| a | b |" -> {"a", "b"}
std::vector<std::string> tableCells(const std::string& line) {
    std::vector<std::string> cells;
    std::istringstream in(line.substr(1));
    std::string cell;
    while (std::getline(in, cell, '|')) {
        const std::size_t first = cell.find_first_not_of(' ');
        const std::size_t last = cell.find_last_not_of(' ');
        cells.push_back(first == std::string::npos ? "" : cell.substr(first, last - first + 1));
    }
    return cells;
}

}  // namespace

// docs/cg-coverage.md says, for each form, semantic and library function, whether it translates:
// every example there must do what its row says.
TEST(CgTranslatorTest, CoverageTableSaysWhatTranslates) {
    const std::string path = std::string(SHADOW_SOURCE_DIR) + "/docs/cg-coverage.md";
    std::ifstream table(path);
    ASSERT_TRUE(table.is_open()) << path;
    std::map<std::string, int> counts;
    std::string line;
    while (std::getline(table, line)) {
        if (line.rfind("| ", 0) != 0 || line.rfind("| Form |", 0) == 0) {
            continue;
        }
        const std::vector<std::string> cells = tableCells(line);
        ASSERT_EQ(cells.size(), 4u) << line;
        const std::string& status = cells[1];
        ASSERT_TRUE(status == "works" || status == "refused" || status == "not yet") << line;
        ASSERT_TRUE(cells[2] == "vertex" || cells[2] == "fragment") << line;
        const std::string& example = cells[3];
        ASSERT_TRUE(example.size() > 2 && example.front() == '`' && example.back() == '`') << line;
        const auto result =
            translate(example.substr(1, example.size() - 2), "row.cg",
                      cells[2] == "vertex" ? Stage::Vertex : Stage::Fragment, "main");
        EXPECT_EQ(result.ok, status == "works") << cells[0] << ": " << result.listing;
        if (!result.ok) {
            // Refused or not, it says where and why, never in glslang's own words.
            EXPECT_TRUE(contains(result.listing, "row.cg")) << cells[0] << ": " << result.listing;
            EXPECT_FALSE(contains(result.listing, "ERROR:")) << cells[0] << ": " << result.listing;
        }
        ++counts[status];
    }
    // The table is there, and as long as it was written.
    EXPECT_GE(counts["works"], 100);
    EXPECT_GE(counts["refused"], 3);
    std::printf("coverage: %d work, %d refused as cgc refuses, %d not yet\n", counts["works"],
                counts["refused"], counts["not yet"]);
}
