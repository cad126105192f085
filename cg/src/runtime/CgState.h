// What the handles of cg.h point at, shared by the core (CgRuntime.cpp) and the GL binding
// (CgGL.cpp).
#pragma once

#include <epoxy/gl.h>

#include <Cg/cg.h>

#include "CgContext.h"
#include "CgTranslator.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct CgParameterState {
    CgProgramState* program = nullptr;
    int index = 0;  // position in its program's list, which follows declaration order
    std::string name;
    std::string glslName;
    std::string semantic;
    // The semantic a varying is bound by: where the GLSL profiles report cgc's name for it
    // instead, `semantic` differs (and the runtime feeds no such input).
    std::string boundBy;
    CGtype type = CG_UNKNOWN_TYPE;
    cgrt::UniformKind kind = cgrt::UniformKind::Other;
    int components = 0;
    int rows = 0;             // of a matrix, whose columns are components / rows
    bool readByRows = false;  // a square matrix the code reads transposed (cgrt::Uniform's)
    bool integer = false;     // a vector of ints, sent as ints
    // Vectors as given, matrices column by column.
    float values[16] = {};
    // An array of floats or float vectors: its starting values, element after element, and each
    // element's size. The program cannot set them; they are sent when the program is first used.
    std::vector<float> arrayValues;
    int arrayWidth = 0;
    // Bumped by every change, so that a GL program knows which values it lacks.
    unsigned version = 1;
    GLenum textureTarget = 0;
    int unit = -1;
    GLuint texture = 0;
    bool textureEnabled = false;
    // Its place in the walks, which follow NVIDIA's: the entry's parameters under CG_PROGRAM, the
    // global uniforms and the entry's result under CG_GLOBAL; a struct's members under it.
    bool global = false;
    CgParameterState* parent = nullptr;
    CgParameterState* firstMember = nullptr;
    // A struct's own type (cgrt::userType), 0 for none. An int: user types lie past the values
    // CGtype names, which C++ does not let the enumeration hold.
    int userType = 0;
    CgParameterState* next = nullptr;
    CGenum direction = CG_IN;
    CGenum variability = CG_UNIFORM;
    CGresource resource = CG_UNDEFINED;
    // What the source starts it at (as `values`), for cgGetParameterDefaultValue*.
    float defaults[16] = {};
    int arraySize = 0;  // of an array (CG_ARRAY), whose elements are its members
    // Whether the compiled code reads it (an output: writes it; a struct: any of its members); an
    // unused one has no resource.
    bool referenced = true;
    // Of a uniform in the ARB profiles' constants (CG_C): the first register it takes.
    unsigned long constantRegister = 0;
};

struct CgProgramState {
    CgContextState* context = nullptr;
    CGprofile profile = CG_PROFILE_UNKNOWN;
    cgrt::Stage stage = cgrt::Stage::Vertex;
    std::string name;  // the file, or "(program text)"
    std::string glsl;  // the translation, kept until GL compiles it
    GLuint shader = 0;
    // Bit n: the shader reads generic attribute n (an ATTRn, TANGENT, ... input) as cgAttr<n>.
    std::uint16_t genericAttributes = 0;
    bool loaded = false;
    // Every parameter, each struct before its members: the entry's, then the globals.
    std::vector<std::unique_ptr<CgParameterState>> parameters;
    // As the program was created, for cgGetProgramString and cgGetProgramOptions. The GLSL above
    // stays too, so that an unloaded program can be loaded again.
    std::string source;
    std::string entry;
    std::vector<std::string> options;
    std::vector<const char*> optionList;  // options' texts, then a null
    CgParameterState* firstOf[2] = {};
    // Of a program made by cgCombinePrograms: the programs it stands for, loaded and bound with it.
    std::vector<CgProgramState*> domains;  // the CG_PROGRAM walk's first and the CG_GLOBAL one's
};

struct CgContextState {
    std::vector<std::unique_ptr<CgProgramState>> programs;
    std::string lastListing;
    // Whether binding a program binds its samplers' textures (cgGLSetManageTextureParameters).
    bool manageTextures = false;
    // The struct types its programs declare, by name (cgrt::userType).
    std::vector<std::pair<std::string, int>> userTypes;
};

namespace cgrt {

// Records `error` as pending, then tells the registered handler (with `context`, the one the
// failing call concerns, if any) and the registered callback.
void raise(CGerror error, CGcontext context = nullptr);
// Keeps `listing` as the context's last one, without the final line end: the caller prints it
// as one more line.
void setListing(CgContextState& context, std::string listing);
// The same listing for every context: for what concerns the driver rather than one program.
void setListingEverywhere(const std::string& listing);

bool isValid(CGcontext context);
bool isValid(CGprogram program);
bool isValid(CGparameter param);
// The handle when it is valid; otherwise null, after raising the error for an invalid handle of its
// kind.
CgContextState* valid(CGcontext context);
CgProgramState* valid(CGprogram program);
CgParameterState* valid(CGparameter param);

// 0 for the vertex profile, 1 for the fragment profile, -1 for anything else.
int profileSlot(CGprofile profile);
// The profile options (cgc's -po) NVIDIA's compiler takes for `profile` without a word, such as
// cgGLGetOptimalOptions gives: "NumTemps" for arbvp1. They change nothing here.
std::vector<std::string> profileOptionNames(CGprofile profile);
// Whether the current context's extension string names `name`.
bool hasExtension(const char* name);
// Empty when the current driver runs what the translator writes; otherwise one line saying what is
// needed and what the driver offers.
std::string shadingShortfall();

// GL side of program creation and destruction (CgGL.cpp). `compileShader` gives the program its GL
// shader; when the driver rejects the code, it leaves `listing` and the driver's log as the
// context's listing and returns false.
bool compileShader(CgProgramState& program, const std::string& listing);
// What the GL binding holds, for the tests: NVIDIA's API has no call that asks.
bool isProfileEnabled(CGprofile profile);
bool isTextureParameterEnabled(CGparameter param);
// Shared by the core's value calls and the GL binding's forms of them (CgValues.cpp): the whole
// value of a parameter of numbers into `values`, which must hold `count`; a matrix parameter, or
// null after the error NVIDIA's runtime raises; an array's elements from `offset`, `count` of them
// (0: all the rest), or none after the error (CgArrays.cpp).
void getWholeValue(CGparameter param, int count, float* values);
void getWholeValue(CGparameter param, int count, double* values);
CgParameterState* matrixParameter(CGparameter param);
// The type a struct named `name` has in `context`: numbered from 8193 in the order the process met
// them, as NVIDIA's runtime numbers user types; cgGetTypeString names it.
int userType(CgContextState& context, const std::string& name);
// How many numbers a varying parameter's type holds; 0 for a uniform, a struct or an array.
int varyingSize(const CgParameterState& param);
// Gives a vertex program's varying input the first `count` of `values` as GL's current value of
// the attribute it reads, as NVIDIA's runtime does for a value set on one (CgVaryings.cpp).
void setCurrentVarying(CGparameter param, int count, const float* values);
std::vector<CgParameterState*> arrayElements(CGparameter param, long offset, long count);
// Bumps the parameter's version after its values changed, and sends them at once when its program
// is in use.
void valuesChanged(CgParameterState& param);
// Unbinds the program, drops the GL programs it was linked into and deletes its shader.
void releaseProgram(CgProgramState& program);
// Gives `program` the parameters of its translation (CgReflection.cpp).
void addParameters(CgProgramState& program, const Translation& translation);

}  // namespace cgrt
