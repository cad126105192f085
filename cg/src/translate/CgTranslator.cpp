#include "CgTranslator.h"

#include "CgDialect.h"
#include "CgExpressions.h"
#include "CgEntryUniforms.h"
#include "CgError.h"
#include "CgIndices.h"
#include "CgLibrary.h"
#include "CgLookups.h"
#include "CgReachable.h"
#include "CgReads.h"
#include "CgScan.h"
#include "CgSamplerUse.h"
#include "CgSourceEnd.h"
#include "CgSpirvWalk.h"
#include "CgUniformInitials.h"
#include "CgVersion.h"

#include <glslang/Public/ResourceLimits.h>
#include <glslang/Public/ShaderLang.h>
#include <glslang/SPIRV/GlslangToSpv.h>
#include <glslang/SPIRV/disassemble.h>
#include <spirv_glsl.hpp>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <unordered_set>
#include <utility>

namespace cgrt {
namespace {

void ensureGlslangReady() {
    static const bool ready = glslang::InitializeProcess();
    (void)ready;
}

std::string upper(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return s;
}

// Where "<file>:<line>:" ends in a glslang message: the first colon that digits and another colon
// follow (a file name may hold colons itself, as in "C:\\shaders\\a.cg"). npos when there is none.
std::size_t locationEnd(const std::string& rest, std::size_t& colon, std::size_t& digitsEnd) {
    for (colon = rest.find(':'); colon != std::string::npos; colon = rest.find(':', colon + 1)) {
        digitsEnd = colon + 1;
        while (digitsEnd < rest.size() &&
               std::isdigit(static_cast<unsigned char>(rest[digitsEnd]))) {
            ++digitsEnd;
        }
        if (digitsEnd > colon + 1 && digitsEnd < rest.size() && rest[digitsEnd] == ':') {
            return digitsEnd + 1;
        }
    }
    return std::string::npos;
}

// glslang says "ERROR: <file>:<line>: <text>"; Cg users read "<file>(<line>) : error: <text>".
// The file is the source's name, or the one a #line marker of an included file gave.
std::vector<CgError> rewriteLog(const std::string& log) {
    std::istringstream in(log);
    std::string line;
    std::vector<CgError> out;
    while (std::getline(in, line)) {
        while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) {
            line.pop_back();
        }
        if (line.empty()) {
            continue;
        }
        std::string severity;
        std::string rest;
        if (line.rfind("ERROR: ", 0) == 0) {
            severity = "error";
            rest = line.substr(7);
        } else if (line.rfind("WARNING: ", 0) == 0) {
            severity = "warning";
            rest = line.substr(9);
        }
        std::size_t colon = 0, digitsEnd = 0;
        const std::size_t textAt =
            severity.empty() ? std::string::npos : locationEnd(rest, colon, digitsEnd);
        if (textAt != std::string::npos) {
            std::size_t text = textAt;
            while (text < rest.size() && rest[text] == ' ') {
                ++text;
            }
            out.push_back({rest.substr(0, colon),
                           std::strtol(rest.c_str() + colon + 1, nullptr, 10), rest.substr(text),
                           severity});
            continue;
        }
        // glslang's closing tally ("1 compilation errors. No code generated.") adds nothing.
        if (line.find("compilation errors") != std::string::npos) {
            continue;
        }
        out.push_back(severity.empty() ? CgError{"", NO_LOCATION, line, ""}
                                       : CgError{"", NO_LOCATION, rest, severity});
    }
    return out;
}

struct Builtin {
    std::string glsl;
    int width;
    // The generic vertex attribute (cgAttrN) the generated code declares itself; 0 for a
    // built-in.
    int attribute = 0;
};

// TEXCOORD8 and on, which GL has no built-in varying for.
bool isExtraTexCoord(const std::string& semantic) {
    int index = 0;
    const std::string base = splitSemantic(semantic, index);
    return (base == "TEXCOORD" || base == "TEX") && index >= 8;
}

// The generic vertex attribute that NVIDIA's GL profiles bind a vertex input of the given
// semantic to (TANGENT is ATTR14 in arbvp1, and so on), for those GL has no built-in of its own.
std::optional<Builtin> genericAttribute(const std::string& base, int index) {
    static const std::pair<const char*, int> NUMBERED[] = {
        {"BLENDWEIGHT", 1}, {"PSIZE", 6}, {"BLENDINDICES", 7}, {"TANGENT", 14}, {"BINORMAL", 15}};
    int number = base == "ATTR" && index > 0 && index < 16 ? index : -1;
    for (const auto& named : NUMBERED) {
        if (base == named.first && index == 0) {
            number = named.second;
        }
    }
    if (number < 0) {
        return std::nullopt;
    }
    return Builtin{"cgAttr" + std::to_string(number), 4, number};
}

// The GL built-in that carries a stage input or output of the given semantic.
std::optional<Builtin> builtinFor(Stage stage, bool input, const std::string& semantic) {
    int index = 0;
    const std::string base = splitSemantic(semantic, index);
    const bool texcoord = (base == "TEXCOORD" || base == "TEX") && index < 8;
    const bool color = (base == "COLOR" || base == "COL") && index < 2;
    if (stage == Stage::Vertex && input) {
        if ((base == "POSITION" || base == "ATTR") && index == 0) {
            return Builtin{"gl_Vertex", 4};
        }
        if (base == "NORMAL" && index == 0) {
            return Builtin{"gl_Normal", 3};
        }
        if ((base == "COLOR" && index == 0) || base == "DIFFUSE") {
            return Builtin{"gl_Color", 4};
        }
        if ((base == "COLOR" && index == 1) || base == "SPECULAR") {
            return Builtin{"gl_SecondaryColor", 4};
        }
        if (base == "TEXCOORD" && index < 8) {
            return Builtin{"gl_MultiTexCoord" + std::to_string(index), 4};
        }
        // arbvp1 reads both from attribute 5, the fog coordinate, and so does cgc's glslv.
        if ((base == "FOGCOORD" || base == "TESSFACTOR") && index == 0) {
            return Builtin{"gl_FogCoord", 1};
        }
        // EXT_gpu_shader4's, as cgc's GL profiles read them.
        if ((base == "VERTEXID" || base == "INSTANCEID") && index == 0) {
            return Builtin{base == "VERTEXID" ? "float(gl_VertexID)" : "float(gl_InstanceID)", 1};
        }
        return genericAttribute(base, index);
    }
    if (stage == Stage::Vertex) {
        if ((base == "POSITION" || base == "HPOS") && index == 0) {
            return Builtin{"gl_Position", 4};
        }
        if (color) {
            return Builtin{index == 0 ? "gl_FrontColor" : "gl_FrontSecondaryColor", 4};
        }
        if (base == "BCOL" && index < 2) {
            return Builtin{index == 0 ? "gl_BackColor" : "gl_BackSecondaryColor", 4};
        }
        if (texcoord) {
            return Builtin{"gl_TexCoord[" + std::to_string(index) + "]", 4};
        }
        if ((base == "FOG" || base == "FOGC") && index == 0) {
            return Builtin{"gl_FogFragCoord", 1};
        }
        if ((base == "PSIZE" || base == "PSIZ") && index == 0) {
            return Builtin{"gl_PointSize", 1};
        }
        // GLSL 1.30's; a program that writes one is given a #version 130 line.
        if (base == "CLP" && index < 6) {
            return Builtin{"gl_ClipDistance[" + std::to_string(index) + "]", 1};
        }
        return std::nullopt;
    }
    if (input) {
        if (color) {
            return Builtin{index == 0 ? "gl_Color" : "gl_SecondaryColor", 4};
        }
        if (texcoord) {
            return Builtin{"gl_TexCoord[" + std::to_string(index) + "]", 4};
        }
        if ((base == "FOG" || base == "FOGC") && index == 0) {
            return Builtin{"gl_FogFragCoord", 1};
        }
        if (base == "PRIMITIVEID" && index == 0) {
            return Builtin{"float(gl_PrimitiveID)", 1};
        }
        // cgc's GL profiles read FACE as 1 for a front face and 0 for a back one.
        if ((base == "FACE" || base == "VFACE") && index == 0) {
            return Builtin{"float(gl_FrontFacing)", 1};
        }
        // Cg gives a fragment program that reads POSITION the window position, as WPOS.
        if ((base == "WPOS" || base == "VPOS" || base == "POSITION") && index == 0) {
            return Builtin{"gl_FragCoord", 4};
        }
        return std::nullopt;
    }
    if ((base == "COLOR" || base == "COL") && index < 4) {
        return Builtin{"gl_FragData[" + std::to_string(index) + "]", 4};
    }
    if ((base == "DEPTH" || base == "DEPR") && index == 0) {
        return Builtin{"gl_FragDepth", 1};
    }
    return std::nullopt;
}

const char* const SWIZZLES[] = {"", ".x", ".xy", ".xyz"};

// What the generated code reads or writes in place of a stage variable of `width` components
// carried by `builtin`. Narrower variables use the leading components; a wider input gets the
// components GL would give a missing attribute (0, 0, 0, 1).
std::optional<std::string> adapt(const Builtin& builtin, int width, bool input) {
    if (width == builtin.width) {
        return builtin.glsl;
    }
    if (width < builtin.width) {
        return builtin.glsl + SWIZZLES[width];
    }
    if (!input) {
        return std::nullopt;
    }
    std::string expr = "vec" + std::to_string(width) + "(" + builtin.glsl;
    for (int i = builtin.width; i < width; ++i) {
        expr += i == 3 ? ", 1.0" : ", 0.0";
    }
    return expr + ")";
}

// Two stage variables may share one declaration (two semantics of one attribute, say).
void addDeclaration(const std::string& declaration, std::string& declarations) {
    if (declarations.find(declaration) == std::string::npos) {
        declarations += declaration;
    }
}

// ES has no built-in varyings: those GL 1.20 carries in one get a name of their own, the same in
// both stages so that they link. The vertex output gl_FrontColor and the fragment input gl_Color
// are the same varying. Others (gl_Position, gl_PointSize, gl_FragCoord) are ES built-ins too.
Builtin namedVarying(const Builtin& builtin, std::string& declarations) {
    static const std::pair<const char*, const char*> RENAMES[] = {
        {"gl_FrontColor", "cg_Color"},
        {"gl_Color", "cg_Color"},
        {"gl_FrontSecondaryColor", "cg_SecondaryColor"},
        {"gl_SecondaryColor", "cg_SecondaryColor"},
        {"gl_FogFragCoord", "cg_FogFragCoord"}};
    const std::string texCoord = "gl_TexCoord[";
    std::string name;
    if (builtin.glsl.rfind(texCoord, 0) == 0) {
        name = "cg_TexCoord" +
               builtin.glsl.substr(texCoord.size(), builtin.glsl.size() - texCoord.size() - 1);
    }
    for (const auto& rename : RENAMES) {
        if (builtin.glsl == rename.first) {
            name = rename.second;
        }
    }
    if (name.empty()) {
        return builtin;
    }
    // Explicitly highp: the declaration comes before the fragment stage's default precision.
    addDeclaration(
        std::string("varying highp ") + (builtin.width == 1 ? "float " : "vec4 ") + name + ";\n",
        declarations);
    return Builtin{name, builtin.width};
}

// "cgv_tex" for glslang's "vert.tex" or "@entryPointOutput.tex" (prefix "cgv_").
std::string namedVaryingFor(const std::string& spirvName, const char* prefix) {
    const std::size_t dot = spirvName.rfind('.');
    std::string name = prefix + (dot == std::string::npos ? spirvName : spirvName.substr(dot + 1));
    for (char& c : name) {
        if (!text::identChar(c)) {
            c = '_';
        }
    }
    return name;
}

// The zero of a boolean or integer scalar or vector type, in GLSL.
std::string zeroOf(const spirv_cross::SPIRType& type) {
    const bool boolean = type.basetype == spirv_cross::SPIRType::Boolean;
    const std::string zero = boolean ? "false" : "0";
    if (type.vecsize == 1) {
        return zero;
    }
    return std::string(boolean ? "bvec" : "ivec") + std::to_string(type.vecsize) + "(" + zero + ")";
}

const char* stageName(Stage stage) {
    return stage == Stage::Vertex ? "vertex" : "fragment";
}

// What the stage's inputs and outputs became: the lines that stand for them ahead of the code,
// and the generic attributes they read (bit n for cgAttrN).
struct MappedInterface {
    std::string defines;
    std::uint16_t genericAttributes = 0;
};

// The semantics the entry's signature gives its varyings of one side (`input`), those bound to a
// resource without one's being written included, by their names in the module: "IN.tex_coord",
// "@entryPointOutput.tex" for a member of the returned struct.
std::map<std::string, std::string> signatureSemantics(const std::vector<EntryParameter>& params,
                                                      bool input) {
    std::map<std::string, std::string> semantics;
    for (const EntryParameter& p : params) {
        // An inout parameter's semantic is bound as an input's; its output keeps its name.
        const bool in = p.direction != Direction::Out && !p.result;
        const bool out = p.direction == Direction::Out || p.result;
        if (p.uniform || p.semantic.empty() || (input ? !in : !out)) {
            continue;
        }
        const std::size_t dot = p.name.find('.');
        semantics[p.result ? "@entryPointOutput" + p.name.substr(std::min(dot, p.name.size()))
                           : p.name] = p.semantic;
    }
    return semantics;
}

// Maps every stage input and output onto its built-in; false (with a message) for one that has
// none. A variable the module gives no semantic takes the one `semantics` gives its name.
bool mapInterface(spirv_cross::CompilerGLSL& compiler,
                  const spirv_cross::SmallVector<spirv_cross::Resource>& vars, Stage stage,
                  bool input, Dialect dialect, const CgLocation& where,
                  const std::map<std::string, std::string>& semantics, MappedInterface& mapped,
                  std::vector<CgError>& errors) {
    std::string& defines = mapped.defines;
    const bool varying = (stage == Stage::Vertex) != input;
    int counter = 0;
    for (const auto& var : vars) {
        std::string semantic =
            compiler.get_decoration_string(var.id, spv::DecorationHlslSemanticGOOGLE);
        const auto bound = semantics.find(compiler.get_name(var.id));
        if (semantic.empty() && bound != semantics.end()) {
            semantic = bound->second;
        }
        const spirv_cross::SPIRType& type = compiler.get_type(var.type_id);
        const std::string what = std::string(stageName(stage)) +
                                 (input ? " program input " : " program output ") + "'" +
                                 compiler.get_name(var.id) + "'";
        if (semantic.empty() && varying) {
            // Cg joins varyings without a semantic by name: the member's own name, which both
            // stages take from the struct they share.
            compiler.set_name(var.id, namedVaryingFor(compiler.get_name(var.id), "cgv_"));
            continue;
        }
        if (semantic.empty() && stage == Stage::Vertex) {
            // A vertex input without a semantic is an attribute the application feeds by name;
            // GLSL has no attributes of other than float types: those read as zero.
            const std::string attribute = namedVaryingFor(compiler.get_name(var.id), "cga_");
            compiler.set_name(var.id, attribute);
            if (type.basetype != spirv_cross::SPIRType::Float) {
                compiler.set_remapped_variable_state(var.id, true);
                defines += "#define " + attribute + " " + zeroOf(type) + "\n";
            }
            continue;
        }
        if (semantic.empty() && compiler.get_name(var.id) == "@entryPointOutput") {
            errors.push_back({where.file, where.line,
                              std::string("the ") + stageName(stage) +
                                  " program must return a struct or have an output semantic"});
            return false;
        }
        if (semantic.empty()) {
            errors.push_back({where.file, where.line, what + " has no semantic"});
            return false;
        }
        const bool integerInput = input && type.basetype == spirv_cross::SPIRType::Int;
        if ((type.basetype != spirv_cross::SPIRType::Float && !integerInput) || type.columns != 1 ||
            !type.array.empty()) {
            errors.push_back(
                {where.file, where.line,
                 what + " (" + semantic + ") must be a float vector of 1 to 4 components"});
            return false;
        }
        std::optional<Builtin> builtin = builtinFor(stage, input, semantic);
        if (!builtin && varying && isExtraTexCoord(semantic)) {
            // GL carries eight sets of texture coordinates; Cg's further ones are varyings of
            // their own, joined by the semantic's name.
            compiler.set_name(var.id, "cgv_" + upper(semantic));
            continue;
        }
        if (builtin && varying && dialect == Dialect::GlslEs100) {
            builtin = namedVarying(*builtin, defines);
        }
        if (builtin && builtin->attribute > 0) {
            addDeclaration("attribute vec4 " + builtin->glsl + ";\n", defines);
            mapped.genericAttributes =
                static_cast<std::uint16_t>(mapped.genericAttributes | 1u << builtin->attribute);
        }
        std::optional<std::string> expr;
        if (builtin) {
            expr = adapt(*builtin, static_cast<int>(type.vecsize), input);
        }
        if (expr && integerInput) {
            // Attributes are floats: BLENDINDICES read as int4, say, are converted.
            expr = (type.vecsize == 1 ? "int(" : "ivec" + std::to_string(type.vecsize) + "(") +
                   *expr + ")";
        }
        if (!expr) {
            errors.push_back(
                {where.file, where.line, "semantic " + semantic + " cannot be a " + what});
            return false;
        }
        const std::string glslName = std::string(input ? "cgIn" : "cgOut") +
                                     std::to_string(counter++) + "_" + upper(semantic);
        compiler.set_name(var.id, glslName);
        compiler.set_remapped_variable_state(var.id, true);
        defines += "#define " + glslName + " " + *expr + "\n";
    }
    return true;
}

// Arrays up to this long are given their elements as parameters of their own; a longer one (far
// past what real programs declare) is sent whole, as its initializer says.
constexpr std::uint32_t MAX_ELEMENTS = 4096;

// Vectors of floats or ints and matrices of floats can be set; anything else is only found by
// name. glslang writes a Cg matrix's rows as the columns of the module's type.
void setKind(const spirv_cross::SPIRType& type, Uniform& u) {
    const bool plainFloat =
        type.basetype == spirv_cross::SPIRType::Float && type.array.empty() && type.vecsize <= 4;
    const bool plainInt = type.basetype == spirv_cross::SPIRType::Int && type.array.empty() &&
                          type.vecsize <= 4 && type.columns == 1;
    if ((plainFloat && type.columns == 1) || plainInt) {
        u.kind = UniformKind::Vector;
        u.components = static_cast<int>(type.vecsize);
        u.integer = plainInt;
    } else if (plainFloat && type.columns >= 2 && type.vecsize >= 2) {
        u.kind = UniformKind::Matrix;
        u.components = static_cast<int>(type.vecsize * type.columns);
        u.rows = static_cast<int>(type.columns);
    } else if (type.basetype == spirv_cross::SPIRType::Float && type.array.size() == 1 &&
               type.vecsize <= 4 && type.columns == 1) {
        u.arrayWidth = static_cast<int>(type.vecsize);
        u.arraySize = type.array_size_literal[0] && type.array[0] <= MAX_ELEMENTS
                          ? static_cast<int>(type.array[0])
                          : 0;
    } else if (type.basetype == spirv_cross::SPIRType::Float && type.array.size() == 1 &&
               type.array_size_literal[0] && type.array[0] <= MAX_ELEMENTS && type.columns >= 2 &&
               type.vecsize >= 2 && type.vecsize <= 4) {
        // An array of matrices: each element's shape, as a matrix's.
        u.arraySize = static_cast<int>(type.array[0]);
        u.components = static_cast<int>(type.vecsize * type.columns);
        u.rows = static_cast<int>(type.columns);
    }
}

// What SPIRV-Cross would make of a name: other characters than letters, digits and '_' become
// '_', and runs of '_' one. The name given to GL must be the one in the code.
std::string glslIdentifier(const std::string& name) {
    std::string out;
    for (const char c : name) {
        const char k = text::identChar(c) ? c : '_';
        if (k != '_' || out.empty() || out.back() != '_') {
            out += k;
        }
    }
    return out;
}

// The members of a uniform struct type, each a parameter of its own ("IN.video_size"), members of
// nested structs included.
void addMembers(spirv_cross::CompilerGLSL& compiler, uint32_t typeId, const std::string& cgPrefix,
                const std::string& glslPrefix, std::vector<Uniform>& uniforms) {
    const spirv_cross::SPIRType& type = compiler.get_type(typeId);
    for (uint32_t i = 0; i < type.member_types.size(); ++i) {
        const spirv_cross::SPIRType& member = compiler.get_type(type.member_types[i]);
        const std::string memberName = compiler.get_member_name(typeId, i);
        Uniform u;
        u.name = cgPrefix + cgName(memberName);
        u.glslName = glslPrefix + memberName;
        if (member.basetype == spirv_cross::SPIRType::Struct && member.array.empty()) {
            uniforms.push_back(u);
            addMembers(compiler, type.member_types[i], u.name + ".", u.glslName + ".", uniforms);
            continue;
        }
        setKind(member, u);
        uniforms.push_back(u);
    }
}

void addBlockMembers(spirv_cross::CompilerGLSL& compiler, const spirv_cross::Resource& block,
                     const std::string& instance, std::vector<Uniform>& uniforms) {
    addMembers(compiler, block.base_type_id, "", instance + ".", uniforms);
}

SamplerTarget samplerTarget(const spirv_cross::SPIRType& type);

// Both stages end up in one GL program: their uniforms must not share names. Each block, sampler
// and uniform outside a block gets a name of its stage; `uniforms` receives them in the order of
// their declarations in the module, blocks first.
void nameUniforms(spirv_cross::CompilerGLSL& compiler, const std::vector<unsigned>& spirv,
                  const spirv_cross::ShaderResources& resources, const std::string& prefix,
                  std::vector<Uniform>& uniforms) {
    int blockIndex = 0;
    for (const auto& block : resources.uniform_buffers) {
        const std::string suffix = blockIndex == 0 ? "" : std::to_string(blockIndex);
        ++blockIndex;
        compiler.set_name(block.base_type_id, prefix + "Uniforms" + suffix);
        compiler.set_name(block.id, prefix + suffix);
        addBlockMembers(compiler, block, prefix + suffix, uniforms);
    }
    // glslang's HLSL splits a uniform struct that holds a sampler into one variable a member:
    // "IN.texture" beside "IN.video_size".
    for (const unsigned id : uniformConstants(spirv)) {
        const spirv_cross::SPIRType& type = compiler.get_type_from_variable(id);
        Uniform u;
        u.name = cgName(compiler.get_name(id));
        u.glslName = glslIdentifier(prefix + "_" + compiler.get_name(id));
        if (type.basetype == spirv_cross::SPIRType::SampledImage) {
            u.samplerTarget = samplerTarget(type);
            u.kind =
                u.samplerTarget == SamplerTarget::None ? UniformKind::Other : UniformKind::Sampler;
        } else {
            setKind(type, u);
            u.readByRows = u.kind == UniformKind::Matrix;
        }
        compiler.set_name(id, u.glslName);
        uniforms.push_back(u);
    }
}

SamplerTarget samplerTarget(const spirv_cross::SPIRType& type) {
    if (!type.array.empty()) {
        return SamplerTarget::None;
    }
    switch (type.image.dim) {
        case spv::Dim1D:
            return SamplerTarget::Texture1D;
        case spv::Dim2D:
            return SamplerTarget::Texture2D;
        case spv::Dim3D:
            return SamplerTarget::Texture3D;
        case spv::DimCube:
            return SamplerTarget::TextureCube;
        default:
            return SamplerTarget::None;
    }
}

bool hasNul(std::string_view source, std::size_t& at) {
    at = source.find('\0');
    return at != std::string_view::npos;
}

// The settings shared by the compilation and the preprocessing that explains a failed one.
void configure(glslang::TShader& shader, const char* const* text, const int* length,
               const char* const* name, EShLanguage language, const std::string& entry,
               const char* preamble) {
    shader.setStringsWithLengthsAndNames(text, length, name, 1);
    shader.setPreamble(preamble);
    shader.setEntryPoint(entry.c_str());
    shader.setSourceEntryPoint(entry.c_str());
    shader.setEnvInput(glslang::EShSourceHlsl, language, glslang::EShClientOpenGL, 100);
    shader.setEnvClient(glslang::EShClientOpenGL, glslang::EShTargetOpenGL_450);
    shader.setEnvTarget(glslang::EShTargetSpv, glslang::EShTargetSpv_1_0);
    // Keeps each varying's semantic in the SPIR-V: the stages are joined by semantic.
    shader.setEnvTargetHlslFunctionality1();
    shader.setAutoMapLocations(true);
    shader.setAutoMapBindings(true);
}

// The listing of a source glslang could not parse: its own, or a plainer one for a source that
// ends with a bracket still open.
std::vector<CgError> parseFailure(glslang::TShader& shader, const char* const* text,
                                  const int* length, const std::string& name, EShLanguage language,
                                  const std::string& entry, EShMessages messages) {
    glslang::TShader preprocessor(language);
    const char* names[] = {name.c_str()};
    configure(preprocessor, text, length, names, language, entry, libraryTypes());
    glslang::TShader::ForbidIncluder noIncludes;
    std::string expanded;
    if (preprocessor.preprocess(GetDefaultResources(), 110, ENoProfile, false, false, messages,
                                &expanded, noIncludes)) {
        if (const auto open = findOpenAtEnd(expanded)) {
            return {{name, static_cast<long>(open->line),
                     std::string("the source ends before a '") + open->bracket + "' is closed"}};
        }
    }
    return rewriteLog(shader.getInfoLog());
}

// Cg read as DirectX 9's HLSL, with each varying's semantic kept as a string.
const EShMessages HLSL_MESSAGES =
    static_cast<EShMessages>(EShMsgReadHlsl | EShMsgHlslDX9Compatible | EShMsgSpvRules);

EShLanguage languageOf(Stage stage) {
    return stage == Stage::Vertex ? EShLangVertex : EShLangFragment;
}

// `values` (a matrix row by row) as `u` starts at, or nothing when they do not fit it.
std::vector<float> initialOf(const Uniform& u, const std::vector<float>& values) {
    const auto n = static_cast<std::size_t>(u.components);
    if (u.kind == UniformKind::Vector && values.size() == n) {
        return values;
    }
    if (u.kind == UniformKind::Vector && values.size() == 1) {
        return std::vector<float>(n, values[0]);
    }
    const auto width = static_cast<std::size_t>(u.arrayWidth);
    if (u.kind == UniformKind::Other && width > 0 && values.size() % width == 0) {
        return values;
    }
    if (u.kind != UniformKind::Matrix || values.size() != n || u.rows < 1) {
        return {};
    }
    std::vector<float> columns(n);
    toColumns(values.data(), u.rows, u.components / u.rows, columns.data());
    return columns;
}

// `hlsl` with its macros expanded (`types` defining the type names HLSL lacks), as glslang's
// preprocessor leaves it; false when it fails.
bool preprocessed(const std::string& hlsl, const std::string& name, Stage stage,
                  const std::string& entry, std::string& expanded,
                  const char* types = libraryTypes()) {
    const EShLanguage language = languageOf(stage);
    const char* text[] = {hlsl.c_str()};
    const int length[] = {static_cast<int>(hlsl.size())};
    glslang::TShader preprocessor(language);
    const char* names[] = {name.c_str()};
    configure(preprocessor, text, length, names, language, entry, types);
    glslang::TShader::ForbidIncluder noIncludes;
    return preprocessor.preprocess(GetDefaultResources(), 110, ENoProfile, false, false,
                                   HLSL_MESSAGES, &expanded, noIncludes);
}

// Gives the global uniforms that `text` (as glslang reads it) declares with an initializer
// their starting values: glslang keeps the uniforms and drops the initializers.
void setInitialValues(const std::string& hlsl, const std::string& name, Stage stage,
                      const std::string& entry, std::vector<Uniform>& uniforms) {
    std::string expanded;
    if (!mayInitializeGlobals(hlsl.c_str()) || !preprocessed(hlsl, name, stage, entry, expanded)) {
        return;
    }
    std::map<std::string, std::vector<float>> initials;
    for (const auto& [global, values] : uniformInitializers(expanded, entry)) {
        initials[cgName(global)] = values;
    }
    for (Uniform& u : uniforms) {
        const auto found = initials.find(u.name);
        if (found != initials.end()) {
            u.initial = initialOf(u, found->second);
        }
    }
}

// glslang writes Cg's matrices transposed and marks them row-major, which SPIRV-Cross undoes with
// transpose() on loading them: GLSL 1.20 has that only for square matrices. A non-square one
// (a skinning shader's float3x4 bones) is read as it stands instead; the values it is set to go
// in by rows for that (see the runtime's upload).
void readNonSquareMatricesAsTheyStand(spirv_cross::CompilerGLSL& compiler,
                                      const spirv_cross::ShaderResources& resources) {
    for (const auto& block : resources.uniform_buffers) {
        const spirv_cross::SPIRType& type = compiler.get_type(block.base_type_id);
        for (std::uint32_t i = 0; i < type.member_types.size(); ++i) {
            const spirv_cross::SPIRType& member = compiler.get_type(type.member_types[i]);
            if (member.columns > 1 && member.columns != member.vecsize &&
                compiler.has_member_decoration(block.base_type_id, i, spv::DecorationRowMajor)) {
                compiler.unset_member_decoration(block.base_type_id, i, spv::DecorationRowMajor);
                compiler.set_member_decoration(block.base_type_id, i, spv::DecorationColMajor);
            }
        }
    }
}

// Whether the GLSL reads EXT_gpu_shader4's built-ins, or calls its texel fetches, which
// SPIRV-Cross writes for GLSL 1.20 without naming the extension (unlike its lookups with an
// offset).
bool usesGpuShader4(const std::string& defines, const std::string& glsl) {
    if (glsl.find("GL_EXT_gpu_shader4") != std::string::npos) {
        return false;
    }
    for (const char* name : {"gl_VertexID", "gl_InstanceID", "gl_PrimitiveID"}) {
        if (defines.find(name) != std::string::npos) {
            return true;
        }
    }
    return glsl.find("texelFetch") != std::string::npos;
}

// SPIRV-Cross's GLSL for the module, into `result`'s code and uniforms; `plain` is the module
// before legalization, if it had to be legalized. False, with `errors` saying why, when the
// stages' interface cannot be mapped; SPIRV-Cross's exceptions pass through.
bool writeGlsl(const std::vector<unsigned>& spirv, const std::vector<unsigned>& plain, int version,
               Stage stage, Dialect dialect, const CgLocation& where, std::vector<CgError>& errors,
               Translation& result) {
    spirv_cross::CompilerGLSL compiler(spirv);
    spirv_cross::CompilerGLSL::Options options = compiler.get_common_options();
    options.version = version;
    options.es = dialect == Dialect::GlslEs100;
    // Depths compared a few hundred-thousandths apart are beyond mediump.
    options.fragment.default_float_precision = spirv_cross::CompilerGLSL::Options::Highp;
    options.enable_420pack_extension = false;
    compiler.set_common_options(options);

    // Inputs the entry never reads are left out, as Cg leaves them: they may have types no
    // stage input can have (a `bool dummy` in an unused struct). Outputs all stay, so that
    // the other stage finds each varying it reads.
    std::unordered_set<spirv_cross::VariableID> enabled = compiler.get_active_interface_variables();
    for (const auto& output : compiler.get_shader_resources().stage_outputs) {
        enabled.insert(output.id);
    }
    compiler.set_enabled_interface_variables(enabled);
    const spirv_cross::ShaderResources resources = compiler.get_shader_resources(enabled);
    MappedInterface mapped;
    if (!mapInterface(compiler, resources.stage_inputs, stage, true, dialect, where,
                      signatureSemantics(result.parameters, true), mapped, errors) ||
        !mapInterface(compiler, resources.stage_outputs, stage, false, dialect, where,
                      signatureSemantics(result.parameters, false), mapped, errors)) {
        return false;
    }
    std::string& defines = mapped.defines;
    result.genericAttributes = mapped.genericAttributes;

    readNonSquareMatricesAsTheyStand(compiler, resources);
    const std::string prefix = stage == Stage::Vertex ? "cgVertex" : "cgFragment";
    result.uniforms.clear();
    // Every block, used or not: a stage that reads no global still lists those the source has.
    nameUniforms(compiler, spirv, compiler.get_shader_resources(), prefix, result.uniforms);
    // Legalizing drops what the code does not use; the program still finds every uniform the
    // source declares, so they are listed from the module as it was before.
    if (!plain.empty()) {
        spirv_cross::CompilerGLSL declared(plain);
        result.uniforms.clear();
        nameUniforms(declared, plain, declared.get_shader_resources(), prefix, result.uniforms);
    }

    std::string glsl = compiler.compile();
    const std::size_t firstLineEnd = glsl.find('\n');
    if (firstLineEnd == std::string::npos) {
        errors.push_back({where.file, where.line, "no code was generated"});
        return false;
    }
    if (usesGpuShader4(defines, glsl)) {
        defines.insert(0, "#extension GL_EXT_gpu_shader4 : enable\n");
    }
    if (options.es) {
        // The first line is the #version, which the ES form goes without.
        glsl.replace(0, firstLineEnd + 1, defines);
    } else {
        glsl.insert(firstLineEnd + 1, defines);
        if (version == 120 &&
            (needsGlsl130(spirv) || defines.find("gl_ClipDistance") != std::string::npos)) {
            glsl.replace(0, firstLineEnd, "#version 130");
        }
    }
    result.glsl = std::move(glsl);
    return true;
}

// What went through glslang as another kind of sampler, to be given back in the GLSL.
struct SamplerStandIns {
    ShadowStandIns shadows;            // the sampler2DShadows, as sampler3D
    std::set<std::string> rectangles;  // the samplerRECTs, as sampler2D
};

// What a pass over the Cg text may need besides the text.
struct PassContext {
    bool fragment;
    const std::string& entry;
    SamplerStandIns& standIns;
    // The text with the entry's signature still whole, for its parameters' list.
    std::string signatureText;
};

struct TextPass {
    const char* name;
    std::string (*run)(const std::string& text, PassContext& context);
};

// The source as glslang's HLSL reads it, each pass bridging one difference (see CgDialect.h and
// the headers of the others), in this order.
const TextPass TEXT_PASSES[] = {
    {"directives", [](const std::string& t, PassContext&) { return withDirectivesTrimmed(t); }},
    {"integer-updates",
     [](const std::string& t, PassContext&) { return withIntegerUpdatesWidened(t); }},
    {"profile-functions", [](const std::string& t,
                             PassContext& c) { return withProfileFunctionsChosen(t, c.fragment); }},
    {"directions", [](const std::string& t, PassContext&) { return withDirectionsFirst(t); }},
    {"shadow-samplers",
     [](const std::string& t, PassContext& c) {
         return withShadowSamplersAs3D(t, c.standIns.shadows);
     }},
    {"typed-lookups", [](const std::string& t, PassContext&) { return withTypedLookupsPlain(t); }},
    {"method-lookups", [](const std::string& t, PassContext&) { return withLookupsAsMethods(t); }},
    {"rectangle-samplers",
     [](const std::string& t, PassContext& c) {
         return withRectangleSamplersAs2D(t, c.standIns.rectangles);
     }},
    {"half-overloads",
     [](const std::string& t, PassContext&) { return withHalfOverloadsApart(t); }},
    {"scalar-arguments",
     [](const std::string& t, PassContext&) { return withScalarArgumentsNarrowed(t); }},
    {"repeated-structs",
     [](const std::string& t, PassContext&) { return withRepeatedStructsDropped(t); }},
    {"self-initializers",
     [](const std::string& t, PassContext&) { return withSelfInitializersSplit(t); }},
    {"matrix-swizzles",
     [](const std::string& t, PassContext&) { return withMatrixSwizzlesSpread(t); }},
    {"mixed-arguments",
     [](const std::string& t, PassContext&) { return withMixedArgumentsNarrowed(t); }},
    {"constant-comparisons",
     [](const std::string& t, PassContext&) { return withConstantComparisonsKept(t); }},
    {"reserved-words", [](const std::string& t, PassContext&) { return renameReservedWords(t); }},
    {"vector-arrays",
     [](const std::string& t, PassContext&) { return withVectorArraysGrouped(t); }},
    {"reachable",
     [](const std::string& t, PassContext& c) { return withoutUnreachedFunctions(t, c.entry); }},
    {"written-globals",
     [](const std::string& t, PassContext&) { return withWrittenGlobalsCopied(t); }},
    {"entry-uniforms",
     [](const std::string& t, PassContext& c) {
         c.signatureText = t;
         return withEntryUniformsMoved(t, c.entry, c.fragment);
     }},
};

// The stages after the passes over the text.
const char* const SOURCE_STAGE = "source";
const char* const PREAMBLE_STAGE = "preamble";
const char* const SPIRV_STAGE = "spirv";
const char* const CROSS_STAGE = "spirv-cross";
const char* const GLSL_STAGE = "glsl";

// The stages a translation goes through, each one's output and errors kept when `stages` is
// given; `errors` gathers them all.
class Pipeline {
  public:
    explicit Pipeline(std::vector<StageOutput>* stages) : stages_(stages) {}

    bool tracing() const { return stages_ != nullptr; }

    // The stage ends with this output; it owns the errors reported since the previous one.
    void finish(const char* name, const std::string& output) {
        if (stages_ != nullptr) {
            stages_->push_back(
                {name, output, std::vector<CgError>(errors.begin() + reported_, errors.end())});
        }
        reported_ = errors.size();
    }

    void report(const std::vector<CgError>& more) {
        errors.insert(errors.end(), more.begin(), more.end());
    }

    // The errors so far, as one listing, for a translation that ends here.
    std::string listing() const { return format(errors); }

    std::vector<CgError> errors;

  private:
    std::vector<StageOutput>* stages_;
    std::size_t reported_ = 0;
};

std::string asHlsl(std::string_view source, Stage stage, const std::string& entry,
                   SamplerStandIns& standIns, Pipeline& pipeline, std::string& signatureText) {
    PassContext context{stage == Stage::Fragment, entry, standIns, {}};
    std::string text(source);
    for (const TextPass& pass : TEXT_PASSES) {
        text = pass.run(text, context);
        pipeline.finish(pass.name, text);
    }
    signatureText = std::move(context.signatureText);
    return text;
}

std::string disassembly(const std::vector<unsigned>& spirv) {
    std::ostringstream out;
    spv::Disassemble(out, spirv);
    return out.str();
}

// The GLSL and uniforms of samplers that went through glslang as stand-ins, as they are.
void giveBack(const SamplerStandIns& standIns, Translation& result) {
    const ShadowStandIns& stoodIn = standIns.shadows;
    std::set<std::string> shadows, rectangles;  // their GLSL names
    for (Uniform& u : result.uniforms) {
        if (u.samplerTarget == SamplerTarget::Texture3D && !stoodIn.samplers.empty() &&
            (!stoodIn.beside3D || stoodIn.samplers.count(u.name) != 0)) {
            u.samplerTarget = SamplerTarget::Texture2DShadow;
            shadows.insert(u.glslName);
        } else if (standIns.rectangles.count(u.name) != 0 &&
                   u.samplerTarget == SamplerTarget::Texture2D) {
            u.samplerTarget = SamplerTarget::TextureRectangle;
            rectangles.insert(u.glslName);
        }
    }
    if (!stoodIn.samplers.empty()) {
        // Beside 3D samplers of the program's own, only these uniforms are shadow samplers; else
        // every 3D one is, also where a function that is not inlined takes one.
        result.glsl = asShadowLookups(result.glsl, stoodIn.beside3D ? &shadows : nullptr);
    }
    if (!rectangles.empty()) {
        // And the library's rectangle size takes one, where it is not inlined.
        rectangles.insert("cg_rectangle");
        result.glsl = asRectangleLookups(result.glsl, rectangles);
    }
}

// A source this program takes at all: not too long, and text. The errors say why not.
bool acceptable(std::string_view source, const std::string& name, std::vector<CgError>& errors) {
    if (source.size() > MAX_SOURCE_BYTES) {
        errors.push_back({name, 0,
                          "the source is " + std::to_string(source.size()) +
                              " bytes long; at most " + std::to_string(MAX_SOURCE_BYTES) +
                              " are accepted"});
        return false;
    }
    std::size_t nul = 0;
    if (hasNul(source, nul)) {
        errors.push_back(
            {name, 0,
             "byte " + std::to_string(nul) + " is a NUL character: this is not a source text"});
        return false;
    }
    return true;
}

// glslang's SPIR-V for the HLSL text, into `spirv` (and `plain`, as writeGlsl takes them).
// False when glslang refused the text, with the errors saying why.
bool compileHlsl(const std::string& text, std::string_view source, const std::string& name,
                 Stage stage, const std::string& entry, Pipeline& pipeline,
                 std::vector<unsigned>& spirv, std::vector<unsigned>& plain) {
    const EShLanguage language = languageOf(stage);
    const EShMessages messages = HLSL_MESSAGES;
    const char* strings[] = {text.c_str()};
    const int lengths[] = {static_cast<int>(text.size())};
    const char* names[] = {name.c_str()};

    glslang::TShader shader(language);
    const std::string preamble = libraryPreamble(source);
    pipeline.finish(PREAMBLE_STAGE, preamble);
    configure(shader, strings, lengths, names, language, entry, preamble.c_str());
    if (!shader.parse(GetDefaultResources(), 110, false, messages)) {
        pipeline.report(parseFailure(shader, strings, lengths, name, language, entry, messages));
        return false;
    }
    pipeline.report(rewriteLog(shader.getInfoLog()));
    glslang::TProgram program;
    program.addShader(&shader);
    const bool linked = program.link(messages);
    const std::string linkLog = program.getInfoLog();
    // glslang only warns about a missing entry function and compiles an empty program.
    if (linkLog.find("Entry point not found") != std::string::npos) {
        pipeline.errors.push_back({name, 0,
                                   "there is no function named '" + entry + "' to be the " +
                                       stageName(stage) + " program's entry"});
        return false;
    }
    if (!linked) {
        pipeline.report(rewriteLog(linkLog));
        return false;
    }
    glslang::SpvOptions spvOptions;
    spvOptions.disableOptimizer = true;
    glslang::GlslangToSpv(*program.getIntermediate(language), spirv, &spvOptions);
    makeTextureMethodsCombined(spirv);
    // Legalizing inlines every function, so it is kept to the modules that cannot go without.
    if (needsSamplerLegalization(spirv)) {
        plain = std::move(spirv);
        spirv.clear();
        spvOptions.disableOptimizer = false;
        glslang::GlslangToSpv(*program.getIntermediate(language), spirv, &spvOptions);
        makeTextureMethodsCombined(spirv);
        makeStaticSamplersLocal(spirv);
    }
    indexWithSignedIntegers(spirv);
    return true;
}

// SPIRV-Cross's GLSL for the module, in GLSL 1.30 where 1.20 cannot say it. False when neither
// can, with the errors saying why.
bool crossCompile(const std::vector<unsigned>& spirv, const std::vector<unsigned>& plain,
                  std::string_view source, const std::string& name, Stage stage,
                  const std::string& entry, Dialect dialect, std::vector<CgError>& errors,
                  Translation& result) {
    const int version = dialect == Dialect::GlslEs100 ? 100 : 120;
    // What the stages' interface lacks is a fault of the entry's declaration.
    const CgLocation where = entryLocation(source, name, entry);
    const std::vector<CgError> before = errors;
    try {
        return writeGlsl(spirv, plain, version, stage, dialect, where, errors, result);
    } catch (const std::exception& e) {
        // What 1.20 cannot say (unsigned integers, say) 1.30 may; but from 1.30 on SPIRV-Cross
        // leaves row-major matrices to a layout that plain uniforms cannot have, and would read
        // them transposed.
        if (version == 120 && !hasRowMajorMatrices(spirv)) {
            errors = before;
            try {
                if (writeGlsl(spirv, plain, 130, stage, dialect, where, errors, result)) {
                    return true;
                }
            } catch (const std::exception&) {
            }
        }
        errors = before;
        errors.push_back({name, 0,
                          std::string("cannot be expressed in ") +
                              (dialect == Dialect::GlslEs100 ? "GLSL ES 1.00: " : "GLSL 1.20: ") +
                              e.what()});
        result.uniforms.clear();
        result.glsl.clear();
        return false;
    }
}

// Gives the global uniforms their semantics and puts them in the order the source declares them
// (the module has its blocks first, samplers after); a struct's members stay under it, and
// what no declaration outside functions names (the entry's uniform parameters) comes last.
void followDeclarations(const std::vector<GlobalDeclaration>& declarations,
                        std::vector<Uniform>& uniforms) {
    auto rank = [&declarations](const Uniform& u) {
        const std::string root = u.name.substr(0, u.name.find('.'));
        for (std::size_t i = 0; i < declarations.size(); ++i) {
            if (declarations[i].name == root) {
                return i;
            }
        }
        return declarations.size();
    };
    for (Uniform& u : uniforms) {
        const std::size_t at = rank(u);
        if (at < declarations.size() && declarations[at].name == u.name) {
            u.semantic = declarations[at].semantic;
            u.declaredType = declarations[at].type;
        }
    }
    std::stable_sort(uniforms.begin(), uniforms.end(),
                     [&rank](const Uniform& a, const Uniform& b) { return rank(a) < rank(b); });
}

Translation translateIn(std::string_view source, const std::string& name, Stage stage,
                        const std::string& entry, Dialect dialect, Pipeline& pipeline) {
    Translation result;
    const bool accepted = acceptable(source, name, pipeline.errors);
    pipeline.finish(SOURCE_STAGE, std::string(source));
    if (!accepted) {
        result.listing = pipeline.listing();
        return result;
    }
    ensureGlslangReady();
    SamplerStandIns standIns;
    std::string signatureText;
    const std::string text = asHlsl(source, stage, entry, standIns, pipeline, signatureText);
    std::vector<unsigned> spirv, plain;
    const bool compiled = compileHlsl(text, source, name, stage, entry, pipeline, spirv, plain);
    pipeline.finish(SPIRV_STAGE, compiled && pipeline.tracing() ? disassembly(spirv) : "");
    if (!compiled) {
        result.listing = pipeline.listing();
        return result;
    }
    // The signature's parameters first: the varyings it leaves without a semantic are mapped as
    // they are bound there, the vertex inputs the code does not read left unbound.
    std::string expanded;
    const bool signatureRead =
        preprocessed(signatureText, name, stage, entry, expanded, declaredTypes());
    const std::optional<Uses> uses = usesOf(spirv);
    std::vector<std::string> unreadParameters;
    if (signatureRead) {
        const bool fragment = stage == Stage::Fragment;
        result.parameters = entryParameters(expanded, entry, fragment);
        unreadParameters = unusedNames(uses, {}, result.parameters);
        if (!unreadParameters.empty()) {
            result.parameters = entryParameters(expanded, entry, fragment, unreadParameters);
        }
    }
    const bool written =
        crossCompile(spirv, plain, source, name, stage, entry, dialect, pipeline.errors, result);
    pipeline.finish(CROSS_STAGE, result.glsl);
    result.listing = pipeline.listing();
    if (!written) {
        return result;
    }
    giveBack(standIns, result);
    setInitialValues(text, name, stage, entry, result.uniforms);
    if (signatureRead) {
        followDeclarations(globalDeclarations(expanded), result.uniforms);
        for (auto& [constant, values] : constantInitializers(expanded)) {
            result.constants.push_back({cgName(constant), std::move(values)});
        }
    }
    result.unused = unusedNames(uses, result.uniforms, {}, &result.samplersByFirstRead);
    result.unused.insert(result.unused.end(), unreadParameters.begin(), unreadParameters.end());
    pipeline.finish(GLSL_STAGE, result.glsl);
    result.ok = true;
    return result;
}

}  // namespace

Translation translate(std::string_view source, const std::string& name, Stage stage,
                      const std::string& entry, Dialect dialect) {
    Pipeline pipeline(nullptr);
    return translateIn(source, name, stage, entry, dialect, pipeline);
}

std::vector<StageOutput> translateStages(std::string_view source, const std::string& name,
                                         Stage stage, const std::string& entry, Dialect dialect) {
    std::vector<StageOutput> stages;
    Pipeline pipeline(&stages);
    if (!translateIn(source, name, stage, entry, dialect, pipeline).ok) {
        stages.back().failed = true;
    }
    return stages;
}

std::vector<std::string> stageNames() {
    std::vector<std::string> names{SOURCE_STAGE};
    for (const TextPass& pass : TEXT_PASSES) {
        names.emplace_back(pass.name);
    }
    names.insert(names.end(), {PREAMBLE_STAGE, SPIRV_STAGE, CROSS_STAGE, GLSL_STAGE});
    return names;
}

void warmUpTranslator() {
    translate("float4 main(float4 position : POSITION) : POSITION { return position; }", "warm-up",
              Stage::Vertex, "main");
}

}  // namespace cgrt
