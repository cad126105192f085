// The GL binding: GLSL shader objects, one GL program per pair of programs in use, parameter
// uploads and texture samplers. Nothing here allocates once every pair in use has been linked:
// the program calls enable/setParameters/disable around every draw.
#include "CgError.h"
#include "CgState.h"

#include <Cg/cgGL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

struct Slot {
    CgParameterState* param;
    GLint location;
    unsigned uploaded;  // the parameter's version that this GL program holds (0: none)
};

// A GL program made of the programs bound to the enabled profiles (one of them may be null: GL's
// fixed function does that stage). GL keeps uniform values per program object, so each one
// remembers what it was sent.
struct Linked {
    CgProgramState* stages[2];
    GLuint program;
    std::vector<Slot> slots;  // the vertex program's parameters, then the fragment program's
    std::size_t fragmentFirst;
};

// WebGL links a program only with both stages in it: there the fixed-function pipeline draws
// until both profiles are enabled.
#ifdef __EMSCRIPTEN__
constexpr bool SINGLE_STAGE_PROGRAMS = false;
#else
constexpr bool SINGLE_STAGE_PROGRAMS = true;
#endif

std::vector<std::unique_ptr<Linked>> linked;
Linked* current = nullptr;
CgProgramState* bound[2] = {nullptr, nullptr};
bool enabled[2] = {false, false};
// Whether binding checks GL's error flag (cgGLSetDebugMode).
bool debugMode = false;

// `count` values of `width` floats each (1 to 4; wider is taken as 4).
void uploadFloats(GLint location, int width, GLsizei count, const float* values) {
    switch (width) {
        case 1:
            glUniform1fv(location, count, values);
            break;
        case 2:
            glUniform2fv(location, count, values);
            break;
        case 3:
            glUniform3fv(location, count, values);
            break;
        default:
            glUniform4fv(location, count, values);
            break;
    }
}

void uploadArray(GLint location, const CgParameterState& p) {
    if (p.arrayValues.empty() || p.arrayWidth < 1) {
        return;
    }
    uploadFloats(location, p.arrayWidth, static_cast<GLsizei>(p.arrayValues.size()) / p.arrayWidth,
                 p.arrayValues.data());
}

// The generated code multiplies matrix * vector, so a square matrix's columns go in as they are,
// unless it reads that one as it stands (readByRows).
// A non-square one the code reads as it stands: its GLSL columns are Cg's rows (see the
// translator), which GL takes from the columns when told to transpose. WebGL 1 has none.
void uploadMatrix(GLint location, const CgParameterState& p) {
    using Upload = void (*)(GLint, GLsizei, GLboolean, const GLfloat*);
    const int columns = p.rows > 0 ? p.components / p.rows : 0;
    if (p.rows < 2 || p.rows > 4 || columns < 2 || columns > 4) {
        return;
    }
    if (p.rows == columns) {
        const Upload square[] = {glUniformMatrix2fv, glUniformMatrix3fv, glUniformMatrix4fv};
        if (!p.readByRows) {
            square[p.rows - 2](location, 1, GL_FALSE, p.values);
            return;
        }
        // Turned here rather than by GL, which WebGL 1 cannot.
        float byColumns[16];
        cgrt::toColumns(p.values, p.rows, p.rows, byColumns);
        square[p.rows - 2](location, 1, GL_FALSE, byColumns);
        return;
    }
#ifndef __EMSCRIPTEN__
    const Upload shapes[3][3] = {{nullptr, glUniformMatrix2x3fv, glUniformMatrix2x4fv},
                                 {glUniformMatrix3x2fv, nullptr, glUniformMatrix3x4fv},
                                 {glUniformMatrix4x2fv, glUniformMatrix4x3fv, nullptr}};
    shapes[p.rows - 2][columns - 2](location, 1, GL_TRUE, p.values);
#endif
}

// Cg converts a value set on an int parameter as C does: toward zero.
void uploadInts(GLint location, const CgParameterState& p) {
    GLint v[4] = {};
    for (int i = 0; i < p.components && i < 4; ++i) {
        v[i] = static_cast<GLint>(p.values[i]);
    }
    switch (p.components) {
        case 1:
            glUniform1iv(location, 1, v);
            break;
        case 2:
            glUniform2iv(location, 1, v);
            break;
        case 3:
            glUniform3iv(location, 1, v);
            break;
        default:
            glUniform4iv(location, 1, v);
            break;
    }
}

void upload(Slot& slot) {
    const CgParameterState& p = *slot.param;
    slot.uploaded = p.version;
    if (slot.location < 0) {
        return;
    }
    if (p.integer) {
        uploadInts(slot.location, p);
        return;
    }
    switch (p.kind) {
        case cgrt::UniformKind::Vector:
            uploadFloats(slot.location, p.components, 1, p.values);
            break;
        case cgrt::UniformKind::Matrix:
            uploadMatrix(slot.location, p);
            break;
        case cgrt::UniformKind::Sampler:
            glUniform1i(slot.location, p.unit);
            break;
        case cgrt::UniformKind::Other:
            uploadArray(slot.location, p);
            break;
    }
}

Slot* slotOf(Linked& l, const CgParameterState& param) {
    if (param.program == l.stages[0]) {
        return &l.slots[param.index];
    }
    if (param.program == l.stages[1]) {
        return &l.slots[l.fragmentFirst + param.index];
    }
    return nullptr;
}

// GL's log of a shader or program object, through the calls that read it.
template <typename GetValue, typename GetLog>
std::string infoLog(GLuint object, GetValue getValue, GetLog getLog) {
    GLint length = 0;
    getValue(object, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<std::size_t>(std::max(length, 1)), '\0');
    getLog(object, length, nullptr, log.data());
    return log.c_str();
}

// The pair's GL program, linked; 0 when it does not link, with the listing saying why.
GLuint linkedProgram(CgProgramState* vertex, CgProgramState* fragment) {
    const GLuint program = glCreateProgram();
    for (CgProgramState* stage : {vertex, fragment}) {
        if (stage != nullptr) {
            glAttachShader(program, stage->shader);
        }
    }
    // Vertex inputs bound to ATTRn, TANGENT, ... read generic attribute n, as in NVIDIA's
    // profiles (see CgTranslator.cpp). Only those a stage reads: the others' calls would change
    // nothing but the GL stream.
    const unsigned attributes = (vertex != nullptr ? vertex->genericAttributes : 0u) |
                                (fragment != nullptr ? fragment->genericAttributes : 0u);
    for (GLuint n = 1; n < 16; ++n) {
        if ((attributes >> n & 1u) != 0) {
            glBindAttribLocation(program, n, ("cgAttr" + std::to_string(n)).c_str());
        }
    }
    glLinkProgram(program);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok == GL_TRUE) {
        return program;
    }
    const std::string log = infoLog(program, glGetProgramiv, glGetProgramInfoLog);
    glDeleteProgram(program);
    CgContextState* context = (vertex != nullptr ? vertex : fragment)->context;
    cgrt::setListing(*context, cgrt::format(cgrt::CgError{"", cgrt::NO_LOCATION,
                                                          "the vertex and fragment programs "
                                                          "cannot be linked:"}) +
                                   log);
    return 0;
}

// Where each parameter of the pair goes in its GL program.
void findSlots(Linked& l) {
    l.fragmentFirst = l.stages[0] != nullptr ? l.stages[0]->parameters.size() : 0;
    for (CgProgramState* stage : l.stages) {
        if (stage == nullptr) {
            continue;
        }
        for (const auto& param : stage->parameters) {
            // Of the parameters that hold no value, only an array with a starting value is sent;
            // a constant is in the code itself.
            const bool sent =
                param->variability != CG_CONSTANT &&
                (param->kind != cgrt::UniformKind::Other || !param->arrayValues.empty());
            const GLint location =
                sent ? glGetUniformLocation(l.program, param->glslName.c_str()) : -1;
            l.slots.push_back(Slot{param.get(), location, 0});
        }
    }
}

// A pair that does not link is kept too, without a GL program, so that it is not linked again
// each time the host passes through it.
Linked* link(CgProgramState* vertex, CgProgramState* fragment) {
    auto l = std::make_unique<Linked>();
    l->stages[0] = vertex;
    l->stages[1] = fragment;
    l->program = linkedProgram(vertex, fragment);
    if (l->program != 0) {
        findSlots(*l);
    }
    linked.push_back(std::move(l));
    return linked.back().get();
}

// Makes GL run what the bound programs of the enabled profiles say, or the fixed-function
// pipeline when no profile is enabled.
void updatePipeline() {
    CgProgramState* vertex = enabled[0] ? bound[0] : nullptr;
    CgProgramState* fragment = enabled[1] ? bound[1] : nullptr;
    const bool partial = vertex == nullptr || fragment == nullptr;
    if ((vertex == nullptr && fragment == nullptr) || (partial && !SINGLE_STAGE_PROGRAMS)) {
        if (current != nullptr) {
            glUseProgram(0);
            current = nullptr;
        }
        return;
    }
    if (current != nullptr && current->stages[0] == vertex && current->stages[1] == fragment) {
        return;
    }
    Linked* next = nullptr;
    for (const auto& l : linked) {
        if (l->stages[0] == vertex && l->stages[1] == fragment) {
            next = l.get();
            break;
        }
    }
    if (next == nullptr) {
        next = link(vertex, fragment);
    }
    // A host binds one stage, then the other (RetroArch the next pass's fragment program before
    // its vertex program): a pair that does not link is passed through on the way, and NVIDIA's
    // profiles take any pair without an error. The listing says why it did not link.
    if (next->program == 0) {
        glUseProgram(0);
        current = nullptr;
        return;
    }
    glUseProgram(next->program);
    current = next;
    for (Slot& slot : next->slots) {
        if (slot.uploaded != slot.param->version) {
            upload(slot);
        }
    }
}

void setProfileEnabled(CGprofile profile, bool on) {
    const int slot = cgrt::profileSlot(profile);
    if (slot < 0) {
        cgrt::raise(CG_INVALID_PROFILE_ERROR);
        return;
    }
    enabled[slot] = on;
    updatePipeline();
}

// Stores the change and sends it at once when the parameter's program is in use.
void changed(CgParameterState& param) {
    ++param.version;
    if (current != nullptr) {
        if (Slot* slot = slotOf(*current, param)) {
            upload(*slot);
        }
    }
}

void bindTexture(const CgParameterState& param) {
    if (param.unit < 0) {
        return;
    }
    GLint active = GL_TEXTURE0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    const GLenum unit = GL_TEXTURE0 + static_cast<GLenum>(param.unit);
    if (static_cast<GLenum>(active) != unit) {
        glActiveTexture(unit);
    }
    glBindTexture(param.textureTarget, param.texture);
    if (static_cast<GLenum>(active) != unit) {
        glActiveTexture(static_cast<GLenum>(active));
    }
}

// Validates a parameter for a call that needs values of `kind`.
CgParameterState* checked(CGparameter param, cgrt::UniformKind kind) {
    if (!cgrt::isValid(param)) {
        cgrt::raise(CG_INVALID_PARAM_HANDLE_ERROR);
        return nullptr;
    }
    if (param->kind != kind) {
        cgrt::raise(kind == cgrt::UniformKind::Matrix    ? CG_NOT_MATRIX_PARAM_ERROR
                    : kind == cgrt::UniformKind::Sampler ? CG_INVALID_PARAMETER_ERROR
                                                         : CG_INVALID_VALUE_TYPE_ERROR);
        return nullptr;
    }
    return param;
}

}  // namespace

namespace cgrt {
namespace {

// The version in a GL_SHADING_LANGUAGE_VERSION string as 100 * major + minor ("1.20 ..." is 120,
// WebGL's "WebGL GLSL ES 1.0 (...)" is 100); 0 when there is none.
int glslVersion(const char* text) {
    const char* digit = text != nullptr ? std::strpbrk(text, "0123456789") : nullptr;
    int major = 0, minor = 0;
    if (digit == nullptr || std::sscanf(digit, "%d.%d", &major, &minor) != 2) {
        return 0;
    }
    return 100 * major + (minor < 10 ? 10 * minor : minor);
}

}  // namespace

// The one string of a compatibility context, which is where the ARB programs live (a core context
// answers null and an error, which is dropped). Reading the string rather than counting the
// extensions one by one keeps the host's GL stream as it was without these questions.
bool hasExtension(const char* name) {
    const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (list == nullptr) {
        glGetError();
        return false;
    }
    const std::size_t length = std::strlen(name);
    for (const char* at = std::strstr(list, name); at != nullptr; at = std::strstr(at + 1, name)) {
        const bool starts = at == list || at[-1] == ' ';
        const bool ends = at[length] == ' ' || at[length] == '\0';
        if (starts && ends) {
            return true;
        }
    }
    return false;
}

std::string shadingShortfall() {
    const char* glText = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    const char* glslText = reinterpret_cast<const char*>(glGetString(GL_SHADING_LANGUAGE_VERSION));
    if (glslText == nullptr) {
        // A driver before GL 2.0 does not know the name: drop the error the question raised.
        glGetError();
    }
    // The translator writes GLSL 1.20 for desktop GL and GLSL ES 1.00 where GL is ES (WebGL). GL
    // 2.0 brings the shader objects; Mesa runs the output on GL 2.0 as soon as it offers GLSL 1.20.
    const bool es = glslText != nullptr && std::strstr(glslText, " ES") != nullptr;
    const int needed = es ? 100 : 120;
    if (epoxy_gl_version() >= 20 && glslVersion(glslText) >= needed) {
        return "";
    }
    return format(CgError{"", NO_LOCATION,
                          std::string("the shader programs need OpenGL 2.0 with GLSL ") +
                              (es ? "ES 1.00" : "1.20") + "; this driver offers OpenGL " +
                              (glText != nullptr ? glText : "(unknown)") + " with " +
                              (glslText != nullptr ? std::string("GLSL ") + glslText
                                                   : std::string("no GLSL version"))});
}

bool compileShader(CgProgramState& program, const std::string& listing) {
    const GLuint shader =
        glCreateShader(program.stage == Stage::Vertex ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER);
    const char* text = program.glsl.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok == GL_TRUE) {
        program.shader = shader;
        return true;
    }
    const std::string log = infoLog(shader, glGetShaderiv, glGetShaderInfoLog);
    glDeleteShader(shader);
    setListing(
        *program.context,
        listing +
            format(CgError{program.name, 0, "the GL driver rejected the translated program:"}) +
            log);
    return false;
}

void valuesChanged(CgParameterState& param) {
    changed(param);
}

bool isProfileEnabled(CGprofile profile) {
    const int slot = profileSlot(profile);
    return slot >= 0 && enabled[slot];
}

bool isTextureParameterEnabled(CGparameter param) {
    return isValid(param) && param->kind == UniformKind::Sampler && param->textureEnabled;
}

void releaseProgram(CgProgramState& program) {
    for (int i = 0; i < 2; ++i) {
        if (bound[i] == &program) {
            bound[i] = nullptr;
        }
    }
    updatePipeline();
    for (auto it = linked.begin(); it != linked.end();) {
        if ((*it)->stages[0] == &program || (*it)->stages[1] == &program) {
            glDeleteProgram((*it)->program);
            it = linked.erase(it);
        } else {
            ++it;
        }
    }
    // A program created without a GL context and never loaded has nothing on the GL side, and may
    // be destroyed where no context is current.
    if (program.shader != 0) {
        glDeleteShader(program.shader);
        program.shader = 0;
    }
}

}  // namespace cgrt

extern "C" {

CGprofile cgGLGetLatestProfile(CGGLenum profileClass) {
    if (profileClass != CG_GL_VERTEX && profileClass != CG_GL_FRAGMENT) {
        cgrt::raise(CG_INVALID_ENUMERANT_ERROR);
        return CG_PROFILE_UNKNOWN;
    }
    if (!cgrt::glContextCurrent()) {
        return CG_PROFILE_UNKNOWN;
    }
    // Checked before anything is compiled, so that an old driver is told what it lacks rather
    // than failing on the first program.
    const std::string shortfall = cgrt::shadingShortfall();
    if (!shortfall.empty()) {
        cgrt::setListingEverywhere(shortfall);
        return CG_PROFILE_UNKNOWN;
    }
    // NVIDIA's runtime prefers the ARB assembly profiles where the driver has them (Mesa's does);
    // programs written for it expect that answer, and compile the same here either way.
    const bool vertex = profileClass == CG_GL_VERTEX;
    const CGprofile arb = vertex ? CG_PROFILE_ARBVP1 : CG_PROFILE_ARBFP1;
    return cgGLIsProfileSupported(arb) ? arb : vertex ? CG_PROFILE_GLSLV : CG_PROFILE_GLSLF;
}

CGbool cgGLIsProfileSupported(CGprofile profile) {
    // Every profile runs as GLSL here, so each needs what GLSL needs.
    if (cgrt::profileSlot(profile) < 0 || !cgrt::glContextCurrent() ||
        !cgrt::shadingShortfall().empty()) {
        return CG_FALSE;
    }
    switch (profile) {
        case CG_PROFILE_ARBVP1:
            return cgrt::hasExtension("GL_ARB_vertex_program") ? CG_TRUE : CG_FALSE;
        case CG_PROFILE_ARBFP1:
            return cgrt::hasExtension("GL_ARB_fragment_program") ? CG_TRUE : CG_FALSE;
        case CG_PROFILE_GLSLV:
        case CG_PROFILE_GLSLF:
            return CG_TRUE;
        default:
            // NVIDIA's own profiles need NVIDIA's extensions.
            return CG_FALSE;
    }
}

void cgGLSetOptimalOptions(CGprofile profile) {
    if (cgrt::profileSlot(profile) < 0) {
        cgrt::raise(CG_INVALID_PROFILE_ERROR);
    }
}

void cgGLLoadProgram(CGprogram program) {
    if (!cgrt::isValid(program)) {
        cgrt::raise(CG_INVALID_PROGRAM_HANDLE_ERROR);
        return;
    }
    if (!program->domains.empty()) {
        program->loaded = true;
        for (CgProgramState* domain : program->domains) {
            cgGLLoadProgram(domain);
            program->loaded = program->loaded && domain->loaded;
        }
        return;
    }
    // Without GL, or on a driver without the profile, NVIDIA's runtime answers the same.
    if (!cgrt::glContextCurrent() || !cgGLIsProfileSupported(program->profile)) {
        cgrt::raise(CG_INVALID_PROFILE_ERROR);
        return;
    }
    if (program->shader == 0 && !cgrt::compileShader(*program, "")) {
        cgrt::raise(CG_PROGRAM_LOAD_ERROR);
        return;
    }
    program->loaded = true;
}

void cgGLBindProgram(CGprogram program) {
    if (!cgrt::isValid(program)) {
        cgrt::raise(CG_INVALID_PROGRAM_HANDLE_ERROR);
        return;
    }
    if (!program->loaded) {
        cgrt::raise(CG_PROGRAM_NOT_LOADED_ERROR);
        return;
    }
    if (!program->domains.empty()) {
        for (CgProgramState* domain : program->domains) {
            cgGLBindProgram(domain);
        }
        return;
    }
    bound[cgrt::profileSlot(program->profile)] = program;
    updatePipeline();
    if (program->context->manageTextures) {
        for (const auto& param : program->parameters) {
            if (param->kind == cgrt::UniformKind::Sampler) {
                bindTexture(*param);
            }
        }
    }
    if (debugMode && glGetError() != GL_NO_ERROR) {
        cgrt::raise(CG_PROGRAM_BIND_ERROR, program->context);
    }
}

// With it on, binding a program reports a GL error flag raised since the last check (GL's own or
// the host's) as CG_PROGRAM_BIND_ERROR, and clears it.
void cgGLSetDebugMode(CGbool debug) {
    debugMode = debug != CG_FALSE;
}

void cgGLUnbindProgram(CGprofile profile) {
    const int slot = cgrt::profileSlot(profile);
    if (slot < 0) {
        cgrt::raise(CG_INVALID_PROFILE_ERROR);
        return;
    }
    bound[slot] = nullptr;
    updatePipeline();
}

void cgGLEnableProfile(CGprofile profile) {
    setProfileEnabled(profile, true);
}

void cgGLDisableProfile(CGprofile profile) {
    setProfileEnabled(profile, false);
}

void cgGLSetTextureParameter(CGparameter param, GLuint texture) {
    CgParameterState* p = checked(param, cgrt::UniformKind::Sampler);
    if (p == nullptr) {
        return;
    }
    p->texture = texture;
    if (p->textureEnabled) {
        bindTexture(*p);
    }
}

GLuint cgGLGetTextureParameter(CGparameter param) {
    CgParameterState* p = checked(param, cgrt::UniformKind::Sampler);
    return p != nullptr ? p->texture : 0;
}

void cgGLEnableTextureParameter(CGparameter param) {
    CgParameterState* p = checked(param, cgrt::UniformKind::Sampler);
    if (p == nullptr) {
        return;
    }
    p->textureEnabled = true;
    bindTexture(*p);
}

void cgGLDisableTextureParameter(CGparameter param) {
    CgParameterState* p = checked(param, cgrt::UniformKind::Sampler);
    if (p != nullptr) {
        p->textureEnabled = false;
    }
}

}  // extern "C"
