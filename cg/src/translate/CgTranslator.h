// Turns a Cg program into GLSL 1.20 for the compatibility profile, without touching GL: glslang
// compiles the source as DirectX 9 style HLSL to SPIR-V, SPIRV-Cross writes the GLSL. Stage
// inputs and outputs are mapped onto GL's fixed-function built-ins by semantic, so a vertex
// program works with glVertex/glNormal/... and the two stages link as in Cg, each with the
// fixed-function pipeline on the other side as well.
#pragma once

#include "CgEntryParameters.h"
#include "CgError.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cgrt {

enum class Stage { Vertex, Fragment };

// What the generated code is written in. The ES form is for WebGL 1 under Emscripten's legacy GL
// emulation: no #version line (the emulation adds declarations at the top of the source, before
// which a #version line may not stand), and varyings by name, since ES has no gl_TexCoord or
// gl_FrontColor. Vertex inputs keep GL's built-in names, which the emulation feeds.
enum class Dialect { Glsl120, GlslEs100 };

enum class UniformKind {
    Vector,   // float .. float4: `components` values
    Matrix,   // floatRxC (R, C 2 to 4): `components` = R * C, `rows` = R, kept column by column
    Sampler,  // `samplerTarget` says which texture target it reads
    Other,    // found by name, but no value can be set (arrays, structs, integers, ...)
};

enum class SamplerTarget {
    None,
    Texture1D,
    Texture2D,
    Texture3D,
    TextureCube,
    TextureRectangle,
    Texture2DShadow,  // a 2D depth texture read with a comparison
};

struct Uniform {
    std::string name;      // as the source declares it
    std::string glslName;  // what the generated GLSL calls it (for glGetUniformLocation)
    UniformKind kind = UniformKind::Other;
    int components = 0;
    SamplerTarget samplerTarget = SamplerTarget::None;
    // What it starts at, as its initializer says (vectors as given, matrices column by column,
    // arrays element after element); empty for zeros.
    std::vector<float> initial;
    // Of an array of floats or float vectors (kind Other): each element's size, 1 to 4, and the
    // number of elements. An array of matrices has no width: `components` and `rows` give each
    // element's shape.
    int arrayWidth = 0;
    int arraySize = 0;
    // A vector (kind Vector) of ints: its values are set as floats and sent as ints.
    bool integer = false;
    int rows = 0;          // of a matrix
    std::string semantic;  // as the declaration gives it ("TEXUNIT1"); "" for none
    // A square matrix the code reads as it stands, its GLSL columns Cg's rows, as a non-square one
    // always is: a uniform member of a varying struct, which glslang makes a variable of its own
    // and no layout can turn.
    bool readByRows = false;
    std::string declaredType;  // of a global, as written ("cg_input" for a struct); "" unread
};

// A matrix of `rows` given row by row (Cg's "fr" order), column by column ("fc") into `byColumns`.
inline void toColumns(const float* byRows, int rows, int columns, float* byColumns) {
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            byColumns[column * rows + row] = byRows[row * columns + column];
        }
    }
}

// A global constant (`const float3 k = ...;`) with the values its initializer gives: NVIDIA's
// runtime walks it among the parameters.
struct Constant {
    std::string name;
    std::vector<float> values;
};

struct Translation {
    bool ok = false;
    std::string glsl;
    // Diagnostics as "<name>(<line>) : error: <text>", lines counted in the source as given.
    std::string listing;
    // Every uniform the source declares, in declaration order, used by the code or not.
    std::vector<Uniform> uniforms;
    // The generic vertex attributes the code reads, bit n for attribute n (declared as cgAttrN):
    // the inputs of semantics GL has no built-in for (ATTRn, TANGENT, ...).
    std::uint16_t genericAttributes = 0;
    // The entry's parameters as the signature declares them, varyings and structs included.
    std::vector<EntryParameter> parameters;
    // The names of those uniforms and varying inputs that the optimized code never reads, and of
    // the outputs it never writes.
    std::vector<std::string> unused;
    // The sampler uniforms the optimized code reads, in the order it first reads them.
    std::vector<std::string> samplersByFirstRead;
    // The global constants whose initializers can be read, in the order declared.
    std::vector<Constant> constants;
};

// Larger sources are refused before parsing: nothing this program loads comes near it, and a
// runaway file (or the wrong one) should fail quickly with a clear message.
constexpr std::size_t MAX_SOURCE_BYTES = 1024 * 1024;

// `name` stands for the source in diagnostics (a file's path, usually).
Translation translate(std::string_view source, const std::string& name, Stage stage,
                      const std::string& entry, Dialect dialect = Dialect::Glsl120);

// What one stage of a translation made, and the errors it reported (the failed stage is the
// last one run). The stages, in order: the source, each pass over the Cg text, the preamble of
// library definitions, the SPIR-V glslang made of it (disassembled), SPIRV-Cross's GLSL and the
// GLSL as it is handed out.
struct StageOutput {
    std::string name;
    std::string output;
    std::vector<CgError> errors;
    bool failed = false;  // the translation ended here without GLSL
};

// The translation of `translate`, stage by stage: for a person looking for where it went wrong.
std::vector<StageOutput> translateStages(std::string_view source, const std::string& name,
                                         Stage stage, const std::string& entry,
                                         Dialect dialect = Dialect::Glsl120);

// Every stage's name, in the order they run.
std::vector<std::string> stageNames();

// Builds glslang's tables of built-in functions, for both stages: most of a process's first
// translation goes there, and none of the following ones'.
void warmUpTranslator();

}  // namespace cgrt
