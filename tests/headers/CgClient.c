/* A client of the Cg headers as programs written for NVIDIA's runtime include them: GL's own
 * header (GL_FIRST) or libepoxy's (EPOXY_FIRST) before ours, or GL's after, compiled as C99 and as
 * C++ with every warning an error. */
#if defined(EPOXY_FIRST)
#include <epoxy/gl.h>
#elif defined(GL_FIRST)
#include <GL/gl.h>
#endif

#include <Cg/cg.h>
#include <Cg/cgGL.h>

#if !defined(EPOXY_FIRST) && !defined(GL_FIRST)
#include <GL/gl.h>
#endif

/* The binding's functions typed with GL's names: a mismatch between the C types the header
 * declares and GL's typedefs is an incompatible pointer here. */
static void (*const setTexture)(CGparameter, GLuint) = cgGLSetTextureParameter;
static GLuint (*const getTexture)(CGparameter) = cgGLGetTextureParameter;
static CGprofile (*const latestProfile)(CGGLenum) = cgGLGetLatestProfile;

int main(void) {
    CGcontext context = cgCreateContext();
    CGprogram program = cgCreateProgram(context, CG_SOURCE, "float4 main() : COLOR { return 1; }",
                                        CG_PROFILE_ARBFP1, "main", 0);
    CGparameter param = cgGetFirstParameter(program, CG_PROGRAM);
    setTexture(param, getTexture(param));
    (void)latestProfile;
    cgDestroyContext(context);
    return cgGetError() == CG_NO_ERROR ? 0 : 1;
}
