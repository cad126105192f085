/* Our own shader runtime, offering the Cg calls this program makes and no others: contexts,
 * programs compiled from source, their parameters and the error state (no GL here; the GL binding
 * is in cgGL.h). Programs are Cg sources in the HLSL-like dialect that Cg shares with DirectX 9. */
#ifndef SHADOW_CG_H
#define SHADOW_CG_H

#ifdef __cplusplus
extern "C" {
#endif

typedef struct CgContextState* CGcontext;
typedef struct CgProgramState* CGprogram;
typedef struct CgParameterState* CGparameter;

typedef int CGbool;
#define CG_FALSE ((CGbool)0)
#define CG_TRUE ((CGbool)1)

typedef enum {
    /* The text handed to cgCreateProgram(FromFile) is source code. */
    CG_SOURCE = 4112,
    /* Precompiled objects are not supported: asking for one is an error. */
    CG_OBJECT = 4113,
    /* Which parameters cgGetFirstParameter walks: those of the program's entry and globals. */
    CG_PROGRAM = 4108,
    CG_GLOBAL = 4109,
    /* Directions and variabilities of a parameter. */
    CG_IN = 4097,
    CG_OUT = 4098,
    CG_INOUT = 4099,
    CG_VARYING = 4101,
    CG_UNIFORM = 4102
} CGenum;

typedef enum {
    CG_PROFILE_UNKNOWN = 0,
    /* GLSL 1.20 vertex and fragment shaders, on top of the fixed-function built-ins. */
    CG_PROFILE_GLSLV = 1,
    CG_PROFILE_GLSLF = 2
} CGprofile;

typedef enum {
    CG_UNKNOWN_TYPE = 0,
    CG_FLOAT,
    CG_FLOAT2,
    CG_FLOAT3,
    CG_FLOAT4,
    CG_FLOAT2x2,
    CG_FLOAT3x3,
    CG_FLOAT4x4,
    CG_SAMPLER1D,
    CG_SAMPLER2D,
    CG_SAMPLER3D,
    CG_SAMPLERCUBE,
    CG_SAMPLERRECT,
    CG_SAMPLER2DSHADOW,
    CG_INT,
    CG_INT2,
    CG_INT3,
    CG_INT4,
    CG_FLOAT2x3,
    CG_FLOAT2x4,
    CG_FLOAT3x2,
    CG_FLOAT3x4,
    CG_FLOAT4x2,
    CG_FLOAT4x3
} CGtype;

typedef enum {
    CG_NO_ERROR = 0,
    CG_COMPILER_ERROR,
    CG_INVALID_PARAMETER_ERROR,
    CG_INVALID_PROFILE_ERROR,
    CG_PROGRAM_BIND_ERROR,
    CG_PROGRAM_NOT_LOADED_ERROR,
    CG_INVALID_VALUE_TYPE_ERROR,
    CG_NOT_MATRIX_PARAM_ERROR,
    CG_INVALID_ENUMERANT_ERROR,
    CG_NOT_4x4_MATRIX_ERROR,
    CG_FILE_READ_ERROR,
    CG_INVALID_CONTEXT_HANDLE_ERROR,
    CG_INVALID_PROGRAM_HANDLE_ERROR,
    CG_INVALID_PARAM_HANDLE_ERROR,
    CG_NOT_SAMPLER_PARAM_ERROR,
    CG_NO_GL_CONTEXT_ERROR
} CGerror;

typedef void (*CGerrorCallbackFunc)(void);

/* Every failing call records its error, then calls this function (if one is registered). */
void cgSetErrorCallback(CGerrorCallbackFunc func);
/* The pending error (CG_NO_ERROR when none); reading it clears it. */
CGerror cgGetError(void);
/* A text for every value, known or not; never null. */
const char* cgGetErrorString(CGerror error);

CGcontext cgCreateContext(void);
/* Destroys the context with all its programs (GL objects included: needs the GL context). */
void cgDestroyContext(CGcontext context);
/* The diagnostics of the context's last compilation, naming the source and its lines; "" when
 * there were none. Never null. */
const char* cgGetLastListing(CGcontext context);

/* Compile `program` (source text, or a file's path) for `profile` with the entry function
 * `entry`. A failure returns null, records CG_COMPILER_ERROR (CG_FILE_READ_ERROR for a file that
 * cannot be read) and leaves the reason in the listing. `args` takes "-DNAME[=VALUE]" and "-IDIR"
 * (or the value as the next element), null-terminated; `#include` looks beside the file first, then
 * in the -I folders. */
CGprogram cgCreateProgram(CGcontext context, CGenum programType, const char* program,
                          CGprofile profile, const char* entry, const char** args);
CGprogram cgCreateProgramFromFile(CGcontext context, CGenum programType, const char* programFile,
                                  CGprofile profile, const char* entry, const char** args);
CGprofile cgGetProgramProfile(CGprogram program);
/* The profile of that name ("glslv", "glslf"); CG_PROFILE_UNKNOWN for any other. */
CGprofile cgGetProfile(const char* profileString);

/* A uniform parameter declared in the program, whether or not the compiled code uses it; null
 * (and no error) when the program declares none of that name. */
CGparameter cgGetNamedParameter(CGprogram program, const char* name);
const char* cgGetParameterName(CGparameter param);
CGtype cgGetParameterType(CGparameter param);
CGprogram cgGetParameterProgram(CGparameter param);
/* Walks the program's uniform parameters in declaration order, each member of a uniform struct
 * as a parameter of its own named "<struct>.<member>". `nameSpace` is CG_PROGRAM or CG_GLOBAL
 * (both give the same walk); null after the last. */
CGparameter cgGetFirstParameter(CGprogram program, CGenum nameSpace);
CGparameter cgGetNextParameter(CGparameter param);
/* The semantic the source gives the parameter (such as "TEXUNIT0"); "" when none. */
const char* cgGetParameterSemantic(CGparameter param);
CGenum cgGetParameterDirection(CGparameter param);
CGenum cgGetParameterVariability(CGparameter param);

/* Values for vector parameters (extra components are dropped, missing ones left as they were)
 * and matrices (`fr` row by row, `fc` column by column), kept until changed. */
void cgSetParameter1f(CGparameter param, float x);
void cgSetParameter2f(CGparameter param, float x, float y);
void cgSetParameter3f(CGparameter param, float x, float y, float z);
void cgSetParameter4f(CGparameter param, float x, float y, float z, float w);
void cgSetParameterValuefr(CGparameter param, int count, const float* values);
void cgSetMatrixParameterfr(CGparameter param, const float* matrix);
void cgSetMatrixParameterfc(CGparameter param, const float* matrix);

/* Copies up to `count` of the parameter's values (matrices row by row) into `values` and returns
 * how many it copied. */
int cgGetParameterValuefr(CGparameter param, int count, float* values);

#ifdef __cplusplus
}
#endif

#endif
