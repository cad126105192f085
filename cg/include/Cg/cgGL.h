/* The OpenGL binding of our Cg runtime, a drop-in for NVIDIA's libCgGL. Every call here needs a GL
 * context current. It includes no GL header, so that it can come before or after <GL/gl.h> or
 * libepoxy's: GL's types appear as the C types they stand for (GLuint and GLenum are unsigned int,
 * GLint and GLsizei int). */
#ifndef SHADOW_CG_GL_H
#define SHADOW_CG_GL_H

#include <Cg/cg.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef enum {
    CG_GL_MATRIX_IDENTITY = 0,
    CG_GL_MATRIX_TRANSPOSE = 1,
    CG_GL_MATRIX_INVERSE = 2,
    CG_GL_MATRIX_INVERSE_TRANSPOSE = 3,
    CG_GL_MODELVIEW_MATRIX = 4,
    CG_GL_PROJECTION_MATRIX = 5,
    CG_GL_TEXTURE_MATRIX = 6,
    CG_GL_MODELVIEW_PROJECTION_MATRIX = 7,
    CG_GL_VERTEX = 8,
    CG_GL_FRAGMENT = 9,
    CG_GL_GEOMETRY = 10,
    CG_GL_TESSELLATION_CONTROL = 11,
    CG_GL_TESSELLATION_EVALUATION = 12
} CGGLenum;

/* The best profile that the current GL context supports for CG_GL_VERTEX or CG_GL_FRAGMENT, as
 * NVIDIA's runtime ranks them (arbvp1/arbfp1 where the driver has the ARB programs, else
 * glslv/glslf); CG_PROFILE_UNKNOWN when it supports none (or no context is current). */
CGprofile cgGLGetLatestProfile(CGGLenum profileClass);
/* Whether the current driver runs programs of that profile: the ARB and GLSL ones where it runs
 * GLSL 1.20 (GLSL ES 1.00 on the web), never NVIDIA's own. */
CGbool cgGLIsProfileSupported(CGprofile profile);
/* Only checks the profile: no compiler option depends on the GPU here. */
void cgGLSetOptimalOptions(CGprofile profile);
/* The options a supported profile is compiled with: none here, an empty list; null otherwise. */
const char** cgGLGetOptimalOptions(CGprofile profile);

/* Gives the program to the driver: CG_INVALID_PROFILE_ERROR without a GL context or for a profile
 * the driver does not support, CG_PROGRAM_LOAD_ERROR (with the driver's log as the listing) when
 * it rejects a program created while no context was current. */
void cgGLLoadProgram(CGprogram program);
/* The bound program of its profile replaces the fixed-function stage while the profile is
 * enabled. With both profiles disabled, GL's fixed-function pipeline is back. */
void cgGLBindProgram(CGprogram program);
void cgGLEnableProfile(CGprofile profile);
void cgGLDisableProfile(CGprofile profile);

/* Values are copied at the call and reach every later draw that uses the parameter's program. They
 * behave as cg.h's cgSetParameterN*, cgSetMatrixParameter* and cgGetMatrixParameter*. */
void cgGLSetParameter1f(CGparameter param, float x);
void cgGLSetParameter2f(CGparameter param, float x, float y);
void cgGLSetParameter3f(CGparameter param, float x, float y, float z);
void cgGLSetParameter4f(CGparameter param, float x, float y, float z, float w);
void cgGLSetParameter1fv(CGparameter param, const float* v);
void cgGLSetParameter2fv(CGparameter param, const float* v);
void cgGLSetParameter3fv(CGparameter param, const float* v);
void cgGLSetParameter4fv(CGparameter param, const float* v);
void cgGLSetParameter1d(CGparameter param, double x);
void cgGLSetParameter2d(CGparameter param, double x, double y);
void cgGLSetParameter3d(CGparameter param, double x, double y, double z);
void cgGLSetParameter4d(CGparameter param, double x, double y, double z, double w);
void cgGLSetParameter1dv(CGparameter param, const double* v);
void cgGLSetParameter2dv(CGparameter param, const double* v);
void cgGLSetParameter3dv(CGparameter param, const double* v);
void cgGLSetParameter4dv(CGparameter param, const double* v);
/* The whole value, which must fit in N (CG_NOT_ENOUGH_DATA_ERROR); the rest of `v` is left. */
void cgGLGetParameter1f(CGparameter param, float* v);
void cgGLGetParameter2f(CGparameter param, float* v);
void cgGLGetParameter3f(CGparameter param, float* v);
void cgGLGetParameter4f(CGparameter param, float* v);
void cgGLGetParameter1d(CGparameter param, double* v);
void cgGLGetParameter2d(CGparameter param, double* v);
void cgGLGetParameter3d(CGparameter param, double* v);
void cgGLGetParameter4d(CGparameter param, double* v);

/* Matrices, `r` row by row, `c` column by column. */
void cgGLSetMatrixParameterfr(CGparameter param, const float* matrix);
void cgGLSetMatrixParameterfc(CGparameter param, const float* matrix);
void cgGLSetMatrixParameterdr(CGparameter param, const double* matrix);
void cgGLSetMatrixParameterdc(CGparameter param, const double* matrix);
void cgGLGetMatrixParameterfr(CGparameter param, float* matrix);
void cgGLGetMatrixParameterfc(CGparameter param, float* matrix);
void cgGLGetMatrixParameterdr(CGparameter param, double* matrix);
void cgGLGetMatrixParameterdc(CGparameter param, double* matrix);
/* GL's modelview, projection, texture or projection * modelview matrix as it stands at the call,
 * as is, transposed, inverted (a singular one gives zeros) or both. A matrix smaller than 4x4
 * takes the top left. */
void cgGLSetStateMatrixParameter(CGparameter param, CGGLenum matrix, CGGLenum transform);

/* A sampler of semantic TEXUNITn takes unit n, the others the lowest units left in the order of
 * the walk (the entry's parameters, then the globals). Enabling a sampler binds its texture on
 * its unit; disabling only marks it, the binding stays for whatever GL draws
 * next. */
void cgGLSetTextureParameter(CGparameter param, unsigned int texture);
unsigned int cgGLGetTextureParameter(CGparameter param);
void cgGLEnableTextureParameter(CGparameter param);
void cgGLDisableTextureParameter(CGparameter param);

/* Programs on the GL side. */
/* Drops the program's GL objects; cgGLLoadProgram gives them back. */
void cgGLUnloadProgram(CGprogram program);
CGbool cgGLIsProgramLoaded(CGprogram program);
/* The GL shader object of a loaded program; 0 before. */
unsigned int cgGLGetProgramID(CGprogram program);
/* Leaves the profile's stage to whatever else is bound and enabled. */
void cgGLUnbindProgram(CGprofile profile);
/* Enable or disable the program's profile. */
void cgGLEnableProgramProfiles(CGprogram program);
void cgGLDisableProgramProfiles(CGprogram program);
/* With it on, cgGLBindProgram reports a pending GL error as CG_PROGRAM_BIND_ERROR. */
void cgGLSetDebugMode(CGbool debug);
/* Managed, binding a program binds the textures of all its samplers on their units. */
void cgGLSetManageTextureParameters(CGcontext ctx, CGbool flag);
CGbool cgGLGetManageTextureParameters(CGcontext ctx);
/* GL_TEXTURE0 + the sampler's unit; GL_INVALID_OPERATION for anything else. */
unsigned int cgGLGetTextureEnum(CGparameter param);
/* Sets the sampler's texture (sampler states come from effects, which this runtime lacks). */
void cgGLSetupSampler(CGparameter param, unsigned int texobj);

/* Vertex arrays for a vertex program's varying inputs, read as glVertexPointer and the like read
 * theirs (`pointer` into the bound GL_ARRAY_BUFFER, if any): POSITION, NORMAL, COLOR0, COLOR1,
 * TEXCOORD0-7 and FOGCOORD through GL's own arrays (a coordinate set on its client texture unit,
 * the active one left as it was), ATTRn, TANGENT, BINORMAL and the rest through generic attribute
 * n as NVIDIA's profiles number them. Any other parameter is CG_INVALID_PARAMETER_ERROR. */
void cgGLSetParameterPointer(CGparameter param, int fsize, unsigned int type, int stride,
                             const void* pointer);
void cgGLEnableClientState(CGparameter param);
void cgGLDisableClientState(CGparameter param);

/* The elements [offset, offset + nelements) of an array (nelements 0: all from offset on), N
 * values each from `v` or into it (an element's missing components read as 0). As in NVIDIA's
 * runtime, `v` holds the whole array: element i is at v + i * N, whatever the offset.
 * CG_OUT_OF_ARRAY_BOUNDS_ERROR for a range past the end, CG_ARRAY_PARAM_ERROR for what is no
 * array. */
void cgGLSetParameterArray1f(CGparameter param, long offset, long nelements, const float* v);
void cgGLSetParameterArray2f(CGparameter param, long offset, long nelements, const float* v);
void cgGLSetParameterArray3f(CGparameter param, long offset, long nelements, const float* v);
void cgGLSetParameterArray4f(CGparameter param, long offset, long nelements, const float* v);
void cgGLSetParameterArray1d(CGparameter param, long offset, long nelements, const double* v);
void cgGLSetParameterArray2d(CGparameter param, long offset, long nelements, const double* v);
void cgGLSetParameterArray3d(CGparameter param, long offset, long nelements, const double* v);
void cgGLSetParameterArray4d(CGparameter param, long offset, long nelements, const double* v);
void cgGLGetParameterArray1f(CGparameter param, long offset, long nelements, float* v);
void cgGLGetParameterArray2f(CGparameter param, long offset, long nelements, float* v);
void cgGLGetParameterArray3f(CGparameter param, long offset, long nelements, float* v);
void cgGLGetParameterArray4f(CGparameter param, long offset, long nelements, float* v);
void cgGLGetParameterArray1d(CGparameter param, long offset, long nelements, double* v);
void cgGLGetParameterArray2d(CGparameter param, long offset, long nelements, double* v);
void cgGLGetParameterArray3d(CGparameter param, long offset, long nelements, double* v);
void cgGLGetParameterArray4d(CGparameter param, long offset, long nelements, double* v);
/* Arrays of matrices alike, by rows (r) or columns (c): element i at matrices + i * its size.
 * CG_NOT_MATRIX_PARAM_ERROR for an array of vectors. */
void cgGLSetMatrixParameterArrayfc(CGparameter param, long offset, long nelements,
                                   const float* matrices);
void cgGLSetMatrixParameterArrayfr(CGparameter param, long offset, long nelements,
                                   const float* matrices);
void cgGLSetMatrixParameterArraydc(CGparameter param, long offset, long nelements,
                                   const double* matrices);
void cgGLSetMatrixParameterArraydr(CGparameter param, long offset, long nelements,
                                   const double* matrices);
void cgGLGetMatrixParameterArrayfc(CGparameter param, long offset, long nelements, float* matrices);
void cgGLGetMatrixParameterArrayfr(CGparameter param, long offset, long nelements, float* matrices);
void cgGLGetMatrixParameterArraydc(CGparameter param, long offset, long nelements,
                                   double* matrices);
void cgGLGetMatrixParameterArraydr(CGparameter param, long offset, long nelements,
                                   double* matrices);

#ifdef __cplusplus
}
#endif

#endif
