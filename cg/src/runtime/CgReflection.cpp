// What a program says about its parameters, in NVIDIA's shape: the entry's parameters walked as
// the signature declares them, structs holding their members, varyings beside uniforms, each
// with its semantic, direction, variability and resource.
#include "CgResources.h"
#include "CgState.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

// Each kind of sampler a translation reports: its Cg type and the texture target it reads.
struct SamplerKind {
    cgrt::SamplerTarget target;
    CGtype type;
    GLenum textureTarget;
};

constexpr SamplerKind SAMPLER_KINDS[] = {
    {cgrt::SamplerTarget::Texture1D, CG_SAMPLER1D, GL_TEXTURE_1D},
    {cgrt::SamplerTarget::Texture2D, CG_SAMPLER2D, GL_TEXTURE_2D},
    {cgrt::SamplerTarget::Texture3D, CG_SAMPLER3D, GL_TEXTURE_3D},
    {cgrt::SamplerTarget::TextureCube, CG_SAMPLERCUBE, GL_TEXTURE_CUBE_MAP},
    {cgrt::SamplerTarget::TextureRectangle, CG_SAMPLERRECT, GL_TEXTURE_RECTANGLE},
    // A depth texture read with a comparison is still a 2D texture to GL.
    {cgrt::SamplerTarget::Texture2DShadow, CG_SAMPLER2DSHADOW, GL_TEXTURE_2D},
};

// The translator reports a sampler only with a target (anything else is UniformKind::Other).
const SamplerKind& samplerKindOf(cgrt::SamplerTarget target) {
    for (const SamplerKind& kind : SAMPLER_KINDS) {
        if (kind.target == target) {
            return kind;
        }
    }
    return SAMPLER_KINDS[1];
}

CGtype typeOf(const cgrt::Uniform& u) {
    switch (u.kind) {
        case cgrt::UniformKind::Vector: {
            static const CGtype vectors[] = {CG_FLOAT, CG_FLOAT2, CG_FLOAT3, CG_FLOAT4};
            static const CGtype ints[] = {CG_INT, CG_INT2, CG_INT3, CG_INT4};
            return (u.integer ? ints : vectors)[u.components - 1];
        }
        case cgrt::UniformKind::Matrix: {
            static const CGtype matrices[3][3] = {{CG_FLOAT2x2, CG_FLOAT2x3, CG_FLOAT2x4},
                                                  {CG_FLOAT3x2, CG_FLOAT3x3, CG_FLOAT3x4},
                                                  {CG_FLOAT4x2, CG_FLOAT4x3, CG_FLOAT4x4}};
            return matrices[u.rows - 2][u.components / u.rows - 2];
        }
        case cgrt::UniformKind::Sampler:
            return samplerKindOf(u.samplerTarget).type;
        default:
            return CG_UNKNOWN_TYPE;
    }
}

// Where each numeric family's types start in CGtype: the scalar, the one-vector, the 2-vector
// (3 and 4 follow) and the 1x1 matrix (by rows, then columns, to 4x4).
struct NumericFamily {
    const char* name;
    int scalar, one, two, matrix;
};

constexpr NumericFamily NUMERIC_FAMILIES[] = {
    {"float", CG_FLOAT, CG_FLOAT1, CG_FLOAT2, CG_FLOAT1x1},
    {"half", CG_HALF, CG_HALF1, CG_HALF2, CG_HALF1x1},
    {"fixed", CG_FIXED, CG_FIXED1, CG_FIXED2, CG_FIXED1x1},
    {"int", CG_INT, CG_INT1, CG_INT2, CG_INT1x1},
    {"bool", CG_BOOL, CG_BOOL1, CG_BOOL2, CG_BOOL1x1},
};

bool digit1to4(char c) {
    return c >= '1' && c <= '4';
}

// The CGtype of a numeric type's name as the source writes it ("float3", "half4x4").
CGtype numericType(const std::string& name) {
    for (const NumericFamily& f : NUMERIC_FAMILIES) {
        const std::size_t n = std::strlen(f.name);
        if (name.compare(0, n, f.name) != 0) {
            continue;
        }
        const std::string shape = name.substr(n);
        if (shape.empty()) {
            return static_cast<CGtype>(f.scalar);
        }
        if (shape.size() == 1 && digit1to4(shape[0])) {
            return static_cast<CGtype>(shape[0] == '1' ? f.one : f.two + shape[0] - '2');
        }
        if (shape.size() == 3 && digit1to4(shape[0]) && shape[1] == 'x' && digit1to4(shape[2])) {
            return static_cast<CGtype>(f.matrix + (shape[0] - '1') * 4 + shape[2] - '1');
        }
    }
    return CG_UNKNOWN_TYPE;
}

CGtype typeNamed(const std::string& name) {
    static const std::pair<const char*, CGtype> SAMPLERS[] = {
        {"sampler1D", CG_SAMPLER1D},     {"sampler2D", CG_SAMPLER2D},
        {"sampler3D", CG_SAMPLER3D},     {"samplerRECT", CG_SAMPLERRECT},
        {"samplerCUBE", CG_SAMPLERCUBE}, {"sampler2DShadow", CG_SAMPLER2DSHADOW}};
    for (const auto& [word, type] : SAMPLERS) {
        if (name == word) {
            return type;
        }
    }
    return numericType(name);
}

bool isGlsl(CGprofile profile) {
    return profile == CG_PROFILE_GLSLV || profile == CG_PROFILE_GLSLF;
}

// Where a uniform that holds numbers goes: the profile's constants. NVIDIA's runtime gives the
// register cgc allocated as the index, which has no counterpart in GLSL here; ours is 0.
CGresource uniformResource(CGprofile profile, const CgParameterState& p) {
    if (p.kind != cgrt::UniformKind::Vector && p.kind != cgrt::UniformKind::Matrix) {
        return CG_UNDEFINED;
    }
    return isGlsl(profile) ? CG_GLSL_UNIFORM : CG_C;
}

void fillFromUniform(CgParameterState& param, const cgrt::Uniform& u) {
    param.glslName = u.glslName;
    param.type = typeOf(u);
    param.kind = u.kind;
    param.components = u.components;
    param.rows = u.rows;
    param.readByRows = u.readByRows;
    param.integer = u.integer;
    if (u.kind == cgrt::UniformKind::Other) {
        param.arrayValues = u.initial;
        param.arrayWidth = u.arrayWidth;
    } else {
        std::copy(u.initial.begin(),
                  u.initial.begin() + std::min<std::size_t>(u.initial.size(), 16), param.values);
        std::copy(param.values, param.values + 16, param.defaults);
    }
    if (u.arraySize > 0 && (u.arrayWidth > 0 || u.rows > 0)) {
        param.type = CG_ARRAY;
        param.arraySize = u.arraySize;
    }
    if (u.kind == cgrt::UniformKind::Sampler) {
        param.textureTarget = samplerKindOf(u.samplerTarget).textureTarget;
    }
}

CGenum directionOf(cgrt::Direction direction) {
    switch (direction) {
        case cgrt::Direction::Out:
            return CG_OUT;
        case cgrt::Direction::InOut:
            return CG_INOUT;
        default:
            return CG_IN;
    }
}

// Builds a program's parameters one after another, each struct before its members.
class Builder {
  public:
    explicit Builder(CgProgramState& program) : program_(program) {}

    // A new parameter, last among those of `parent` (null: of its walk).
    CgParameterState& add(const std::string& name, bool global, CgParameterState* parent) {
        auto param = std::make_unique<CgParameterState>();
        param->program = &program_;
        param->index = static_cast<int>(program_.parameters.size());
        param->name = name;
        param->global = global;
        param->parent = parent;
        CgParameterState** link =
            parent != nullptr ? &parent->firstMember : &program_.firstOf[global ? 1 : 0];
        while (*link != nullptr) {
            link = &(*link)->next;
        }
        *link = param.get();
        program_.parameters.push_back(std::move(param));
        return *program_.parameters.back();
    }

    // The parameter of that name among those added so far, or null.
    CgParameterState* find(const std::string& name, bool global) const {
        for (const auto& p : program_.parameters) {
            if (p->name == name && p->global == global) {
                return p.get();
            }
        }
        return nullptr;
    }

  private:
    CgProgramState& program_;
};

// The uniform of the translation that stands for `name`, marked as taken; null when none does.
const cgrt::Uniform* takeUniform(const std::vector<cgrt::Uniform>& uniforms,
                                 std::vector<bool>& taken, const std::string& name) {
    for (std::size_t i = 0; i < uniforms.size(); ++i) {
        if (!taken[i] && uniforms[i].name == name) {
            taken[i] = true;
            return &uniforms[i];
        }
    }
    return nullptr;
}

// An array's elements, "name[i]", each a vector or matrix of its own set and sent on its own;
// the array itself sends nothing then.
void addElements(Builder& builder, CgParameterState& array, const cgrt::Uniform& u) {
    cgrt::Uniform shape;
    shape.kind = u.arrayWidth > 0 ? cgrt::UniformKind::Vector : cgrt::UniformKind::Matrix;
    shape.components = u.arrayWidth > 0 ? u.arrayWidth : u.components;
    shape.rows = u.arrayWidth > 0 ? 0 : u.rows;
    shape.readByRows = u.readByRows;
    const auto width = static_cast<std::size_t>(shape.components);
    for (int i = 0; i < array.arraySize; ++i) {
        const std::string index = "[" + std::to_string(i) + "]";
        CgParameterState& e = builder.add(array.name + index, array.global, &array);
        fillFromUniform(e, shape);
        e.glslName = array.glslName + index;
        e.variability = array.variability;
        e.resource = uniformResource(e.program->profile, e);
        const std::size_t first = static_cast<std::size_t>(i) * width;
        for (std::size_t k = 0; k < width && first + k < array.arrayValues.size(); ++k) {
            e.values[k] = e.defaults[k] = array.arrayValues[first + k];
        }
    }
    array.arrayValues.clear();
}

// A varying's resource, and in the GLSL profiles the name cgc gave one without a semantic in
// place of the semantic it is bound by: a vertex input's resource is then an attribute GLSL
// names, another's none.
void setVaryingResource(CgParameterState& p, const cgrt::EntryParameter& e) {
    p.boundBy = e.semantic;
    const bool input = p.direction != CG_OUT;
    if (isGlsl(p.program->profile) && e.glslSemantic != e.semantic) {
        p.semantic = e.glslSemantic;
        const bool attribute = input && p.program->stage == cgrt::Stage::Vertex;
        p.resource = attribute && !p.semantic.empty() ? CG_GLSL_ATTRIB : CG_UNDEFINED;
        return;
    }
    const bool floatMember = e.depth > 0 && cgGetTypeBase(p.type) == CG_FLOAT;
    p.resource = cgrt::varyingResource(p.program->profile, input, e.semantic, floatMember);
}

// The entry's own parameters: varyings read from the signature, uniforms as the translation
// found them.
// The entry's result, a varying output, walks under CG_GLOBAL after the global uniforms.
void addEntryParameters(Builder& builder, CgProgramState& program,
                        const cgrt::Translation& translation, std::vector<bool>& taken,
                        bool results) {
    std::vector<CgParameterState*> outer;  // the struct at each depth, the current one
    for (const cgrt::EntryParameter& e : translation.parameters) {
        if (e.result != results) {
            continue;
        }
        outer.resize(static_cast<std::size_t>(e.depth));
        CgParameterState& p = builder.add(e.name, results, outer.empty() ? nullptr : outer.back());
        p.semantic = e.semantic;
        p.direction = directionOf(e.direction);
        p.variability = e.uniform ? CG_UNIFORM : CG_VARYING;
        p.type = e.structure ? CG_STRUCT : typeNamed(e.type);
        // A varying member of a struct the translation takes as uniform (a fragment program's
        // PREV holding its texture) is a uniform there: taken, so that it walks nowhere else.
        const cgrt::Uniform* u = takeUniform(translation.uniforms, taken, e.name);
        if (u != nullptr && e.uniform) {
            const CGtype declared = p.type;
            fillFromUniform(p, *u);
            p.type = e.structure ? CG_STRUCT : p.type != CG_UNKNOWN_TYPE ? p.type : declared;
            if (p.type == CG_ARRAY) {
                addElements(builder, p, *u);
            }
        }
        if (!e.uniform && !e.structure) {
            setVaryingResource(p, e);
        } else if (!e.structure) {
            p.resource = uniformResource(program.profile, p);
        }
        if (e.structure) {
            p.userType = cgrt::userType(*program.context, e.type);
            outer.push_back(&p);
        }
    }
}

// The user type of the global struct `p`, as its declaration names it; 0 when none does.
int structTypeOf(const CgParameterState& p, const std::vector<cgrt::Uniform>& uniforms) {
    for (const cgrt::Uniform& u : uniforms) {
        if (u.name == p.name && !u.declaredType.empty()) {
            return cgrt::userType(*p.program->context, u.declaredType);
        }
    }
    return 0;
}

// The global uniforms: those the signature does not declare, a struct's members under it.
void addGlobals(Builder& builder, const std::vector<cgrt::Uniform>& uniforms,
                const std::vector<bool>& taken) {
    for (std::size_t i = 0; i < uniforms.size(); ++i) {
        if (taken[i]) {
            continue;
        }
        const cgrt::Uniform& u = uniforms[i];
        const std::size_t dot = u.name.rfind('.');
        CgParameterState* parent =
            dot == std::string::npos ? nullptr : builder.find(u.name.substr(0, dot), true);
        if (parent != nullptr && parent->type != CG_STRUCT) {
            parent->type = CG_STRUCT;
            parent->userType = structTypeOf(*parent, uniforms);
        }
        CgParameterState& p = builder.add(u.name, true, parent);
        fillFromUniform(p, u);
        p.semantic = u.semantic;
        p.resource = uniformResource(p.program->profile, p);
        if (p.type == CG_ARRAY) {
            addElements(builder, p, u);
        }
    }
}

// The global constants, after the global uniforms, as NVIDIA's runtime walks them: each a float4
// of its values (an int or a float3 alike), which the code has folded in and never reads. A
// constant of more than four values (a matrix, an array) is left out.
void addConstants(Builder& builder, const std::vector<cgrt::Constant>& constants) {
    for (const cgrt::Constant& c : constants) {
        if (c.values.size() > 4) {
            continue;
        }
        CgParameterState& p = builder.add(c.name, true, nullptr);
        p.type = CG_FLOAT4;
        p.kind = cgrt::UniformKind::Vector;
        p.components = 4;
        p.variability = CG_CONSTANT;
        std::copy(c.values.begin(), c.values.end(), p.values);
        std::copy(p.values, p.values + 4, p.defaults);
    }
}

bool isStruct(const CgParameterState& p) {
    return p.type == CG_STRUCT;
}

// What the leaf walks skip: structs and arrays, whose members they give instead.
bool holdsMembers(const CgParameterState& p) {
    return p.type == CG_STRUCT || p.type == CG_ARRAY;
}

// "TEXUNIT3" (in any case, as semantics are) gives 3; anything else -1.
int unitOf(const std::string& semantic) {
    const std::string word = "TEXUNIT";
    if (semantic.size() <= word.size() || semantic.size() > word.size() + 2) {
        return -1;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(semantic[i])) != word[i]) {
            return -1;
        }
    }
    for (std::size_t i = word.size(); i < semantic.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(semantic[i]))) {
            return -1;
        }
    }
    const int unit = std::atoi(semantic.c_str() + word.size());
    return unit < 16 ? unit : -1;
}

// The position of `name` in `order`, or past its end when not there.
std::size_t rankIn(const std::vector<std::string>& order, const std::string& name) {
    return static_cast<std::size_t>(std::find(order.begin(), order.end(), name) - order.begin());
}

// A sampler the source binds to a unit keeps it, read or not; the ARB profiles, whose code names
// its units, give an unread one none, but for the entry's own sampler parameters.
bool keepsUnit(const CgParameterState& p) {
    const bool ownParameter = !p.global && p.parent == nullptr;
    return (isGlsl(p.program->profile) || ownParameter) && p.kind == cgrt::UniformKind::Sampler &&
           unitOf(p.semantic) >= 0;
}

// Samplers with a TEXUNITn semantic take unit n; the others the lowest units left, in the order
// of the walk (the entry's samplers before the globals), as NVIDIA's runtime hands them out in
// the GLSL profiles. In the ARB profiles cgc hands them out in the order the code first reads
// them (`byFirstRead`). A sampler the code does not read takes none, unless it keeps its own.
void assignUnits(CgProgramState& program, const std::vector<std::string>& byFirstRead) {
    std::vector<bool> used;
    std::vector<CgParameterState*> rest;
    for (const auto& p : program.parameters) {
        if (p->kind != cgrt::UniformKind::Sampler) {
            continue;
        }
        if (!p->referenced && !keepsUnit(*p)) {
            p->unit = -1;
            continue;
        }
        p->unit = unitOf(p->semantic);
        if (p->unit < 0) {
            rest.push_back(p.get());
            continue;
        }
        used.resize(std::max(used.size(), static_cast<std::size_t>(p->unit) + 1));
        used[static_cast<std::size_t>(p->unit)] = true;
    }
    if (!isGlsl(program.profile)) {
        std::stable_sort(rest.begin(), rest.end(), [&](CgParameterState* a, CgParameterState* b) {
            return rankIn(byFirstRead, a->name) < rankIn(byFirstRead, b->name);
        });
    }
    int next = 0;
    for (CgParameterState* p : rest) {
        while (static_cast<std::size_t>(next) < used.size() &&
               used[static_cast<std::size_t>(next)]) {
            ++next;
        }
        p->unit = next++;
    }
    for (const auto& p : program.parameters) {
        if (p->unit >= 0) {
            p->resource = static_cast<CGresource>(CG_TEXUNIT0 + std::min(p->unit, 15));
        }
    }
}

// Whether `program` is a program and `nameSpace` one of its walks; raises the error if not.
bool validWalk(CGprogram program, CGenum nameSpace) {
    if (!cgrt::isValid(program)) {
        cgrt::raise(CG_INVALID_PROGRAM_HANDLE_ERROR);
        return false;
    }
    if (nameSpace != CG_PROGRAM && nameSpace != CG_GLOBAL) {
        cgrt::raise(CG_INVALID_ENUMERANT_ERROR);
        return false;
    }
    return true;
}

// A struct is as variable as its members: CG_MIXED where they differ, as in RetroArch's PREV, whose
// texture is uniform and whose coordinates are varying. Hosts pick the varyings to feed by this.
CGenum settleVariability(CgParameterState& p) {
    if (p.type != CG_STRUCT || p.firstMember == nullptr) {
        return p.variability;
    }
    CGenum all = settleVariability(*p.firstMember);
    for (CgParameterState* m = p.firstMember->next; m != nullptr; m = m->next) {
        if (settleVariability(*m) != all) {
            all = CG_MIXED;
        }
    }
    p.variability = all;
    return all;
}

// Marks what the code does not use, by the translation's names: an array's elements with it, a
// struct unused when none of its members is used.
bool settleReferenced(CgParameterState& p, const std::vector<std::string>& unused) {
    if (p.type == CG_STRUCT && p.firstMember != nullptr) {
        bool any = false;
        for (CgParameterState* m = p.firstMember; m != nullptr; m = m->next) {
            any = settleReferenced(*m, unused) || any;
        }
        p.referenced = any;
    } else {
        // The GLSL profiles write every output, given a value or not.
        p.referenced = (p.direction == CG_OUT && isGlsl(p.program->profile)) ||
                       (p.variability != CG_CONSTANT &&
                        std::find(unused.begin(), unused.end(), p.name) == unused.end());
        for (CgParameterState* m = p.firstMember; m != nullptr; m = m->next) {
            m->referenced = p.referenced;
            m->resource = p.referenced ? m->resource : CG_UNDEFINED;
        }
    }
    // An attribute cgc named for a struct keeps its name, read or not.
    if (!p.referenced && !keepsUnit(p) && p.resource != CG_GLSL_ATTRIB) {
        p.resource = CG_UNDEFINED;
    }
    return p.referenced;
}

// The member's name within its struct ("mvp_matrix" of "FEEDBACK.mvp_matrix").
std::string memberName(const CgParameterState& p) {
    return p.name.substr(p.name.rfind('.') + 1);
}

// In the GLSL profiles cgc keeps a uniform member of a struct type wherever the code reads that
// member through another parameter of the type: unread there, it still has its uniform.
void keepSharedMembers(CgProgramState& program) {
    if (!isGlsl(program.profile)) {
        return;
    }
    for (const auto& p : program.parameters) {
        if (p->referenced || p->variability != CG_UNIFORM || p->parent == nullptr ||
            p->parent->userType == 0) {
            continue;
        }
        for (const auto& other : program.parameters) {
            if (other->referenced && other->parent != nullptr &&
                other->parent->userType == p->parent->userType &&
                memberName(*other) == memberName(*p)) {
                p->resource = uniformResource(program.profile, *p);
                break;
            }
        }
    }
}

// The register the ARB profiles' constants start at: cgc keeps arbvp1's first one for the
// program's own literals, whether it has any or not.
int firstConstantRegister(CGprofile profile) {
    switch (profile) {
        case CG_PROFILE_ARBVP1:
            return 1;
        case CG_PROFILE_ARBFP1:
            return 0;
        default:
            return -1;
    }
}

bool isMatrix(const CgParameterState& p) {
    return p.kind == cgrt::UniformKind::Matrix;
}

// Numbers the constant registers of the uniforms the code reads as cgc allocates them: matrices
// first, then the rest, each group in the order of the walk, a register a row.
void numberConstantRegisters(CgProgramState& program) {
    int next = firstConstantRegister(program.profile);
    if (next < 0) {
        return;
    }
    for (const bool matrices : {true, false}) {
        for (const auto& p : program.parameters) {
            if (p->resource == CG_C && isMatrix(*p) == matrices) {
                p->constantRegister = static_cast<unsigned long>(next);
                next += matrices ? p->rows : 1;
            }
        }
    }
}

}  // namespace

namespace cgrt {

void addParameters(CgProgramState& program, const Translation& translation) {
    Builder builder(program);
    std::vector<bool> taken(translation.uniforms.size(), false);
    addEntryParameters(builder, program, translation, taken, false);
    addGlobals(builder, translation.uniforms, taken);
    addConstants(builder, translation.constants);
    addEntryParameters(builder, program, translation, taken, true);
    for (CgParameterState* top : program.firstOf) {
        for (CgParameterState* p = top; p != nullptr; p = p->next) {
            settleVariability(*p);
        }
    }
    for (CgParameterState* top : program.firstOf) {
        for (CgParameterState* p = top; p != nullptr; p = p->next) {
            settleReferenced(*p, translation.unused);
        }
    }
    assignUnits(program, translation.samplersByFirstRead);
    keepSharedMembers(program);
    numberConstantRegisters(program);
}

}  // namespace cgrt

extern "C" {

CGparameter cgGetFirstParameter(CGprogram program, CGenum nameSpace) {
    if (!validWalk(program, nameSpace)) {
        return nullptr;
    }
    return program->firstOf[nameSpace == CG_GLOBAL ? 1 : 0];
}

CGparameter cgGetNextParameter(CGparameter param) {
    return cgrt::valid(param) != nullptr ? param->next : nullptr;
}

CGparameter cgGetFirstStructParameter(CGparameter param) {
    if (cgrt::valid(param) == nullptr) {
        return nullptr;
    }
    if (!isStruct(*param)) {
        cgrt::raise(CG_INVALID_PARAMETER_TYPE_ERROR);
        return nullptr;
    }
    return param->firstMember;
}

CGparameter cgGetFirstLeafParameter(CGprogram program, CGenum nameSpace) {
    if (!validWalk(program, nameSpace)) {
        return nullptr;
    }
    for (const auto& p : program->parameters) {
        if (p->global == (nameSpace == CG_GLOBAL) && !holdsMembers(*p)) {
            return p.get();
        }
    }
    return nullptr;
}

CGparameter cgGetNextLeafParameter(CGparameter param) {
    if (cgrt::valid(param) == nullptr) {
        return nullptr;
    }
    const auto& all = param->program->parameters;
    for (std::size_t i = static_cast<std::size_t>(param->index) + 1; i < all.size(); ++i) {
        if (all[i]->global == param->global && !holdsMembers(*all[i])) {
            return all[i].get();
        }
    }
    return nullptr;
}

const char* cgGetParameterSemantic(CGparameter param) {
    return cgrt::valid(param) != nullptr ? param->semantic.c_str() : "";
}

CGenum cgGetParameterDirection(CGparameter param) {
    return cgrt::valid(param) != nullptr ? param->direction : CG_ERROR;
}

CGenum cgGetParameterVariability(CGparameter param) {
    return cgrt::valid(param) != nullptr ? param->variability : CG_ERROR;
}

CGresource cgGetParameterResource(CGparameter param) {
    if (cgrt::valid(param) == nullptr) {
        return CG_UNDEFINED;
    }
    // A struct or an array has no resource of its own, only its members do.
    if (holdsMembers(*param)) {
        cgrt::raise(CG_INVALID_PARAMETER_ERROR);
        return CG_UNDEFINED;
    }
    return param->resource;
}

CGresource cgGetParameterBaseResource(CGparameter param) {
    return cgrt::baseResource(cgGetParameterResource(param));
}

unsigned long cgGetParameterResourceIndex(CGparameter param) {
    const CGresource resource = cgGetParameterResource(param);
    if (resource == CG_GLSL_ATTRIB) {
        return 0;
    }
    if (resource != CG_C && param->variability == CG_VARYING && param->semantic != param->boundBy) {
        // A name cgc gave in the GLSL profiles: NVIDIA's runtime reads its number ("_COLORPHASE1").
        int number = 0;
        cgrt::splitSemantic(param->semantic, number);
        return static_cast<unsigned long>(number);
    }
    return resource == CG_C ? param->constantRegister : cgrt::resourceIndex(resource);
}

CGbool cgIsParameterGlobal(CGparameter param) {
    return cgrt::valid(param) != nullptr && param->global ? CG_TRUE : CG_FALSE;
}

CGbool cgIsParameterReferenced(CGparameter param) {
    return cgrt::valid(param) != nullptr && param->referenced ? CG_TRUE : CG_FALSE;
}

}  // extern "C"
