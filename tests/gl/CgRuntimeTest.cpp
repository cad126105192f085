// The shader runtime layer on the test's GL context, with small programs of its own.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include "CgSamplerUse.h"
#include "CgState.h"

#include <Cg/cg.h>
#include <Cg/cgGL.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

int callbackCalls = 0;
void countCall() {
    ++callbackCalls;
}

// Position and colour straight through: what reaches the fragment stage is the fixed-function
// vertex data itself.
const char* const PASS_VERTEX =
    "void main(float4 p : POSITION, float4 c : COLOR0,\n"
    "          out float4 oP : POSITION, out float4 oC : COLOR0)\n"
    "{\n"
    "    oP = p;\n"
    "    oC = c;\n"
    "}\n";

const char* const TINT_FRAGMENT =
    "uniform float4 unused;\n"
    "uniform float4 tint;\n"
    "float4 main(float4 c : COLOR0) : COLOR\n"
    "{\n"
    "    return c * tint;\n"
    "}\n";

const char* const TWO_SAMPLER_FRAGMENT =
    "uniform sampler2D first;\n"
    "uniform sampler2D second;\n"
    "uniform float4 weight;\n"
    "float4 main(float4 c : COLOR0) : COLOR\n"
    "{\n"
    "    return weight * tex2D(first, float2(0.5, 0.5)) + tex2D(second, float2(0.5, 0.5));\n"
    "}\n";

class CgRuntimeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        callbackCalls = 0;
        cgSetErrorCallback(countCall);
        context = cgCreateContext();
        vertexProfile = cgGLGetLatestProfile(CG_GL_VERTEX);
        fragmentProfile = cgGLGetLatestProfile(CG_GL_FRAGMENT);
        glViewport(0, 0, 800, 600);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    void TearDown() override {
        cgGLDisableProfile(vertexProfile);
        cgGLDisableProfile(fragmentProfile);
        cgDestroyContext(context);
        cgSetErrorCallback(nullptr);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    CGprogram compile(const char* source, CGprofile profile) {
        CGprogram program = cgCreateProgram(context, CG_SOURCE, source, profile, "main", nullptr);
        EXPECT_NE(program, nullptr) << cgGetLastListing(context);
        cgGLLoadProgram(program);
        return program;
    }

    // What the fragment program (and the vertex program, if any) draw over the whole target; -99 in
    // every component for a program that did not compile.
    std::array<float, 4> drawnPixel(CGprogram fragment, CGprogram vertex = nullptr) {
        std::array<float, 4> pixel{-99.0f, -99.0f, -99.0f, -99.0f};
        if (fragment == nullptr) {
            return pixel;
        }
        cgGLBindProgram(fragment);
        cgGLEnableProfile(fragmentProfile);
        if (vertex != nullptr) {
            cgGLBindProgram(vertex);
            cgGLEnableProfile(vertexProfile);
        }
        glRectf(-1.0f, -1.0f, 1.0f, 1.0f);
        glReadPixels(0, 0, 1, 1, GL_RGBA, GL_FLOAT, pixel.data());
        cgGLDisableProfile(vertexProfile);
        cgGLDisableProfile(fragmentProfile);
        return pixel;
    }

    // Gives the program's sampler `name` the texture, for the draws that follow.
    void useTexture(CGprogram program, const char* name, GLuint texture) {
        ASSERT_NE(program, nullptr);
        CGparameter sampler = cgGetNamedParameter(program, name);
        cgGLSetTextureParameter(sampler, texture);
        cgGLEnableTextureParameter(sampler);
    }

    CGcontext context = nullptr;
    CGprofile vertexProfile = CG_PROFILE_UNKNOWN;
    CGprofile fragmentProfile = CG_PROFILE_UNKNOWN;
};

// Draws a white square over the viewport and returns the colour at its centre.
std::array<int, 3> drawWhiteSquare() {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glRectf(-1.0f, -1.0f, 1.0f, 1.0f);
    unsigned char pixel[4] = {};
    glReadPixels(400, 300, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    return {pixel[0], pixel[1], pixel[2]};
}

using Rgb = std::array<int, 3>;

}  // namespace

TEST_F(CgRuntimeTest, FailuresReachTheCallbackAndReadingTheErrorClearsIt) {
    EXPECT_NE(vertexProfile, CG_PROFILE_UNKNOWN);
    EXPECT_NE(fragmentProfile, CG_PROFILE_UNKNOWN);
    EXPECT_NE(vertexProfile, fragmentProfile);
    // Mesa has the ARB programs, so the answer is NVIDIA's on Mesa; both run as GLSL here.
    EXPECT_EQ(vertexProfile, CG_PROFILE_ARBVP1);
    EXPECT_EQ(fragmentProfile, CG_PROFILE_ARBFP1);
    for (const CGprofile profile : {vertexProfile, fragmentProfile, CG_PROFILE_GLSLV}) {
        EXPECT_EQ(cgGetProfile(cgGetProfileString(profile)), profile);
        EXPECT_TRUE(cgGLIsProfileSupported(profile));
    }
    EXPECT_EQ(cgGetProfileDomain(vertexProfile), CG_VERTEX_DOMAIN);
    EXPECT_EQ(cgGetProfileDomain(CG_PROFILE_GLSLF), CG_FRAGMENT_DOMAIN);
    EXPECT_FALSE(cgGLIsProfileSupported(CG_PROFILE_FP40));
    EXPECT_FALSE(cgGLIsProfileSupported(CG_PROFILE_PS_3_0));
    EXPECT_STREQ(cgGetProfileString(static_cast<CGprofile>(1)), "");
    EXPECT_EQ(cgGetProfile("glslfx"), CG_PROFILE_UNKNOWN);
    EXPECT_EQ(cgGetProfile(nullptr), CG_PROFILE_UNKNOWN);

    cgGLSetParameter4f(nullptr, 1.0f, 2.0f, 3.0f, 4.0f);
    EXPECT_EQ(callbackCalls, 1);
    EXPECT_EQ(cgGetError(), CG_INVALID_PARAM_HANDLE_ERROR);
    EXPECT_EQ(cgGetError(), CG_NO_ERROR);

    cgGLEnableProfile(CG_PROFILE_UNKNOWN);
    EXPECT_EQ(callbackCalls, 2);
    EXPECT_EQ(cgGetError(), CG_INVALID_PROFILE_ERROR);
    cgGLGetLatestProfile(CG_GL_MODELVIEW_MATRIX);
    EXPECT_EQ(cgGetError(), CG_INVALID_ENUMERANT_ERROR);

    // Every code has a text, a code nobody defined included.
    const std::string unknown = cgGetErrorString(static_cast<CGerror>(12345));
    EXPECT_FALSE(unknown.empty());
    for (int code = CG_NO_ERROR; code <= CG_GLSLG_UNCOMBINED_LOAD_ERROR; ++code) {
        const char* text = cgGetErrorString(static_cast<CGerror>(code));
        ASSERT_NE(text, nullptr);
        EXPECT_NE(text, unknown) << "code " << code;
    }
    EXPECT_STREQ(cgGetLastListing(nullptr), "");
}

TEST_F(CgRuntimeTest, CompileFailuresLeaveAListingThatSaysWhy) {
    const std::string missing = "/nonexistent/dir/vp_missing.cg";
    EXPECT_EQ(cgCreateProgramFromFile(context, CG_SOURCE, missing.c_str(), vertexProfile, "main",
                                      nullptr),
              nullptr);
    EXPECT_EQ(cgGetError(), CG_FILE_READ_ERROR);
    std::string listing = cgGetLastListing(context);
    EXPECT_NE(listing.find(missing), std::string::npos) << listing;
    EXPECT_NE(listing.find(std::strerror(ENOENT)), std::string::npos) << listing;

    EXPECT_EQ(cgCreateProgramFromFile(context, CG_SOURCE, "/tmp", vertexProfile, "main", nullptr),
              nullptr);
    EXPECT_EQ(cgGetError(), CG_FILE_READ_ERROR);
    listing = cgGetLastListing(context);
    EXPECT_NE(listing.find(std::strerror(EISDIR)), std::string::npos) << listing;

    EXPECT_EQ(cgCreateProgram(context, CG_OBJECT, TINT_FRAGMENT, fragmentProfile, "main", nullptr),
              nullptr);
    EXPECT_EQ(cgGetError(), CG_INVALID_ENUMERANT_ERROR);
    EXPECT_EQ(callbackCalls, 3);

    // A good compile replaces the old listing.
    compile(TINT_FRAGMENT, fragmentProfile);
    EXPECT_STREQ(cgGetLastListing(context), "");

    // The options cgGLGetOptimalOptions gives a profile go back in as arguments without a word;
    // another profile's option, and what no compiler knows, are warned of.
    const char** optimal = cgGLGetOptimalOptions(fragmentProfile);
    ASSERT_NE(optimal, nullptr);
    EXPECT_NE(cgCreateProgram(context, CG_SOURCE, TINT_FRAGMENT, fragmentProfile, "main", optimal),
              nullptr);
    EXPECT_STREQ(cgGetLastListing(context), "");
    const char* foreign[] = {"-po", "PosInv=1", "-fancy", nullptr};
    EXPECT_NE(cgCreateProgram(context, CG_SOURCE, TINT_FRAGMENT, fragmentProfile, "main", foreign),
              nullptr);
    listing = cgGetLastListing(context);
    EXPECT_NE(listing.find("\"PosInv=1\""), std::string::npos) << listing;
    EXPECT_NE(listing.find("\"-fancy\""), std::string::npos) << listing;
    EXPECT_EQ(cgGetError(), CG_NO_ERROR);
}

TEST_F(CgRuntimeTest, ParametersAreFoundByDeclaredNameAndKeepTheirValues) {
    CGprogram fragment = compile(TINT_FRAGMENT, fragmentProfile);
    CGparameter unused = cgGetNamedParameter(fragment, "unused");
    CGparameter tint = cgGetNamedParameter(fragment, "tint");
    ASSERT_NE(unused, nullptr);
    ASSERT_NE(tint, nullptr);
    EXPECT_STREQ(cgGetParameterName(tint), "tint");
    EXPECT_EQ(cgGetNamedParameter(fragment, "nothing"), nullptr);
    EXPECT_EQ(callbackCalls, 0);

    // The driver drops `unused`; setting it must still work and do nothing.
    cgGLBindProgram(fragment);
    cgGLEnableProfile(fragmentProfile);
    cgGLSetParameter4f(unused, 1.0f, 2.0f, 3.0f, 4.0f);
    cgGLSetParameter4f(tint, 0.5f, 0.25f, 1.0f, 1.0f);
    EXPECT_EQ(callbackCalls, 0);
    float v[4] = {};
    cgGLGetParameter4f(unused, v);
    EXPECT_EQ(v[3], 4.0f);

    // A vector cannot take a matrix, nor a sampler a value.
    const float m[16] = {};
    cgGLSetMatrixParameterfc(tint, m);
    EXPECT_EQ(cgGetError(), CG_NOT_MATRIX_PARAM_ERROR);
    cgGLSetTextureParameter(tint, 1);
    EXPECT_EQ(cgGetError(), CG_INVALID_PARAMETER_ERROR);

    // NVIDIA's own profiles compile, but this driver cannot load them.
    CGprogram fp40 =
        cgCreateProgram(context, CG_SOURCE, TINT_FRAGMENT, CG_PROFILE_FP40, "main", nullptr);
    ASSERT_NE(fp40, nullptr);
    cgGLLoadProgram(fp40);
    EXPECT_EQ(cgGetError(), CG_INVALID_PROFILE_ERROR);
    cgGLBindProgram(fp40);
    EXPECT_EQ(cgGetError(), CG_PROGRAM_NOT_LOADED_ERROR);
}

// Values are kept by the layer: set before the program is in use, they still reach the draw.
TEST_F(CgRuntimeTest, DrawsUseTheValuesSetWhetherBeforeOrAfterEnabling) {
    CGprogram vertex = compile(PASS_VERTEX, vertexProfile);
    CGprogram fragment = compile(TINT_FRAGMENT, fragmentProfile);
    CGparameter tint = cgGetNamedParameter(fragment, "tint");

    cgGLSetParameter4f(tint, 1.0f, 0.0f, 0.0f, 1.0f);
    cgGLBindProgram(vertex);
    cgGLBindProgram(fragment);
    cgGLEnableProfile(vertexProfile);
    cgGLEnableProfile(fragmentProfile);
    EXPECT_EQ(drawWhiteSquare(), (Rgb{255, 0, 0}));

    cgGLSetParameter4f(tint, 0.0f, 1.0f, 0.0f, 1.0f);
    EXPECT_EQ(drawWhiteSquare(), (Rgb{0, 255, 0}));

    // The fragment stage alone off: fixed function shows the colour the vertex program passes.
    cgGLDisableProfile(fragmentProfile);
    glColor3f(0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glRectf(-1.0f, -1.0f, 1.0f, 1.0f);
    unsigned char pixel[4] = {};
    glReadPixels(400, 300, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ((Rgb{pixel[0], pixel[1], pixel[2]}), (Rgb{0, 0, 255}));

    // Set while another GL program is in use, then back to the pair.
    cgGLSetParameter4f(tint, 0.0f, 0.0f, 1.0f, 1.0f);
    cgGLEnableProfile(fragmentProfile);
    EXPECT_EQ(drawWhiteSquare(), (Rgb{0, 0, 255}));

    cgGLDisableProfile(fragmentProfile);
    cgGLDisableProfile(vertexProfile);
    GLint program = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_EQ(program, 0);
    EXPECT_EQ(drawWhiteSquare(), (Rgb{255, 255, 255}));

    // A host binds one stage, then the other, passing through a pair that may not link (this
    // fragment program reads what the first vertex program does not write): NVIDIA's profiles
    // take it without an error, and the pair bound last draws.
    CGprogram shading = compile(
        "void main(float4 p : POSITION, out float4 oP : POSITION,\n"
        "          out float4 shade) {\n"
        "    oP = p;\n"
        "    shade = float4(0, 1, 0, 1);\n"
        "}\n",
        vertexProfile);
    CGprogram shaded =
        compile("float4 main(float4 shade) : COLOR { return shade; }\n", fragmentProfile);
    cgGLEnableProfile(vertexProfile);
    cgGLEnableProfile(fragmentProfile);
    for (int frame = 0; frame < 2; ++frame) {
        cgGLBindProgram(vertex);
        cgGLBindProgram(shaded);
        EXPECT_EQ(cgGetError(), CG_NO_ERROR);
        cgGLBindProgram(shading);
        EXPECT_EQ(drawWhiteSquare(), (Rgb{0, 255, 0}));
    }
    cgGLDisableProfile(fragmentProfile);
    cgGLDisableProfile(vertexProfile);
    EXPECT_EQ(callbackCalls, 0);
}

// Samplers take the unit their TEXUNITn names, the others the lowest units left in declaration
// order (in the ARB profiles, as cgc gives them, in the order the code first reads them): a
// frontend that binds its source image to unit 0 itself finds it where it put it.
TEST_F(CgRuntimeTest, SamplersTakeTheirTexunitOrTheLowestUnitLeft) {
    struct Case {
        const char* source;
        int units[2];  // of `first` and `second`
    };
    const std::string explicitFirst =
        std::string(TWO_SAMPLER_FRAGMENT)
            .replace(std::strlen("uniform sampler2D first"), 0, " : TEXUNIT1");
    const std::string sum =
        "weight * tex2D(first, float2(0.5, 0.5)) + tex2D(second, float2(0.5, 0.5))";
    const std::string secondReadFirst =
        std::string(TWO_SAMPLER_FRAGMENT)
            .replace(std::string(TWO_SAMPLER_FRAGMENT).find(sum), sum.size(),
                     "tex2D(second, float2(0.5, 0.5)) + weight * tex2D(first, float2(0.5, 0.5))");
    // Which sampler the code reads first is known where the optimizer is built in.
    const bool byRead = fragmentProfile == CG_PROFILE_ARBFP1 && cgrt::foldsStaticSamplers();
    const Case CASES[] = {{TWO_SAMPLER_FRAGMENT, {0, 1}},
                          {explicitFirst.c_str(), {1, 0}},
                          {secondReadFirst.c_str(), {byRead ? 1 : 0, byRead ? 0 : 1}}};
    GLuint textures[2];
    glGenTextures(2, textures);
    const unsigned char colours[2][4] = {{255, 0, 0, 255}, {0, 0, 255, 255}};
    for (int i = 0; i < 2; ++i) {
        glBindTexture(GL_TEXTURE_2D, textures[i]);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, colours[i]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    for (const Case& c : CASES) {
        SCOPED_TRACE(c.source);
        CGprogram fragment = compile(c.source, fragmentProfile);
        const CGparameter samplers[2] = {cgGetNamedParameter(fragment, "first"),
                                         cgGetNamedParameter(fragment, "second")};
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(cgGetParameterResource(samplers[i]), CG_TEXUNIT0 + c.units[i]);
            cgGLSetTextureParameter(samplers[i], textures[i]);
            cgGLEnableTextureParameter(samplers[i]);
        }

        // Bound on their own units; the active unit is left as it was.
        GLint value = 0;
        glGetIntegerv(GL_ACTIVE_TEXTURE, &value);
        EXPECT_EQ(value, GL_TEXTURE0);
        for (int i = 0; i < 2; ++i) {
            glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(c.units[i]));
            glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
            EXPECT_EQ(static_cast<GLuint>(value), textures[i]);
        }
        glActiveTexture(GL_TEXTURE0);

        // The fragment program reads each sampler from its own unit.
        cgGLSetParameter4f(cgGetNamedParameter(fragment, "weight"), 0.5f, 0.5f, 0.5f, 0.5f);
        cgGLBindProgram(fragment);
        cgGLEnableProfile(fragmentProfile);
        const Rgb pixel = drawWhiteSquare();
        EXPECT_NEAR(pixel[0], 128, 1);
        EXPECT_EQ(pixel[1], 0);
        EXPECT_EQ(pixel[2], 255);
        cgGLDisableProfile(fragmentProfile);

        cgGLDisableTextureParameter(samplers[1]);
        EXPECT_FALSE(cgrt::isTextureParameterEnabled(samplers[1]));
        EXPECT_TRUE(cgrt::isTextureParameterEnabled(samplers[0]));
        EXPECT_EQ(cgGLGetTextureParameter(samplers[1]), textures[1]);
    }
    EXPECT_EQ(callbackCalls, 0);

    // A sampler the code does not read takes no unit and leaves the others theirs (where what
    // the code reads is known); its texture is kept but bound nowhere.
    const bool readsKnown = cgrt::foldsStaticSamplers();
    CGprogram spare =
        compile((std::string("uniform sampler2D spare;\n") + TWO_SAMPLER_FRAGMENT).c_str(),
                fragmentProfile);
    const CGparameter unread = cgGetNamedParameter(spare, "spare");
    EXPECT_EQ(cgGetParameterResource(cgGetNamedParameter(spare, "first")),
              readsKnown ? CG_TEXUNIT0 : CG_TEXUNIT1);
    cgGLSetTextureParameter(unread, textures[1]);
    cgGLEnableTextureParameter(unread);
    EXPECT_EQ(cgGetError(), CG_NO_ERROR);
    EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR});
    EXPECT_EQ(cgGLGetTextureParameter(unread), textures[1]);
    if (readsKnown) {
        EXPECT_EQ(cgGLGetTextureEnum(unread), GLenum{GL_INVALID_OPERATION});
        EXPECT_EQ(cgGetError(), CG_INVALID_PARAMETER_ERROR);
    }
    glDeleteTextures(2, textures);
}

// Expected values measured with NVIDIA's runtime on the same GL state.
TEST_F(CgRuntimeTest, StateMatricesComeAsTheyStandOrTransformed) {
    CGprogram vertex = compile(
        "uniform float4x4 m;\nuniform float3x2 small;\nuniform float4 v;\n"
        "float4 main(float4 p : POSITION) : POSITION { return mul(m, p) + small[2].x + v; }\n",
        vertexProfile);
    CGparameter m = cgGetNamedParameter(vertex, "m");
    glMatrixMode(GL_PROJECTION);
    glOrtho(-2.0, 2.0, -1.0, 1.0, 1.0, 5.0);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(1.0f, 2.0f, 3.0f);
    glScalef(2.0f, 4.0f, 0.5f);
    auto expectHolds = [](CGparameter param, const std::vector<float>& expected) {
        std::vector<float> got(expected.size());
        cgGetParameterValuefc(param, static_cast<int>(got.size()), got.data());
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_NEAR(got[i], expected[i], 1e-5f) << "element " << i;
        }
    };

    struct Case {
        CGGLenum matrix;
        CGGLenum transform;
        std::vector<float> columns;
    };
    const Case cases[] = {
        // Scale on the diagonal, translation in the last column.
        {CG_GL_MODELVIEW_MATRIX,
         CG_GL_MATRIX_IDENTITY,
         {2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0.5f, 0, 1, 2, 3, 1}},
        {CG_GL_MODELVIEW_MATRIX,
         CG_GL_MATRIX_TRANSPOSE,
         {2, 0, 0, 1, 0, 4, 0, 2, 0, 0, 0.5f, 3, 0, 0, 0, 1}},
        {CG_GL_MODELVIEW_MATRIX,
         CG_GL_MATRIX_INVERSE,
         {0.5f, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 2, 0, -0.5f, -0.5f, -6, 1}},
        {CG_GL_MODELVIEW_MATRIX,
         CG_GL_MATRIX_INVERSE_TRANSPOSE,
         {0.5f, 0, 0, -0.5f, 0, 0.25f, 0, -0.5f, 0, 0, 2, -6, 0, 0, 0, 1}},
        // Projection: x by 1/2, y by 1, z by -1/2 and shifted by -3/2.
        {CG_GL_MODELVIEW_PROJECTION_MATRIX,
         CG_GL_MATRIX_IDENTITY,
         {1, 0, 0, 0, 0, 4, 0, 0, 0, 0, -0.25f, 0, 0.5f, 2, -3, 1}},
        {CG_GL_TEXTURE_MATRIX,
         CG_GL_MATRIX_INVERSE,
         {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "matrix " << c.matrix << ", transform " << c.transform);
        cgGLSetStateMatrixParameter(m, c.matrix, c.transform);
        expectHolds(m, c.columns);
    }
    EXPECT_EQ(callbackCalls, 0);

    // A matrix smaller than 4x4 takes the top left; a singular one inverted gives zeros.
    cgGLSetStateMatrixParameter(cgGetNamedParameter(vertex, "small"), CG_GL_MODELVIEW_MATRIX,
                                CG_GL_MATRIX_IDENTITY);
    expectHolds(cgGetNamedParameter(vertex, "small"), {2, 0, 0, 0, 4, 0});
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glScalef(1.0f, 1.0f, 0.0f);
    glMatrixMode(GL_MODELVIEW);
    cgGLSetStateMatrixParameter(m, CG_GL_PROJECTION_MATRIX, CG_GL_MATRIX_INVERSE);
    expectHolds(m, std::vector<float>(16, 0.0f));
    EXPECT_EQ(callbackCalls, 0);

    // What is no matrix, or no transform, changes nothing.
    cgGLSetStateMatrixParameter(m, CG_GL_MODELVIEW_MATRIX, CG_GL_MODELVIEW_MATRIX);
    EXPECT_EQ(cgGetError(), CG_INVALID_ENUMERANT_ERROR);
    cgGLSetStateMatrixParameter(m, CG_GL_MATRIX_IDENTITY, CG_GL_MATRIX_IDENTITY);
    EXPECT_EQ(cgGetError(), CG_INVALID_ENUMERANT_ERROR);
    expectHolds(m, std::vector<float>(16, 0.0f));
    cgGLSetStateMatrixParameter(cgGetNamedParameter(vertex, "v"), CG_GL_MODELVIEW_MATRIX,
                                CG_GL_MATRIX_IDENTITY);
    EXPECT_EQ(cgGetError(), CG_NOT_MATRIX_PARAM_ERROR);
}

namespace {

struct Probe {
    const char* what;
    const char* body;  // the fragment program's body; it returns a float4
    std::array<float, 4> expected;
};

// Expected values worked out by hand from the Cg language's definitions.
const Probe PROBES[] = {
    {"fmod keeps the sign of x; frac is x - floor(x)",
     "return float4(fmod(-5.5, 2.0), frac(-1.25), fmod(5.5, -2.0), frac(2.75));",
     {-1.5f, 0.75f, 1.5f, 0.75f}},
    {"mul(M, v) takes v as a column, mul(v, M) as a row",
     "float2x2 m = float2x2(1, 2, 3, 4);\n"
     "return float4(mul(m, float2(1, 1)), mul(float2(1, 1), m));",
     {3.0f, 7.0f, 4.0f, 6.0f}},
    {"lerp and saturate",
     "return float4(lerp(2.0, 4.0, 0.25), saturate(1.5), saturate(-0.5), 0);",
     {2.5f, 1.0f, 0.0f, 0.0f}},
    {"step and smoothstep",
     "return float4(step(0.5, 0.4), step(0.5, 0.5), smoothstep(0.0, 1.0, 0.25), 0);",
     {0.0f, 1.0f, 0.15625f, 0.0f}},
    {"swizzles and write masks",
     "float4 a = float4(1, 2, 3, 4);\n a.wx = float2(7, 8);\n return a.zyxw;",
     {3.0f, 2.0f, 8.0f, 7.0f}},
    {"a float4 assigned to a float2 keeps x and y",
     "float2 t = float4(1, 2, 3, 4);\n return float4(t, 0, 0);",
     {1.0f, 2.0f, 0.0f, 0.0f}},
    {"trunc, tanh and modf, which GLSL 1.20 lacks",
     "float i;\n float f = modf(-2.75, i);\n return float4(trunc(-2.5), tanh(0.5), f, i);",
     {-2.0f, 0.46211716f, -0.75f, -2.0f}},
    {"integer division truncates toward zero",
     "int a = 7; int b = -7; int c = 2;\n return float4(a / c, b / c, 0, 0);",
     {3.0f, -3.0f, 0.0f, 0.0f}},
    {"integer remainder and bit operations, which GLSL 1.20 lacks",
     "int a = 7 + int(uv.x);\n return float4(a % 3, a & 5, a | 8, a >> 1);",
     {1.0f, 5.0f, 15.0f, 3.0f}},
    {"an integer updated with a float computes in float, then truncates",
     "int a = 3; a *= 0.5; int c = -1; c += 0.75; int d = 7; d /= 2.5; int e = 7; e -= 0.5;\n"
     " return float4(a, c, d, e);",
     {1.0f, 0.0f, 2.0f, 6.0f}},
    {"clamp is max(lo, min(hi, x)), also with lo > hi",
     "float x = uv.x + 0.5;\n"
     " return float4(clamp(x, 0.8, 0.2), clamp(float2(x, 0.1), 0.75, 0.25), clamp(x, 0.0, 1.0));",
     {0.8f, 0.75f, 0.75f, 0.5f}},
    {"smoothstep is t * t * (3 - 2t) of t = saturate((x - a) / (b - a)), also with a > b",
     "float x = uv.x + 0.35;\n"
     " return float4(smoothstep(0.8, 0.2, x), smoothstep(0.2, 0.8, float2(x, 1.5)), 0);",
     {0.84375f, 0.15625f, 1.0f, 0.0f}},
    {"frexp gives the mantissa and an integer exponent, both 0 for 0",
     "int e; int z;\n float m = frexp(12.0 + uv.x, e); float n = frexp(uv.x * 0.0, z);\n"
     " return float4(m, e, n, z);",
     {0.75f, 4.0f, 0.0f, 0.0f}},
    {"a bool matrix holds its elements; dot takes its rows as 1 and 0",
     "bool2x2 m = bool2x2(uv.x < 1.0, false, true, uv.x > 1.0);\n"
     " return float4(dot(m[0], float2(1, 2)), dot(m[1], float2(4, 8)), m[1].x, m[1].y);",
     {1.0f, 4.0f, 1.0f, 0.0f}},
    {"a vector given for a scalar parameter passes its first component",
     "return float4(first(float2(3, 5)), first(uv.x + float3(7, 8, 9)), 0, 0);",
     {3.0f, 7.0f, 0.0f, 0.0f}},
    {"isnan, isinf and isfinite; noise is 0 in the GL profiles",
     "float z = uv.x * 0.0; float n = z / z; float inf = 1.0 / z;\n"
     " return float4(isnan(n), isinf(inf), isfinite(inf) + isfinite(z + 2.0) * 2.0,\n"
     "               noise(uv + 0.3));",
     {1.0f, 1.0f, 2.0f, 0.0f}},
};

// Draws to a 1x1 float target while it lives, so that values outside [0, 1] read back as drawn.
class FloatPixel {
  public:
    FloatPixel() {
        glGenTextures(1, &target);
        glBindTexture(GL_TEXTURE_2D, target);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, 1, 1, 0, GL_RGBA, GL_FLOAT, nullptr);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target, 0);
        glClampColor(GL_CLAMP_FRAGMENT_COLOR, GL_FALSE);
        glClampColor(GL_CLAMP_READ_COLOR, GL_FALSE);
        glViewport(0, 0, 1, 1);
    }
    ~FloatPixel() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteTextures(1, &target);
        glViewport(0, 0, 800, 600);
    }
    FloatPixel(const FloatPixel&) = delete;
    FloatPixel& operator=(const FloatPixel&) = delete;

  private:
    GLuint target = 0;
    GLuint framebuffer = 0;
};

// A texture of `size` x `size` texels read without filtering.
GLuint nearestTexture(GLenum target, GLint internalFormat, GLsizei size, GLenum format,
                      const float* texels) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(target, texture);
    glTexImage2D(target, 0, internalFormat, size, size, 0, format, GL_FLOAT, texels);
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return texture;
}

// A 2x2 image whose red is 0.1, 0.2 (first row), 0.3, 0.4.
const float TEXELS[16] = {0.1f, 0, 0, 1, 0.2f, 0, 0, 1, 0.3f, 0, 0, 1, 0.4f, 0, 0, 1};

}  // namespace

// Small programs drawn to a 1x1 float target, each compared with its value by hand.
TEST_F(CgRuntimeTest, ProgramsComputeWhatCgDefines) {
    const FloatPixel drawn;
    for (const Probe& probe : PROBES) {
        const std::string source = std::string(
                                       "float first(float x) { return x; }\n"
                                       "float4 main(float2 uv : TEXCOORD0) : COLOR\n{\n") +
                                   probe.body + "\n}\n";
        const std::array<float, 4> got = drawnPixel(compile(source.c_str(), fragmentProfile));
        for (int i = 0; i < 4; ++i) {
            EXPECT_NEAR(got[i], probe.expected[i], 1e-6f) << probe.what << ", component " << i;
        }
    }

    // A uniform matrix is the matrix set, also in a program that needs GLSL 1.30 for its `%`:
    // mul(M, (1, 0)) is M's first column.
    CGprogram newer = compile(
        "uniform float2x2 m;\n"
        "float4 main(float2 uv : TEXCOORD0) : COLOR\n"
        "{\n    int k = 7 + int(uv.x);\n    return float4(mul(m, float2(1, 0)), k % 3, 0);\n}\n",
        fragmentProfile);
    ASSERT_NE(newer, nullptr);
    const float rows[4] = {1, 2, 3, 4};
    cgSetMatrixParameterfr(cgGetNamedParameter(newer, "m"), rows);
    EXPECT_EQ(drawnPixel(newer), (std::array<float, 4>{1.0f, 3.0f, 1.0f, 0.0f}));
}

// A global that is neither static nor const is a uniform in Cg, and its initializer is where it
// starts: scalars, vectors, matrices (given row by row) and arrays, as NVIDIA's runtime starts
// them. A value the program sets wins, and a static keeps its initializer as a plain variable.
TEST_F(CgRuntimeTest, GlobalUniformsStartAtTheirInitializersUntilSet) {
    const FloatPixel drawn;
    CGprogram fragment = compile(
        "float threshold = 0.25;\n"
        "uniform float3 offset = float3(1, -2, 0.5) * 2;\n"
        "float2x2 m = float2x2(1, 2, 3, 4);\n"
        "float table[4] = { 16, 4, 13, 1, };\n"
        "float2 pairs[2] = { { 5, 6 }, float2(7, 8) };\n"
        "static float twice = 2;\n"
        "float4 main(float2 uv : TEXCOORD0) : COLOR\n"
        "{\n"
        "    int i = 2 + int(uv.x);\n"
        "    return float4(threshold * twice, offset.y + mul(m, float2(1, 0)).y,\n"
        "                  table[i], pairs[i - 1].y);\n"
        "}\n",
        fragmentProfile);
    ASSERT_NE(fragment, nullptr);
    EXPECT_EQ(drawnPixel(fragment), (std::array<float, 4>{0.5f, -1.0f, 13.0f, 8.0f}));

    float offset[3] = {};
    EXPECT_EQ(cgGetParameterValuefr(cgGetNamedParameter(fragment, "offset"), 3, offset), 3);
    EXPECT_EQ((std::array<float, 3>{offset[0], offset[1], offset[2]}),
              (std::array<float, 3>{2.0f, -4.0f, 1.0f}));
    float rows[4] = {};
    EXPECT_EQ(cgGetParameterValuefr(cgGetNamedParameter(fragment, "m"), 4, rows), 4);
    EXPECT_EQ((std::array<float, 4>{rows[0], rows[1], rows[2], rows[3]}),
              (std::array<float, 4>{1.0f, 2.0f, 3.0f, 4.0f}));

    cgSetParameter1f(cgGetNamedParameter(fragment, "threshold"), 3.0f);
    EXPECT_EQ(drawnPixel(fragment)[0], 6.0f);

    // An entry's uniform parameter starts at its default likewise.
    CGprogram defaults = compile(
        "float4 main(float2 uv : TEXCOORD0, uniform float x = 2.0,\n"
        "            uniform float2 y = float2(-1, 0.5) / 2) : COLOR\n"
        "{\n    return float4(x, y, 1);\n}\n",
        fragmentProfile);
    EXPECT_EQ(drawnPixel(defaults), (std::array<float, 4>{2.0f, -0.5f, 0.25f, 1.0f}));

    // Int parameters take what is set as floats, turned toward zero as C turns them.
    CGprogram ints = compile(
        "uniform int width = 3;\nuniform int2 size;\n"
        "float4 main(float2 uv : TEXCOORD0) : COLOR\n{\n    return float4(width, size, 1);\n}\n",
        fragmentProfile);
    EXPECT_EQ(cgGetParameterType(cgGetNamedParameter(ints, "size")), CG_INT2);
    EXPECT_EQ(drawnPixel(ints), (std::array<float, 4>{3.0f, 0.0f, 0.0f, 1.0f}));
    cgSetParameter1f(cgGetNamedParameter(ints, "width"), 12.75f);
    cgSetParameter2f(cgGetNamedParameter(ints, "size"), -2.5f, 256.0f);
    EXPECT_EQ(drawnPixel(ints), (std::array<float, 4>{12.0f, -2.0f, 256.0f, 1.0f}));

    // Matrices of other shapes start, are set row by row or column by column, and read back alike.
    CGprogram shapes = compile(
        "float2x3 m = { 1, 2, 3, 4, 5, 6 };\nuniform float3x2 n;\n"
        "float4 main(float2 uv : TEXCOORD0) : COLOR\n"
        "{\n    return float4(mul(m, float3(1, 10, 100)), mul(n, float2(1, 10)).xz);\n}\n",
        fragmentProfile);
    CGparameter m = cgGetNamedParameter(shapes, "m");
    CGparameter n = cgGetNamedParameter(shapes, "n");
    EXPECT_EQ(cgGetParameterType(m), CG_FLOAT2x3);
    EXPECT_EQ(cgGetParameterType(n), CG_FLOAT3x2);
    EXPECT_EQ(drawnPixel(shapes), (std::array<float, 4>{321.0f, 654.0f, 0.0f, 0.0f}));
    const float byColumns[6] = {1, 2, 3, 4, 5, 6};
    cgSetMatrixParameterfc(n, byColumns);
    const float byRows[6] = {6, 5, 4, 3, 2, 1};
    cgSetMatrixParameterfr(m, byRows);
    EXPECT_EQ(drawnPixel(shapes), (std::array<float, 4>{456.0f, 123.0f, 41.0f, 63.0f}));
    float read[6] = {};
    EXPECT_EQ(cgGetParameterValuefr(n, 6, read), 6);
    EXPECT_EQ((std::array<float, 6>{read[0], read[1], read[2], read[3], read[4], read[5]}),
              (std::array<float, 6>{1.0f, 4.0f, 2.0f, 5.0f, 3.0f, 6.0f}));
    EXPECT_EQ(callbackCalls, 0);
}

// Lookups as Cg defines them, on textures of each kind a sampler can name.
TEST_F(CgRuntimeTest, LookupsReadWhatCgDefines) {
    const FloatPixel drawn;
    // tex2Dproj divides by w: (0.5, 1.5) / 2 reads the texel at (0.25, 0.75) of the 2x2 image;
    // given a float3, by z.
    const GLuint image = nearestTexture(GL_TEXTURE_2D, GL_RGBA32F, 2, GL_RGBA, TEXELS);
    CGprogram projected = compile(
        "uniform sampler2D image;\n"
        "float4 main(float2 uv : TEXCOORD0) : COLOR\n"
        "{\n    return float4(tex2Dproj(image, float4(0.5, 1.5, 0.0, 2.0)).x,\n"
        "                  tex2Dproj(image, float3(1.5, 0.5, 2.0)).x, 0, 0);\n}\n",
        fragmentProfile);
    useTexture(projected, "image", image);
    EXPECT_EQ(drawnPixel(projected), (std::array<float, 4>{0.3f, 0.2f, 0.0f, 0.0f}));

    // A fetch reads a texel by its integer coordinates: the level is z, or w when an offset in
    // texels follows (cgc's reading of the int4); the size is the level's in texels.
    CGprogram texels = compile(
        "uniform sampler2D image;\n"
        "float4 main(float2 uv : TEXCOORD0) : COLOR\n"
        "{\n    int3 size = tex2Dsize(image, 0);\n"
        "    return float4(tex2Dfetch(image, int4(1, 0, 0, 5)).x,\n"
        "                  tex2Dfetch(image, int4(0, 0, 7, 0), int2(1, 1)).x,\n"
        "                  tex2D(image, float2(0.25, 0.25), int2(0, 1)).x,\n"
        "                  size.x + size.y * 10 + size.z * 100);\n}\n",
        fragmentProfile);
    useTexture(texels, "image", image);
    EXPECT_EQ(drawnPixel(texels), (std::array<float, 4>{0.2f, 0.4f, 0.3f, 22.0f}));
    // The same in a vertex program.
    CGprogram vertexTexels = compile(
        "uniform sampler2D image;\n"
        "void main(float4 p : POSITION, out float4 oP : POSITION, out float4 oT : TEXCOORD0)\n"
        "{\n    oP = p;\n    int3 size = tex2Dsize(image, 0);\n"
        "    oT = float4(tex2Dfetch(image, int3(1, 1, 0)).x,\n"
        "                tex2Dfetch(image, int4(0, 1, 0, 0), int2(1, -1)).x,\n"
        "                tex2Dlod(image, float4(0.25, 0.25, 0, 0), int2(1, 1)).x, size.x);\n}\n",
        vertexProfile);
    CGprogram passed =
        compile("float4 main(float4 t : TEXCOORD0) : COLOR { return t; }\n", fragmentProfile);
    useTexture(vertexTexels, "image", image);
    EXPECT_EQ(drawnPixel(passed, vertexTexels), (std::array<float, 4>{0.4f, 0.2f, 0.4f, 2.0f}));
    glDeleteTextures(1, &image);

    // A shadow sampler's lookups compare the coordinate's depth (z, or z / w when projected)
    // with the texel's: 1 where it passes the texture's comparison (here <=), 0 where not.
    const float half = 0.5f;
    const GLuint depth =
        nearestTexture(GL_TEXTURE_2D, GL_DEPTH_COMPONENT24, 1, GL_DEPTH_COMPONENT, &half);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_R_TO_TEXTURE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
    CGprogram shadow = compile(
        "uniform sampler2DShadow depth;\n"
        "float4 main(float2 uv : TEXCOORD0) : COLOR\n"
        "{\n    return float4(tex2D(depth, float3(0.5, 0.5, 0.25)).x,\n"
        "                  shadow2D(depth, float3(0.5, 0.5, 0.75)).x,\n"
        "                  tex2Dproj(depth, float4(1.0, 1.0, 0.5, 2.0)).x,\n"
        "                  f1tex2Dproj(depth, float4(1.0, 1.0, 1.5, 2.0)));\n}\n",
        fragmentProfile);
    EXPECT_EQ(cgGetParameterType(cgGetNamedParameter(shadow, "depth")), CG_SAMPLER2DSHADOW);
    useTexture(shadow, "depth", depth);
    EXPECT_EQ(drawnPixel(shadow), (std::array<float, 4>{1.0f, 0.0f, 1.0f, 0.0f}));
    glDeleteTextures(1, &depth);

    // A rectangle texture is read at texel coordinates, not normalized ones: (1.5, 0.5) is the
    // second texel of the first row of the same 2x2 image; also with derivatives given.
    const GLuint rectangle = nearestTexture(GL_TEXTURE_RECTANGLE, GL_RGBA32F, 2, GL_RGBA, TEXELS);
    CGprogram rect = compile(
        "uniform samplerRECT image;\n"
        "float4 main(float2 uv : TEXCOORD0) : COLOR\n"
        "{\n    return float4(texRECT(image, float2(1.5, 0.5)).x, f1texRECT(image, float2(0.5, "
        "1.5)),\n                  texRECTproj(image, float3(3.0, 3.0, 2.0)).x,\n"
        "                  texRECT(image, float2(1.5, 1.5), float2(0, 0), float2(0, 0)).x);\n}\n",
        fragmentProfile);
    EXPECT_EQ(cgGetParameterType(cgGetNamedParameter(rect, "image")), CG_SAMPLERRECT);
    useTexture(rect, "image", rectangle);
    EXPECT_EQ(drawnPixel(rect), (std::array<float, 4>{0.2f, 0.3f, 0.4f, 0.4f}));
    // Its fetches and offsets count in texels alike.
    CGprogram rectTexels = compile(
        "uniform samplerRECT image;\n"
        "float4 main(float2 uv : TEXCOORD0) : COLOR\n"
        "{\n    return float4(texRECTfetch(image, int4(1, 1, 0, 0)).x,\n"
        "                  texRECTfetch(image, int4(0, 0, 0, 0), int2(1, 0)).x,\n"
        "                  texRECT(image, float2(0.5, 0.5), int2(0, 1)).x,\n"
        "                  texRECTproj(image, float3(1.0, 1.0, 2.0), int2(1, 0)).x);\n}\n",
        fragmentProfile);
    useTexture(rectTexels, "image", rectangle);
    EXPECT_EQ(drawnPixel(rectTexels), (std::array<float, 4>{0.4f, 0.2f, 0.3f, 0.2f}));
    // Its size has one level to ask for, and 0 past its two dimensions.
    CGprogram rectSize = compile(
        "uniform samplerRECT image;\n"
        "float4 main(float2 uv : TEXCOORD0) : COLOR { return float4(texRECTsize(image, 0), 1); }\n",
        fragmentProfile);
    useTexture(rectSize, "image", rectangle);
    EXPECT_EQ(drawnPixel(rectSize), (std::array<float, 4>{2.0f, 2.0f, 0.0f, 1.0f}));
    glDeleteTextures(1, &rectangle);
}

// Vertex inputs of the semantics NVIDIA binds to generic attributes read those attributes
// (TANGENT 14, ATTR6 6, BLENDWEIGHT 1, BLENDINDICES 7), TESSFACTOR the fog coordinate that shares
// attribute 5 with it in arbvp1; FACE is 1 on a front face, INSTANCEID 0 outside instanced draws.
TEST_F(CgRuntimeTest, VertexInputsReadTheAttributesNvidiasProfilesBindThemTo) {
    const FloatPixel drawn;
    CGprogram attributes = compile(
        "void main(float4 p : POSITION, float3 t : TANGENT, float4 a : ATTR6, float w : "
        "BLENDWEIGHT,\n          int4 i : BLENDINDICES, int instance : INSTANCEID, float tess : "
        "TESSFACTOR,\n"
        "          out float4 oP : POSITION, out float4 oC : COLOR0, out float4 oT : TEXCOORD0)\n"
        "{\n    oP = p;\n    oC = float4(t.xy, a.z, w);\n    oT = float4(i.xy, instance, "
        "tess);\n}\n",
        vertexProfile);
    CGprogram face = compile(
        "float4 main(float4 c : COLOR0, float4 i : TEXCOORD0, float f : FACE,\n"
        "            int primitive : PRIMITIVEID) : COLOR\n"
        "{\n    return c + float4(i.x, i.y, i.z + i.w + primitive * 0, f) * 10.0;\n}\n",
        fragmentProfile);
    ASSERT_NE(attributes, nullptr);
    glVertexAttrib4f(14, 0.25f, 0.5f, 0.0f, 1.0f);
    glVertexAttrib4f(6, 0.0f, 0.0f, 0.75f, 0.0f);
    glVertexAttrib1f(1, 0.125f);
    glVertexAttrib4f(7, 2.0f, 3.0f, 0.0f, 0.0f);
    glFogCoordf(0.5f);
    EXPECT_EQ(drawnPixel(face, attributes), (std::array<float, 4>{20.25f, 30.5f, 5.75f, 10.125f}));
}

const char* variabilityOf(CGparameter p) {
    const CGenum variability = cgGetParameterVariability(p);
    return variability == CG_VARYING ? "varying" : variability == CG_MIXED ? "mixed" : "uniform";
}

// One line a parameter of the walk from `p` on, a struct's members indented under it: name, type,
// semantic, direction, variability and resource, with the resource's index where it numbers one
// of a kind (cgc's constant registers, which NVIDIA gives as the index of "c", have no
// counterpart in GLSL).
std::string walkOf(CGparameter p, int depth = 0) {
    static const std::pair<CGtype, const char*> TYPES[] = {
        {CG_STRUCT, "struct"}, {CG_FLOAT, "float"},        {CG_FLOAT2, "float2"},
        {CG_FLOAT3, "float3"}, {CG_FLOAT4, "float4"},      {CG_FLOAT4x4, "float4x4"},
        {CG_HALF4, "half4"},   {CG_SAMPLER2D, "sampler2D"}};
    std::string out;
    for (; p != nullptr; p = cgGetNextParameter(p)) {
        const char* type = "?";
        for (const auto& [value, name] : TYPES) {
            type = cgGetParameterType(p) == value ? name : type;
        }
        const CGenum direction = cgGetParameterDirection(p);
        const CGresource resource = cgGetParameterResource(p);
        // A struct has no resource of its own, and NVIDIA's runtime says so with an error.
        const bool isStruct = cgGetParameterType(p) == CG_STRUCT;
        EXPECT_EQ(cgGetError(), isStruct ? CG_INVALID_PARAMETER_ERROR : CG_NO_ERROR);
        out += std::string(static_cast<std::size_t>(depth) * 2, ' ') + cgGetParameterName(p) + " " +
               type + " '" + cgGetParameterSemantic(p) + "' " +
               (direction == CG_IN    ? "in"
                : direction == CG_OUT ? "out"
                                      : "inout") +
               " " + variabilityOf(p) + " " + cgGetResourceString(resource);
        if (!isStruct && cgGetParameterBaseResource(p) != CG_UNDEFINED) {
            out += " " + std::string(cgGetResourceString(cgGetParameterBaseResource(p))) + "+" +
                   std::to_string(cgGetParameterResourceIndex(p));
        }
        out += "\n";
        if (cgGetParameterType(p) == CG_STRUCT) {
            out += walkOf(cgGetFirstStructParameter(p), depth + 1);
        }
    }
    return out;
}

// Programs written for NVIDIA's runtime walk their parameters as it gives them (NVIDIA's Cg 3.1
// answers, arbvp1 and arbfp1 on this driver): the entry's parameters under CG_PROGRAM in the
// order of the signature, varyings among them, structs holding their members; the global uniforms
// and the entry's result under CG_GLOBAL. Samplers take their TEXUNITn, the others the lowest
// units left; every name of the walk is found by cgGetNamedParameter.
TEST_F(CgRuntimeTest, ParametersWalkAsNvidiasRuntimeGivesThem) {
    struct Case {
        bool vertex;
        const char* source;
        const char* program;
        const char* global;
    };
    const Case CASES[] = {
        {true,
         "struct input { float2 video_size; float frame_count; };\n"
         "struct output { float4 position : POSITION; float4 color : COLOR;\n"
         "                float2 tex_coord : TEXCOORD0; };\n"
         "void main(in float4 position : POSITION, in float4 color : COLOR,\n"
         "          in float2 tex_coord : TEXCOORD0, in float4 vertex_coord : ATTR5,\n"
         "          in float4 t : TANGENT, in float3 n : NORMAL,\n"
         "          uniform float4x4 modelViewProj, uniform input IN, out output OUT)\n"
         "{\n"
         "    OUT.position = mul(modelViewProj, position) + vertex_coord + t + n.xyzz;\n"
         "    OUT.color = color;\n"
         "    OUT.tex_coord = tex_coord * IN.video_size * IN.frame_count;\n"
         "}\n",
         "position float4 'POSITION' in varying POSITION0 POSITION0+0\n"
         "color float4 'COLOR' in varying COLOR0 COLOR0+0\n"
         "tex_coord float2 'TEXCOORD0' in varying TEXCOORD0 TEXCOORD0+0\n"
         "vertex_coord float4 'ATTR5' in varying ATTR5 ATTR0+5\n"
         "t float4 'TANGENT' in varying ATTR14 ATTR0+14\n"
         "n float3 'NORMAL' in varying NORMAL0 NORMAL0+0\n"
         "modelViewProj float4x4 '' in uniform c\n"
         "IN struct '' in uniform CG_UNDEFINED\n"
         "  IN.video_size float2 '' in uniform c\n"
         "  IN.frame_count float '' in uniform c\n"
         "OUT struct '' out varying CG_UNDEFINED\n"
         "  OUT.position float4 'POSITION' out varying HPOS\n"
         "  OUT.color float4 'COLOR' out varying COL0 COL0+0\n"
         "  OUT.tex_coord float2 'TEXCOORD0' out varying TEX0 TEX0+0\n",
         ""},
        {false,
         "struct vin { float2 tex : TEXCOORD1; float4 col : COLOR0; };\n"
         "uniform sampler2D g;\n"
         "uniform float4 tint;\n"
         "float4 main(vin IN, uniform sampler2D s0 : TEXUNIT2, uniform sampler2D s1,\n"
         "            float4 w : WPOS) : COLOR\n"
         "{\n"
         "    return tint * (tex2D(s0, IN.tex) + tex2D(s1, IN.tex) + tex2D(g, IN.tex)) * IN.col\n"
         "           + w;\n"
         "}\n",
         "IN struct '' in varying CG_UNDEFINED\n"
         "  IN.tex float2 'TEXCOORD1' in varying TEX1 TEX0+1\n"
         "  IN.col float4 'COLOR0' in varying COL0 COL0+0\n"
         "s0 sampler2D 'TEXUNIT2' in uniform texunit 2 texunit 0+2\n"
         "s1 sampler2D '' in uniform texunit 0 texunit 0+0\n"
         "w float4 'WPOS' in varying WPOS\n",
         "g sampler2D '' in uniform texunit 1 texunit 0+1\n"
         "tint float4 '' in uniform c\n"
         "main float4 'COLOR' out varying COL0 COL0+0\n"},
        {true,
         "struct vout { float4 position : POSITION; float4 tex : TEXCOORD3; };\n"
         "uniform float4x4 mvp;\n"
         "vout main(float4 p : POSITION, float4 c1 : COLOR1, float4 b : BLENDWEIGHT,\n"
         "          float4 t7 : TEXCOORD7)\n"
         "{\n"
         "    vout o;\n"
         "    o.position = mul(mvp, p);\n"
         "    o.tex = c1 + b + t7;\n"
         "    return o;\n"
         "}\n",
         "p float4 'POSITION' in varying POSITION0 POSITION0+0\n"
         "c1 float4 'COLOR1' in varying COLOR1 COLOR0+1\n"
         "b float4 'BLENDWEIGHT' in varying BLENDWEIGHT0 BLENDWEIGHT0+0\n"
         "t7 float4 'TEXCOORD7' in varying TEXCOORD7 TEXCOORD0+7\n",
         "mvp float4x4 '' in uniform c\n"
         "main struct '' out varying CG_UNDEFINED\n"
         "  main.position float4 'POSITION' out varying HPOS\n"
         "  main.tex float4 'TEXCOORD3' out varying TEX3 TEX0+3\n"},
        // RetroArch's own pass-through keeps its matrix in the vertex struct, marked uniform.
        {true,
         "struct input { float4 vertex_coord : POSITION; uniform float4x4 mvp_matrix; };\n"
         "void main(out float4 oPosition : POSITION, out float4 oColor : COLOR0, input IN)\n"
         "{\n"
         "    oPosition = mul(IN.mvp_matrix, IN.vertex_coord);\n"
         "    oColor = mul(IN.mvp_matrix, float4(0, 0, 0, 1));\n"
         "}\n",
         "oPosition float4 'POSITION' out varying HPOS\n"
         "oColor float4 'COLOR0' out varying COL0 COL0+0\n"
         "IN struct '' in mixed CG_UNDEFINED\n"
         "  IN.vertex_coord float4 'POSITION' in varying POSITION0 POSITION0+0\n"
         "  IN.mvp_matrix float4x4 '' in uniform c\n",
         ""},
    };
    for (const Case& c : CASES) {
        SCOPED_TRACE(c.source);
        CGprogram program = compile(c.source, c.vertex ? vertexProfile : fragmentProfile);
        ASSERT_NE(program, nullptr);
        EXPECT_EQ(walkOf(cgGetFirstParameter(program, CG_PROGRAM)), c.program);
        EXPECT_EQ(walkOf(cgGetFirstParameter(program, CG_GLOBAL)), c.global);
        for (const CGenum nameSpace : {CG_PROGRAM, CG_GLOBAL}) {
            for (CGparameter p = cgGetFirstLeafParameter(program, nameSpace); p != nullptr;
                 p = cgGetNextLeafParameter(p)) {
                EXPECT_EQ(cgGetNamedParameter(program, cgGetParameterName(p)), p);
            }
        }
    }
    callbackCalls = 0;  // the structs' resources asked for above
    // A varying's value is each vertex's: the program's reads as zeros. A value set on a vertex
    // input is GL's current value of the attribute it reads, the components not given GL's
    // defaults, but a colour's repeated up to blue; a position, which GL would take as a vertex,
    // takes none.
    CGprogram inputs = compile(CASES[0].source, vertexProfile);
    CGparameter position = cgGetNamedParameter(inputs, "position");
    float values[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    EXPECT_EQ(cgGetParameterValuefr(position, 4, values), 4);
    EXPECT_EQ(values[3], 0.0f);
    EXPECT_EQ(cgGetParameterDefaultValuefr(position, 4, values), 4);
    cgSetParameter4f(position, 1.0f, 2.0f, 3.0f, 4.0f);
    cgGLSetParameter2f(cgGetNamedParameter(inputs, "vertex_coord"), 3.0f, 5.0f);
    cgSetParameter1d(cgGetNamedParameter(inputs, "tex_coord"), 7.0);
    cgGLSetParameter2f(cgGetNamedParameter(inputs, "color"), 0.25f, 0.5f);
    EXPECT_EQ(cgGetError(), CG_NO_ERROR);
    std::array<float, 4> current{};
    glGetVertexAttribfv(5, GL_CURRENT_VERTEX_ATTRIB, current.data());
    EXPECT_EQ(current, (std::array<float, 4>{3.0f, 5.0f, 0.0f, 1.0f}));
    glActiveTexture(GL_TEXTURE0);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, current.data());
    EXPECT_EQ(current, (std::array<float, 4>{7.0f, 0.0f, 0.0f, 1.0f}));
    glGetFloatv(GL_CURRENT_COLOR, current.data());
    EXPECT_EQ(current, (std::array<float, 4>{0.25f, 0.5f, 0.5f, 1.0f}));
    // In the GLSL profiles an input without a semantic, or with a generic ATTRn one, is an
    // attribute cgc declares under a name of its own: NVIDIA's runtime reports it so (index 0)
    // and will neither set nor feed it.
    CGprogram named = compile(
        "float4 main(float4 p : POSITION, float2 size, float4 more : ATTR6) : POSITION\n"
        "{\n    return p * size.x + more;\n}\n",
        CG_PROFILE_GLSLV);
    for (const char* name : {"size", "more"}) {
        SCOPED_TRACE(name);
        const CGparameter attribute = cgGetNamedParameter(named, name);
        EXPECT_EQ(cgGetParameterResource(attribute), CG_GLSL_ATTRIB);
        EXPECT_EQ(cgGetParameterResourceIndex(attribute), 0u);
        cgGLSetParameter2f(attribute, 3.0f, 5.0f);
        EXPECT_EQ(cgGetError(), CG_INVALID_PARAMETER_ERROR);
        cgGLEnableClientState(attribute);
        EXPECT_EQ(cgGetError(), CG_INVALID_PARAMETER_ERROR);
    }
    glGetVertexAttribfv(1, GL_CURRENT_VERTEX_ATTRIB, current.data());
    EXPECT_EQ(current, (std::array<float, 4>{0.0f, 0.0f, 0.0f, 1.0f}));
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glMultiTexCoord4f(GL_TEXTURE0, 0.0f, 0.0f, 0.0f, 1.0f);
    // An output has no attribute to take one.
    cgSetParameter4f(cgGetNamedParameter(inputs, "OUT.color"), 1.0f, 2.0f, 3.0f, 4.0f);
    EXPECT_EQ(cgGetError(), CG_INVALID_PARAMETER_ERROR);
    callbackCalls = 0;
    // A uniform member of a varying struct takes its value like any uniform, and the code reads it
    // as Cg's matrix: its last column, a shift in depth, comes out as the colour.
    CGprogram mixed = compile(CASES[3].source, vertexProfile);
    const float moved[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0.5f, 1};
    cgGLSetMatrixParameterfc(cgGetNamedParameter(mixed, "IN.mvp_matrix"), moved);
    const std::array<float, 4> pixel = drawnPixel(
        compile("float4 main(float4 c : COLOR0) : COLOR { return c; }\n", fragmentProfile), mixed);
    EXPECT_NEAR(pixel[0], 0.0f, 0.01f);
    EXPECT_NEAR(pixel[2], 0.5f, 0.01f);
    EXPECT_EQ(cgGetError(), CG_NO_ERROR);
    // A struct's members belong to it; anything else has none.
    CGparameter in = cgGetNamedParameter(compile(CASES[1].source, fragmentProfile), "IN");
    EXPECT_STREQ(cgGetParameterName(cgGetFirstStructParameter(in)), "IN.tex");
    // A global struct's base type is its struct type, as an entry parameter's of that type is.
    CGprogram typed = compile(
        "struct input { float2 video_size; };\n"
        "input G;\n"
        "float4 main(uniform input IN) : COLOR { G = IN; return G.video_size.xyxy; }\n",
        fragmentProfile);
    // User types lie past CGtype's enumerators, so they are held as ints, as a sanitized client
    // must hold them.
    const int globalType = cgGetParameterBaseType(cgGetNamedParameter(typed, "G"));
    EXPECT_EQ(globalType,
              static_cast<int>(cgGetParameterBaseType(cgGetNamedParameter(typed, "IN"))));
    EXPECT_GE(globalType, CG_TYPE_START_ENUM);
    EXPECT_NE(globalType, CG_STRUCT);
    // An unread sampler keeps the unit its TEXUNITn names when it is the entry's own parameter;
    // the ARB profiles give an unread global none. What is unread is known where the optimizer is
    // built in; elsewhere every parameter may be read.
    const bool readsKnown = cgrt::foldsStaticSamplers();
    CGprogram unread = compile(
        "uniform sampler2D g : TEXUNIT2;\n"
        "float4 main(uniform sampler2D s : TEXUNIT3, float4 c : COLOR0) : COLOR { return c; }\n",
        fragmentProfile);
    EXPECT_EQ(cgIsParameterReferenced(cgGetNamedParameter(unread, "s")), !readsKnown);
    EXPECT_EQ(cgGetParameterResource(cgGetNamedParameter(unread, "s")), CG_TEXUNIT3);
    EXPECT_EQ(cgGetParameterResource(cgGetNamedParameter(unread, "g")),
              readsKnown && fragmentProfile == CG_PROFILE_ARBFP1 ? CG_UNDEFINED : CG_TEXUNIT2);
    EXPECT_EQ(callbackCalls, 0);
    EXPECT_EQ(cgGetFirstStructParameter(cgGetNextParameter(in)), nullptr);
    EXPECT_EQ(cgGetError(), CG_INVALID_PARAMETER_TYPE_ERROR);
    EXPECT_EQ(cgGetResource("texunit 2"), CG_TEXUNIT2);
    EXPECT_EQ(cgGetResource("TEXUNIT2"), CG_UNDEFINED);
    EXPECT_STREQ(cgGetResourceString(CG_TEX3), "TEX3");
    EXPECT_STREQ(cgGetResourceString(static_cast<CGresource>(5000)), "");
}

// An array holds its elements as parameters of their own, set one by one or together, and every
// parameter reads back what the source starts it at (NVIDIA's Cg 3.1 answers).
TEST_F(CgRuntimeTest, ArraysHoldTheirElementsAndDefaultsReadBack) {
    CGprogram fragment = compile(
        "uniform float2 w[3] = {float2(0.1, 0.2), float2(0.3, 0.4), float2(0.5, 0.6)};\n"
        "uniform float4 k = float4(1, 2, 3, 4);\n"
        "uniform float2x2 m = {1, 2, 3, 4};\n"
        "uniform float2x2 r[2];\n"
        "float4 main(float4 c : COLOR0) : COLOR\n"
        "{\n"
        "    return float4(w[1], w[2]) + 0 * (k + m[0].xyxy + w[0].xyxy)\n"
        "           + float4(mul(r[1], float2(1, 0)), mul(r[1], float2(0, 1)));\n"
        "}\n",
        fragmentProfile);
    ASSERT_NE(fragment, nullptr);
    CGparameter w = cgGetNamedParameter(fragment, "w");
    EXPECT_EQ(cgGetParameterType(w), CG_ARRAY);
    EXPECT_EQ(cgGetArraySize(w, 0), 3);
    EXPECT_EQ(cgGetArrayDimension(w), 1);
    EXPECT_EQ(cgGetArrayType(w), CG_FLOAT2);
    EXPECT_EQ(cgGetArrayTotalSize(w), 3);
    EXPECT_EQ(cgGetArrayParameter(w, 1), cgGetNamedParameter(fragment, "w[1]"));
    EXPECT_STREQ(cgGetParameterName(cgGetArrayParameter(w, 2)), "w[2]");
    EXPECT_EQ(callbackCalls, 0);

    // Defaults: a vector's, a matrix's by rows and by columns, an array's elements in turn.
    struct Default {
        const char* name;
        bool byColumns;
        std::vector<float> values;
    };
    const Default DEFAULTS[] = {{"k", false, {1, 2, 3, 4}},
                                {"m", false, {1, 2, 3, 4}},
                                {"m", true, {1, 3, 2, 4}},
                                {"w", false, {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f}},
                                {"w[1]", false, {0.3f, 0.4f}}};
    for (const Default& d : DEFAULTS) {
        SCOPED_TRACE(d.name);
        float got[8] = {};
        CGparameter p = cgGetNamedParameter(fragment, d.name);
        const int n = d.byColumns ? cgGetParameterDefaultValuefc(p, 8, got)
                                  : cgGetParameterDefaultValuefr(p, 8, got);
        EXPECT_EQ(std::vector<float>(got, got + n), d.values);
    }
    double room[2] = {};
    EXPECT_EQ(cgGetParameterDefaultValuedr(cgGetNamedParameter(fragment, "k"), 2, room), 0);
    EXPECT_EQ(cgGetError(), CG_NOT_ENOUGH_DATA_ERROR);

    // Elements past either end, and arrays that are none.
    EXPECT_EQ(cgGetArrayParameter(w, 3), nullptr);
    EXPECT_EQ(cgGetError(), CG_OUT_OF_ARRAY_BOUNDS_ERROR);
    EXPECT_EQ(cgGetArrayParameter(cgGetNamedParameter(fragment, "k"), 0), nullptr);
    EXPECT_EQ(cgGetError(), CG_ARRAY_PARAM_ERROR);
    EXPECT_EQ(cgGetArraySize(cgGetNamedParameter(fragment, "k"), 0), 0);
    const float values[6] = {0, 0, 0.25f, 0.5f, 0.75f, 1};
    cgGLSetParameterArray2f(w, 2, 2, values);
    EXPECT_EQ(cgGetError(), CG_OUT_OF_ARRAY_BOUNDS_ERROR);

    // The window keeps 8 bits a colour and no alpha.
    const auto drawsNear = [&](std::array<float, 3> expected) {
        const std::array<float, 4> pixel = drawnPixel(fragment);
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_NEAR(pixel[i], expected[i], 1.0f / 255.0f) << "component " << i;
        }
    };
    drawsNear({0.3f, 0.4f, 0.5f});
    // As NVIDIA's, the values are laid out as the whole array: w[1] takes values[2..3].
    cgGLSetParameterArray2f(w, 1, 2, values);
    float all[6] = {};
    cgGLGetParameterArray2f(w, 0, 0, all);
    EXPECT_EQ(std::vector<float>(all, all + 6),
              (std::vector<float>{0.1f, 0.2f, 0.25f, 0.5f, 0.75f, 1}));
    drawsNear({0.25f, 0.5f, 0.75f});
    cgSetParameter2f(cgGetArrayParameter(w, 2), 0.125f, 0.375f);
    drawsNear({0.25f, 0.5f, 0.125f});
    // Matrices by rows, element 1 at matrices + 4; mul(r[1], x) reads its columns.
    CGparameter r = cgGetNamedParameter(fragment, "r");
    EXPECT_EQ(cgGetArrayType(r), CG_FLOAT2x2);
    const float matrices[8] = {9, 9, 9, 9, 0.25f, 0.125f, 0.25f, 0};
    cgGLSetMatrixParameterArrayfr(r, 1, 1, matrices);
    float byColumns[8] = {};
    cgGLGetMatrixParameterArrayfc(r, 0, 2, byColumns);
    EXPECT_EQ(std::vector<float>(byColumns, byColumns + 8),
              (std::vector<float>{0, 0, 0, 0, 0.25f, 0.25f, 0.125f, 0}));
    drawsNear({0.5f, 0.75f, 0.25f});
    cgGLSetMatrixParameterArrayfr(w, 0, 1, matrices);
    EXPECT_EQ(cgGetError(), CG_NOT_MATRIX_PARAM_ERROR);
    EXPECT_EQ(callbackCalls, 5);
}

// A vertex program's varying inputs are fed from arrays the way NVIDIA's arbvp1 feeds them:
// positions, colours, normals and coordinate sets through GL's own arrays, ATTRn through generic
// attribute n. The quad is drawn from those arrays alone.
TEST_F(CgRuntimeTest, VaryingInputsAreFedFromArraysThroughTheirParameters) {
    CGprogram vertex = compile(
        "void main(float4 position : POSITION, float4 color : COLOR0, float2 uv : TEXCOORD1,\n"
        "          float4 extra : ATTR6, float3 n : NORMAL,\n"
        "          out float4 oP : POSITION, out float4 oC : COLOR0)\n"
        "{\n"
        "    oP = position;\n"
        "    oC = color * float4(uv, 1, 1) + extra + float4(n, 0);\n"
        "}\n",
        vertexProfile);
    CGprogram fragment =
        compile("float4 main(float4 c : COLOR0) : COLOR { return c; }\n", fragmentProfile);
    ASSERT_NE(vertex, nullptr);
    ASSERT_NE(fragment, nullptr);
    const float positions[] = {-1, -1, 1, -1, 1, 1, -1, 1};
    const float colors[] = {0.5f, 0.5f, 0.5f, 1, 0.5f, 0.5f, 0.5f, 1,
                            0.5f, 0.5f, 0.5f, 1, 0.5f, 0.5f, 0.5f, 1};
    // One value for every vertex: a stride of 0 would step to the next.
    const float uv[] = {0.5f, 1, 0.5f, 1, 0.5f, 1, 0.5f, 1};
    const float extras[] = {0, 0, 0.25f, 0, 0, 0, 0.25f, 0, 0, 0, 0.25f, 0, 0, 0, 0.25f, 0};
    const float normals[] = {0.25f, 0, 0, 0.25f, 0, 0, 0.25f, 0, 0, 0.25f, 0, 0};
    struct Input {
        const char* name;
        int size;
        const float* values;
    };
    const Input INPUTS[] = {{"position", 2, positions},
                            {"color", 4, colors},
                            {"uv", 2, uv},
                            {"extra", 4, extras},
                            {"n", 3, normals}};
    for (const Input& input : INPUTS) {
        CGparameter p = cgGetNamedParameter(vertex, input.name);
        cgGLSetParameterPointer(p, input.size, GL_FLOAT, 0, input.values);
        cgGLEnableClientState(p);
    }
    EXPECT_EQ(callbackCalls, 0);
    // Where each went: the coordinate set on its own client unit, the active one left at 0.
    const auto expectArrays = [](GLboolean enabled) {
        EXPECT_EQ(glIsEnabled(GL_VERTEX_ARRAY), enabled);
        EXPECT_EQ(glIsEnabled(GL_COLOR_ARRAY), enabled);
        EXPECT_EQ(glIsEnabled(GL_NORMAL_ARRAY), enabled);
        GLint value = 0;
        glGetIntegerv(GL_CLIENT_ACTIVE_TEXTURE, &value);
        EXPECT_EQ(value, GL_TEXTURE0);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
        glClientActiveTexture(GL_TEXTURE1);
        EXPECT_EQ(glIsEnabled(GL_TEXTURE_COORD_ARRAY), enabled);
        glClientActiveTexture(GL_TEXTURE0);
        glGetVertexAttribiv(6, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &value);
        EXPECT_EQ(value, enabled);
    };
    expectArrays(GL_TRUE);

    cgGLBindProgram(vertex);
    cgGLBindProgram(fragment);
    cgGLEnableProfile(vertexProfile);
    cgGLEnableProfile(fragmentProfile);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDrawArrays(GL_QUADS, 0, 4);
    std::array<float, 4> pixel{};
    glReadPixels(400, 300, 1, 1, GL_RGBA, GL_FLOAT, pixel.data());
    const std::array<float, 4> expected{0.5f, 0.5f, 0.75f, 1.0f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(pixel[static_cast<std::size_t>(i)], expected[static_cast<std::size_t>(i)],
                    2.0f / 255.0f);
    }

    for (const Input& input : INPUTS) {
        cgGLDisableClientState(cgGetNamedParameter(vertex, input.name));
    }
    expectArrays(GL_FALSE);
    EXPECT_EQ(callbackCalls, 0);

    // Only a vertex program's varying inputs are fed.
    cgGLEnableClientState(cgGetNamedParameter(vertex, "oP"));
    EXPECT_EQ(cgGetError(), CG_INVALID_PARAMETER_ERROR);
    cgGLSetParameterPointer(cgGetNamedParameter(fragment, "c"), 4, GL_FLOAT, 0, colors);
    EXPECT_EQ(cgGetError(), CG_INVALID_PARAMETER_ERROR);
    cgGLEnableClientState(nullptr);
    EXPECT_EQ(cgGetError(), CG_INVALID_PARAM_HANDLE_ERROR);
    EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
}

// A frontend finds what a shader it has never seen takes: members of uniform structs by their Cg
// names, samplers named with words HLSL reserves, all in declaration order; and what it sets there
// reaches the draw.
TEST_F(CgRuntimeTest, StructMembersAndReservedNamesAreParametersToWalkAndSet) {
    CGprogram vertex = compile(PASS_VERTEX, vertexProfile);
    CGprogram fragment = compile(
        "struct input { float2 video_size; float frame_count; };\n"
        "float4 main(float4 c : COLOR0, uniform input IN, uniform sampler2D texture) : COLOR\n"
        "{\n    return float4(IN.video_size, IN.frame_count, 1) + 0 * tex2D(texture, c.xy);\n}\n",
        fragmentProfile);
    ASSERT_NE(fragment, nullptr);
    std::string walked;
    for (CGparameter p = cgGetFirstLeafParameter(fragment, CG_PROGRAM); p != nullptr;
         p = cgGetNextLeafParameter(p)) {
        walked += std::string(cgGetParameterName(p)) + " ";
        EXPECT_EQ(cgGetParameterDirection(p), CG_IN);
    }
    EXPECT_EQ(walked, "c IN.video_size IN.frame_count texture ");
    CGparameter size = cgGetNamedParameter(fragment, "IN.video_size");
    CGparameter frames = cgGetNamedParameter(fragment, "IN.frame_count");
    ASSERT_NE(size, nullptr);
    ASSERT_NE(frames, nullptr);
    EXPECT_EQ(cgGetParameterType(size), CG_FLOAT2);
    EXPECT_EQ(cgGetParameterType(cgGetNamedParameter(fragment, "texture")), CG_SAMPLER2D);

    cgSetParameter2f(size, 1.0f, 0.0f);
    cgGLSetParameter1f(frames, 1.0f);
    cgGLBindProgram(vertex);
    cgGLBindProgram(fragment);
    cgGLEnableProfile(vertexProfile);
    cgGLEnableProfile(fragmentProfile);
    EXPECT_EQ(drawWhiteSquare(), (Rgb{255, 0, 255}));

    // With a sampler inside, the struct is split up on the way to GLSL: still one parameter a
    // member, under the same names.
    CGprogram holder = compile(
        "struct input { float2 video_size; sampler2D texture; };\n"
        "float4 main(float4 c : COLOR0, uniform input IN) : COLOR\n"
        "{\n    return float4(IN.video_size, 1, 1) * tex2D(IN.texture, c.xy);\n}\n",
        fragmentProfile);
    ASSERT_NE(holder, nullptr);
    CGparameter heldSize = cgGetNamedParameter(holder, "IN.video_size");
    ASSERT_NE(heldSize, nullptr);
    CGparameter heldTexture = cgGetNamedParameter(holder, "IN.texture");
    ASSERT_EQ(cgGetParameterType(heldTexture), CG_SAMPLER2D);
    GLuint white = 0;
    glGenTextures(1, &white);
    glBindTexture(GL_TEXTURE_2D, white);
    const unsigned char texel[4] = {255, 255, 255, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    cgGLSetTextureParameter(heldTexture, white);
    cgGLEnableTextureParameter(heldTexture);
    cgSetParameter2f(heldSize, 0.0f, 1.0f);
    cgGLBindProgram(holder);
    EXPECT_EQ(drawWhiteSquare(), (Rgb{0, 255, 255}));
    cgGLDisableTextureParameter(heldTexture);
    glDeleteTextures(1, &white);
    EXPECT_EQ(callbackCalls, 0);
}

namespace {

const char* const VALUES_FRAGMENT =
    "uniform float f1; uniform float2 f2; uniform float4 f4;\n"
    "uniform int i1; uniform int4 i4;\n"
    "uniform float4x4 m44; uniform float3x2 m32; uniform sampler2D s;\n"
    "float4 main() : COLOR\n"
    "{\n"
    "    return f1 + f2.xyxy + f4 + i1 + i4 + m44[0] + m32[0].xyxy + tex2D(s, f2);\n"
    "}\n";

// The parameter's values as cgGetParameterValueir reads them, row by row.
std::vector<int> intsOf(CGparameter param) {
    int values[16] = {};
    const int n = cgGetParameterValueir(param, 16, values);
    return std::vector<int>(values, values + n);
}

std::vector<float> floatsOf(CGparameter param, int (*get)(CGparameter, int, float*)) {
    float values[16] = {};
    const int n = get(param, 16, values);
    return std::vector<float>(values, values + n);
}

}  // namespace

// Each case's expectation is what NVIDIA's runtime answered to the same calls.
TEST_F(CgRuntimeTest, ValuesAreConvertedAndCheckedAsNvidiasRuntimeDoes) {
    CGprogram fragment = compile(VALUES_FRAGMENT, fragmentProfile);
    ASSERT_NE(fragment, nullptr);
    auto param = [&](const char* name) { return cgGetNamedParameter(fragment, name); };
    const CGparameter f1 = param("f1"), f2 = param("f2"), f4 = param("f4"), i1 = param("i1"),
                      i4 = param("i4"), m44 = param("m44"), m32 = param("m32"), s = param("s");

    // An int parameter turns what it is given toward zero; what no int holds becomes INT_MIN.
    struct IntCase {
        double set;
        int kept;
    };
    for (const IntCase c : {IntCase{2.7, 2}, IntCase{-2.7, -2}, IntCase{3.5, 3},
                            IntCase{1e10, INT_MIN}, IntCase{-1e10, INT_MIN}}) {
        cgSetParameter1d(i1, c.set);
        EXPECT_EQ(intsOf(i1), std::vector<int>{c.kept}) << c.set;
    }
    cgGLSetParameter4f(i4, 1.5f, 2.5f, -3.5f, 4.0f);
    EXPECT_EQ(intsOf(i4), (std::vector<int>{1, 2, -3, 4}));
    // A float parameter read as ints is turned alike.
    cgSetParameter4f(f4, -1.5f, 2.7f, 1e10f, 0.0f);
    EXPECT_EQ(intsOf(f4), (std::vector<int>{-1, 2, INT_MIN, 0}));

    // The N forms set the first N values and leave the rest; extra values are dropped.
    cgSetParameter4i(f4, 1, 2, 3, 4);
    cgSetParameter1f(f4, 9.0f);
    EXPECT_EQ(floatsOf(f4, cgGetParameterValuefr), (std::vector<float>{9, 2, 3, 4}));
    const double pair[2] = {11, 12};
    cgGLSetParameter2dv(f4, pair);
    EXPECT_EQ(floatsOf(f4, cgGetParameterValuefr), (std::vector<float>{11, 12, 3, 4}));
    cgSetParameter4f(f1, 5.0f, 6.0f, 7.0f, 8.0f);
    EXPECT_EQ(floatsOf(f1, cgGetParameterValuefr), std::vector<float>{5});
    // On a matrix they set its first values row by row.
    const float counting[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    cgSetMatrixParameterfr(m44, counting);
    cgGLSetParameter2f(m44, 100.0f, 101.0f);
    EXPECT_EQ(floatsOf(m44, cgGetParameterValuefr)[1], 101.0f);
    float column[16] = {};
    cgGLGetMatrixParameterfc(m44, column);
    EXPECT_EQ(column[4], 101.0f);
    EXPECT_EQ(column[1], 5.0f);

    // Row by row or column by column, whole values in and out.
    const float six[6] = {0, 1, 2, 3, 4, 5};
    cgSetParameterValuefc(m32, 6, six);
    EXPECT_EQ(floatsOf(m32, cgGetParameterValuefr), (std::vector<float>{0, 3, 1, 4, 2, 5}));
    EXPECT_EQ(floatsOf(m32, cgGetParameterValuefc), (std::vector<float>{0, 1, 2, 3, 4, 5}));
    const int ints[6] = {0, 1, 2, 3, 4, 5};
    cgSetMatrixParameterir(m32, ints);
    double doubles[6] = {};
    cgGetMatrixParameterdc(m32, doubles);
    EXPECT_EQ((std::vector<double>(doubles, doubles + 6)), (std::vector<double>{0, 2, 4, 1, 3, 5}));
    float got[4] = {-1, -1, -1, -1};
    cgSetParameter2f(f2, 0.25f, 0.5f);
    cgGLGetParameter4f(f2, got);
    EXPECT_EQ((std::vector<float>(got, got + 4)), (std::vector<float>{0.25f, 0.5f, -1, -1}));
    EXPECT_EQ(callbackCalls, 0);

    // Errors, each leaving the value as it was.
    struct ErrorCase {
        const char* what;
        std::function<void()> call;
        CGerror error;
    };
    float out[16] = {};
    const ErrorCase errors[] = {
        {"a sampler takes no value", [&] { cgSetParameter1f(s, 1.0f); },
         CG_NON_NUMERIC_PARAMETER_ERROR},
        {"nor ints", [&] { cgSetParameterValueir(s, 1, ints); }, CG_NON_NUMERIC_PARAMETER_ERROR},
        {"a null array", [&] { cgGLSetParameter1fv(f1, nullptr); }, CG_INVALID_POINTER_ERROR},
        {"a null matrix", [&] { cgSetMatrixParameterfr(m44, nullptr); }, CG_INVALID_POINTER_ERROR},
        {"fewer values than the parameter holds", [&] { cgSetParameterValuefr(f4, 3, counting); },
         CG_NOT_ENOUGH_DATA_ERROR},
        {"a count below zero", [&] { cgSetParameterValuefr(f4, -1, counting); },
         CG_NOT_ENOUGH_DATA_ERROR},
        {"room for fewer values than it holds",
         [&] { EXPECT_EQ(cgGetParameterValuefc(m32, 5, out), 0); }, CG_NOT_ENOUGH_DATA_ERROR},
        {"a GL read of fewer", [&] { cgGLGetParameter1f(f4, out); }, CG_NOT_ENOUGH_DATA_ERROR},
        {"a matrix call on a vector", [&] { cgSetMatrixParameterfr(f4, counting); },
         CG_NOT_MATRIX_PARAM_ERROR},
        {"a matrix read of a sampler", [&] { cgGLGetMatrixParameterfr(s, out); },
         CG_NOT_MATRIX_PARAM_ERROR},
        {"no parameter", [&] { cgSetParameter2i(nullptr, 1, 2); }, CG_INVALID_PARAM_HANDLE_ERROR},
    };
    const std::vector<float> before = floatsOf(f4, cgGetParameterValuefr);
    for (const ErrorCase& e : errors) {
        e.call();
        EXPECT_EQ(cgGetError(), e.error) << e.what;
    }
    EXPECT_EQ(floatsOf(f4, cgGetParameterValuefr), before);
    EXPECT_EQ(callbackCalls, static_cast<int>(std::size(errors)));

    // Ints set on a float parameter reach the draw.
    CGprogram tint = compile(TINT_FRAGMENT, fragmentProfile);
    cgSetParameter4i(cgGetNamedParameter(tint, "tint"), 0, 1, 0, 1);
    cgGLBindProgram(tint);
    cgGLEnableProfile(fragmentProfile);
    EXPECT_EQ(drawWhiteSquare(), (Rgb{0, 255, 0}));
}

namespace {

GLint glInteger(GLenum name) {
    GLint value = -1;
    glGetIntegerv(name, &value);
    return value;
}

// The 2D texture bound on `unit`, the active unit left as it was.
GLint textureOnUnit(GLenum unit) {
    const GLint active = glInteger(GL_ACTIVE_TEXTURE);
    glActiveTexture(unit);
    const GLint texture = glInteger(GL_TEXTURE_BINDING_2D);
    glActiveTexture(static_cast<GLenum>(active));
    return texture;
}

}  // namespace

// A context's programs newest first, what they came from, and their life on the GL side. The
// expectations are NVIDIA's answers to the same calls, where its runtime and this one agree on what
// GL is given.
TEST_F(CgRuntimeTest, ProgramsAreListedQueriedUnloadedAndDestroyedAsNvidiasRuntimeDoes) {
    const char* args[] = {"-DUNUSED=1", nullptr};
    CGprogram vertex =
        cgCreateProgram(context, CG_SOURCE, PASS_VERTEX, vertexProfile, "main", args);
    CGprogram fragment = compile(TWO_SAMPLER_FRAGMENT, fragmentProfile);
    CGprogram tint = compile(TINT_FRAGMENT, fragmentProfile);
    std::vector<CGprogram> listed;
    for (CGprogram p = cgGetFirstProgram(context); p != nullptr; p = cgGetNextProgram(p)) {
        listed.push_back(p);
        EXPECT_EQ(cgGetProgramContext(p), context);
    }
    EXPECT_EQ(listed, (std::vector<CGprogram>{tint, fragment, vertex}));

    EXPECT_STREQ(cgGetProgramString(vertex, CG_PROGRAM_SOURCE), PASS_VERTEX);
    EXPECT_STREQ(cgGetProgramString(vertex, CG_PROGRAM_ENTRY), "main");
    EXPECT_STREQ(cgGetProgramString(vertex, CG_PROGRAM_PROFILE), "arbvp1");
    EXPECT_NE(std::string(cgGetProgramString(vertex, CG_COMPILED_PROGRAM)).find("void main()"),
              std::string::npos);
    char const* const* options = cgGetProgramOptions(vertex);
    ASSERT_NE(options, nullptr);
    EXPECT_STREQ(options[0], "-DUNUSED=1");
    EXPECT_EQ(options[1], nullptr);
    EXPECT_EQ(cgGetProgramOptions(fragment)[0], nullptr);
    cgCompileProgram(vertex);
    EXPECT_TRUE(cgIsProgramCompiled(vertex));
    EXPECT_TRUE(cgIsProgram(vertex));
    EXPECT_TRUE(cgIsContext(context));
    EXPECT_TRUE(cgIsParameter(cgGetNamedParameter(tint, "tint")));
    EXPECT_EQ(callbackCalls, 0);

    // Loading, unloading and loading again.
    EXPECT_FALSE(cgGLIsProgramLoaded(vertex));
    EXPECT_EQ(cgGLGetProgramID(vertex), 0u);
    cgGLLoadProgram(vertex);
    EXPECT_TRUE(cgGLIsProgramLoaded(vertex));
    EXPECT_NE(cgGLGetProgramID(vertex), 0u);
    cgSetParameter4f(cgGetNamedParameter(tint, "tint"), 1.0f, 0.0f, 0.0f, 1.0f);
    cgGLUnloadProgram(tint);
    EXPECT_FALSE(cgGLIsProgramLoaded(tint));
    cgGLBindProgram(tint);
    EXPECT_EQ(cgGetError(), CG_PROGRAM_NOT_LOADED_ERROR);
    cgGLLoadProgram(tint);
    cgGLEnableProgramProfiles(tint);
    cgGLBindProgram(tint);
    EXPECT_EQ(drawWhiteSquare(), (Rgb{255, 0, 0}));

    // Unbound or destroyed, the fragment stage is GL's own again.
    cgGLUnbindProgram(fragmentProfile);
    EXPECT_EQ(drawWhiteSquare(), (Rgb{255, 255, 255}));
    cgGLBindProgram(tint);
    cgDestroyProgram(tint);
    EXPECT_FALSE(cgIsProgram(tint));
    EXPECT_EQ(glInteger(GL_CURRENT_PROGRAM), 0);
    EXPECT_EQ(drawWhiteSquare(), (Rgb{255, 255, 255}));
    cgGLBindProgram(fragment);
    EXPECT_NE(glInteger(GL_CURRENT_PROGRAM), 0);
    cgGLDisableProgramProfiles(fragment);
    EXPECT_EQ(glInteger(GL_CURRENT_PROGRAM), 0);
    EXPECT_EQ(callbackCalls, 1);

    // Managed textures are bound with their program; the host's active unit stays as it was.
    GLuint textures[2];
    glGenTextures(2, textures);
    EXPECT_EQ(cgGLGetTextureEnum(cgGetNamedParameter(fragment, "first")), GLenum{GL_TEXTURE0});
    EXPECT_EQ(cgGLGetTextureEnum(cgGetNamedParameter(fragment, "second")), GLenum{GL_TEXTURE1});
    cgGLSetupSampler(cgGetNamedParameter(fragment, "first"), textures[0]);
    cgGLSetTextureParameter(cgGetNamedParameter(fragment, "second"), textures[1]);
    glActiveTexture(GL_TEXTURE3);
    EXPECT_FALSE(cgGLGetManageTextureParameters(context));
    cgGLSetManageTextureParameters(context, CG_TRUE);
    EXPECT_TRUE(cgGLGetManageTextureParameters(context));
    cgGLLoadProgram(fragment);
    cgGLBindProgram(fragment);
    EXPECT_EQ(glInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE3);
    EXPECT_EQ(textureOnUnit(GL_TEXTURE0), static_cast<GLint>(textures[0]));
    EXPECT_EQ(textureOnUnit(GL_TEXTURE1), static_cast<GLint>(textures[1]));
    glActiveTexture(GL_TEXTURE0);
    glDeleteTextures(2, textures);

    // With debug mode on, binding reports a GL error pending from before.
    cgGLSetDebugMode(CG_TRUE);
    glEnable(GL_TEXTURE_BINDING_2D);
    cgGLBindProgram(fragment);
    EXPECT_EQ(cgGetError(), CG_PROGRAM_BIND_ERROR);
    cgGLSetDebugMode(CG_FALSE);
    glEnable(GL_TEXTURE_BINDING_2D);
    cgGLBindProgram(fragment);
    EXPECT_EQ(cgGetError(), CG_NO_ERROR);
    EXPECT_EQ(glGetError(), GLenum{GL_INVALID_ENUM});

    // Errors.
    struct ErrorCase {
        const char* what;
        std::function<void()> call;
        CGerror error;
    };
    const ErrorCase errors[] = {
        {"destroyed twice", [&] { cgDestroyProgram(tint); }, CG_INVALID_PROGRAM_HANDLE_ERROR},
        {"no context to list", [] { cgGetFirstProgram(nullptr); }, CG_INVALID_CONTEXT_HANDLE_ERROR},
        {"no program to follow", [] { cgGetNextProgram(nullptr); },
         CG_INVALID_PROGRAM_HANDLE_ERROR},
        {"no such string", [&] { EXPECT_STREQ(cgGetProgramString(vertex, CG_PROGRAM), ""); },
         CG_INVALID_ENUMERANT_ERROR},
        {"no program to unload", [] { cgGLUnloadProgram(nullptr); },
         CG_INVALID_PROGRAM_HANDLE_ERROR},
        {"no profile to unbind", [] { cgGLUnbindProgram(CG_PROFILE_UNKNOWN); },
         CG_INVALID_PROFILE_ERROR},
        {"no profile to compile for",
         [&] {
             EXPECT_EQ(cgCreateProgram(context, CG_SOURCE, TINT_FRAGMENT, CG_PROFILE_UNKNOWN,
                                       "main", nullptr),
                       nullptr);
         },
         CG_COMPILER_ERROR},
        {"no context to manage", [] { cgGLSetManageTextureParameters(nullptr, CG_TRUE); },
         CG_INVALID_CONTEXT_HANDLE_ERROR},
        {"no sampler's unit",
         [&] {
             EXPECT_EQ(cgGLGetTextureEnum(cgGetNamedParameter(fragment, "weight")),
                       GLenum{GL_INVALID_OPERATION});
         },
         CG_INVALID_PARAMETER_ERROR},
        // NVIDIA's runtime takes these without a word.
        {"no program's profiles", [] { cgGLEnableProgramProfiles(nullptr); }, CG_NO_ERROR},
        {"no program loaded", [] { EXPECT_FALSE(cgGLIsProgramLoaded(nullptr)); }, CG_NO_ERROR},
    };
    for (const ErrorCase& e : errors) {
        e.call();
        EXPECT_EQ(cgGetError(), e.error) << e.what;
    }
}

namespace {

// What an error handler heard, in order, with what the callback heard after it.
struct Heard {
    CGcontext context;
    CGerror error;
    void* data;
};
std::vector<Heard> heard;

void recordHandler(CGcontext context, CGerror error, void* data) {
    heard.push_back({context, error, data});
}

void recordCallback() {
    heard.push_back({nullptr, cgGetError(), nullptr});
}

}  // namespace

TEST_F(CgRuntimeTest, ErrorsReachTheHandlerThenTheCallbackAsWithNvidiasRuntime) {
    heard.clear();
    // Earlier tests' errors count until the first question.
    cgGetFirstError();
    int tag = 0;
    cgSetErrorHandler(recordHandler, &tag);
    cgSetErrorCallback(recordCallback);
    void* data = nullptr;
    EXPECT_EQ(cgGetErrorHandler(&data), recordHandler);
    EXPECT_EQ(data, &tag);
    EXPECT_EQ(cgGetErrorHandler(nullptr), recordHandler);
    EXPECT_EQ(cgGetErrorCallback(), recordCallback);

    // A bad handle concerns no context; a failed compile concerns its own.
    cgGetProgramProfile(nullptr);
    cgCreateProgram(context, CG_SOURCE, "float4 main() : COLOR { return x; }", fragmentProfile,
                    "main", nullptr);
    ASSERT_EQ(heard.size(), 4u);
    EXPECT_EQ(heard[0].context, nullptr);
    EXPECT_EQ(heard[0].error, CG_INVALID_PROGRAM_HANDLE_ERROR);
    EXPECT_EQ(heard[0].data, &tag);
    EXPECT_EQ(heard[1].error, CG_INVALID_PROGRAM_HANDLE_ERROR);
    EXPECT_EQ(heard[2].context, context);
    EXPECT_EQ(heard[2].error, CG_COMPILER_ERROR);
    EXPECT_EQ(heard[3].error, CG_COMPILER_ERROR);
    cgSetErrorHandler(nullptr, nullptr);
    cgSetErrorCallback(nullptr);

    // The first error since the last question stays for cgGetFirstError when cgGetError is read;
    // the last one's text leaves it pending.
    EXPECT_EQ(cgGetFirstError(), CG_INVALID_PROGRAM_HANDLE_ERROR);
    EXPECT_EQ(cgGetFirstError(), CG_NO_ERROR);
    CGerror last = CG_COMPILER_ERROR;
    EXPECT_EQ(cgGetLastErrorString(&last), nullptr);
    EXPECT_EQ(last, CG_NO_ERROR);
    cgGetParameterName(nullptr);
    cgGetProgramProfile(nullptr);
    EXPECT_STREQ(cgGetLastErrorString(&last), cgGetErrorString(CG_INVALID_PROGRAM_HANDLE_ERROR));
    EXPECT_EQ(last, CG_INVALID_PROGRAM_HANDLE_ERROR);
    EXPECT_NE(cgGetLastErrorString(nullptr), nullptr);
    EXPECT_EQ(cgGetError(), CG_INVALID_PROGRAM_HANDLE_ERROR);
    EXPECT_EQ(cgGetFirstError(), CG_INVALID_PARAM_HANDLE_ERROR);

    EXPECT_STREQ(cgGetString(CG_VERSION), "3.1.0013");
    EXPECT_EQ(cgGetString(CG_PROGRAM_SOURCE), nullptr);
    EXPECT_EQ(cgGetError(), CG_INVALID_ENUMERANT_ERROR);
    cgGetFirstError();
}

namespace {

// NVIDIA's runtime's answers for a spread of types.
struct TypeCase {
    CGtype type;
    const char* name;
    CGtype base;
    CGparameterclass kind;
    CGbool matrix;
    int rows, columns;  // as cgGetTypeSizes writes them
    int matrixRows;     // as cgGetMatrixSize writes it
};

const TypeCase TYPE_CASES[] = {
    {CG_UNKNOWN_TYPE, "unknown", CG_UNKNOWN_TYPE, CG_PARAMETERCLASS_UNKNOWN, CG_FALSE, 0, 0, 0},
    {CG_STRUCT, "struct", CG_STRUCT, CG_PARAMETERCLASS_STRUCT, CG_FALSE, 0, 0, 0},
    {CG_ARRAY, "array", CG_ARRAY, CG_PARAMETERCLASS_ARRAY, CG_FALSE, 0, 0, 0},
    {CG_TYPELESS_STRUCT, "typelessstruct", CG_TYPELESS_STRUCT, CG_PARAMETERCLASS_UNKNOWN, CG_FALSE,
     0, 0, 0},
    {CG_FLOAT, "float", CG_FLOAT, CG_PARAMETERCLASS_SCALAR, CG_FALSE, 1, 1, 0},
    {CG_FLOAT1, "float1", CG_FLOAT, CG_PARAMETERCLASS_VECTOR, CG_FALSE, 1, 1, 0},
    {CG_FLOAT4, "float4", CG_FLOAT, CG_PARAMETERCLASS_VECTOR, CG_FALSE, 1, 4, 0},
    {CG_FLOAT1x1, "float1x1", CG_FLOAT, CG_PARAMETERCLASS_MATRIX, CG_TRUE, 1, 1, 1},
    {CG_HALF3x2, "half3x2", CG_HALF, CG_PARAMETERCLASS_MATRIX, CG_TRUE, 3, 2, 3},
    {CG_FIXED2, "fixed2", CG_FIXED, CG_PARAMETERCLASS_VECTOR, CG_FALSE, 1, 2, 0},
    {CG_INT1, "int1", CG_INT, CG_PARAMETERCLASS_VECTOR, CG_FALSE, 1, 1, 0},
    {CG_BOOL4x4, "bool4x4", CG_BOOL, CG_PARAMETERCLASS_MATRIX, CG_TRUE, 4, 4, 4},
    {CG_DOUBLE2x3, "double2x3", CG_DOUBLE, CG_PARAMETERCLASS_MATRIX, CG_TRUE, 2, 3, 2},
    {CG_UCHAR4x4, "uchar4x4", CG_UCHAR, CG_PARAMETERCLASS_MATRIX, CG_TRUE, 4, 4, 4},
    {CG_USHORT1x2, "ushort1x2", CG_USHORT, CG_PARAMETERCLASS_MATRIX, CG_TRUE, 1, 2, 1},
    {CG_UINT, "uint", CG_UINT, CG_PARAMETERCLASS_SCALAR, CG_FALSE, 1, 1, 0},
    {CG_SAMPLER2D, "sampler2D", CG_SAMPLER2D, CG_PARAMETERCLASS_SAMPLER, CG_FALSE, 0, 0, 0},
    {CG_SAMPLERRECT, "samplerRECT", CG_SAMPLERRECT, CG_PARAMETERCLASS_SAMPLER, CG_FALSE, 0, 0, 0},
    {CG_SAMPLER2DSHADOW, "shadow2D", CG_SAMPLER2DSHADOW, CG_PARAMETERCLASS_SAMPLER, CG_FALSE, 0, 0,
     0},
    {CG_SAMPLERCUBEARRAY, "samplerCUBEARRAY", CG_SAMPLERCUBEARRAY, CG_PARAMETERCLASS_SAMPLER,
     CG_FALSE, 0, 0, 0},
    {CG_STRING, "string", CG_STRING, CG_PARAMETERCLASS_OBJECT, CG_FALSE, 1, 1, 0},
    {CG_TEXTURE, "texture", CG_TEXTURE, CG_PARAMETERCLASS_OBJECT, CG_FALSE, 0, 0, 0},
    {CG_PIXELSHADER_TYPE, "pixelshader", CG_PIXELSHADER_TYPE, CG_PARAMETERCLASS_OBJECT, CG_FALSE, 0,
     0, 0},
    {CG_UNIFORMBUFFER, "uniformbuffer", CG_BUFFER, CG_PARAMETERCLASS_BUFFER, CG_FALSE, 0, 0, 0},
    {CG_ADDRESS, "address", CG_UINT, CG_PARAMETERCLASS_VECTOR, CG_FALSE, 1, 2, 0},
};

const CGenum PROFILE_QUERIES[] = {
    CG_IS_OPENGL_PROFILE,
    CG_IS_DIRECT3D_PROFILE,
    CG_IS_DIRECT3D_8_PROFILE,
    CG_IS_DIRECT3D_9_PROFILE,
    CG_IS_DIRECT3D_10_PROFILE,
    CG_IS_DIRECT3D_11_PROFILE,
    CG_IS_VERTEX_PROFILE,
    CG_IS_FRAGMENT_PROFILE,
    CG_IS_GEOMETRY_PROFILE,
    CG_IS_TESSELLATION_CONTROL_PROFILE,
    CG_IS_TESSELLATION_EVALUATION_PROFILE,
    CG_IS_TRANSLATION_PROFILE,
    CG_IS_HLSL_PROFILE,
    CG_IS_GLSL_PROFILE,
};

// NVIDIA's runtime's answers to cgGetProfileProperty, each profile's true properties.
struct ProfileCase {
    CGprofile profile;
    std::vector<CGenum> properties;
};

const ProfileCase PROFILE_CASES[] = {
    {CG_PROFILE_ARBVP1, {CG_IS_OPENGL_PROFILE, CG_IS_VERTEX_PROFILE}},
    {CG_PROFILE_GP4GP, {CG_IS_OPENGL_PROFILE, CG_IS_GEOMETRY_PROFILE}},
    {CG_PROFILE_GLSLF,
     {CG_IS_OPENGL_PROFILE, CG_IS_FRAGMENT_PROFILE, CG_IS_TRANSLATION_PROFILE, CG_IS_GLSL_PROFILE}},
    {CG_PROFILE_PS_1_1, {CG_IS_DIRECT3D_PROFILE, CG_IS_DIRECT3D_8_PROFILE, CG_IS_FRAGMENT_PROFILE}},
    {CG_PROFILE_HLSLV,
     {CG_IS_DIRECT3D_PROFILE, CG_IS_DIRECT3D_9_PROFILE, CG_IS_VERTEX_PROFILE,
      CG_IS_TRANSLATION_PROFILE, CG_IS_HLSL_PROFILE}},
    {CG_PROFILE_GS_4_0,
     {CG_IS_DIRECT3D_PROFILE, CG_IS_DIRECT3D_10_PROFILE, CG_IS_GEOMETRY_PROFILE,
      CG_IS_TRANSLATION_PROFILE, CG_IS_HLSL_PROFILE}},
    {CG_PROFILE_HS_5_0,
     {CG_IS_DIRECT3D_PROFILE, CG_IS_TRANSLATION_PROFILE, CG_IS_HLSL_PROFILE,
      CG_IS_TESSELLATION_CONTROL_PROFILE, CG_IS_DIRECT3D_11_PROFILE}},
    {CG_PROFILE_GENERIC, {}},
};

}  // namespace

TEST_F(CgRuntimeTest, TypesEnumerantsAndProfilesAreDescribedAsNvidiasRuntimeDoes) {
    for (const TypeCase& c : TYPE_CASES) {
        SCOPED_TRACE(c.name);
        EXPECT_STREQ(cgGetTypeString(c.type), c.name);
        EXPECT_EQ(cgGetType(c.name), c.type);
        EXPECT_EQ(cgGetTypeBase(c.type), c.base);
        EXPECT_EQ(cgGetTypeClass(c.type), c.kind);
        int rows = -1, columns = -1;
        EXPECT_EQ(cgGetTypeSizes(c.type, &rows, &columns), c.matrix);
        EXPECT_EQ((std::array<int, 2>{rows, columns}), (std::array<int, 2>{c.rows, c.columns}));
        cgGetMatrixSize(c.type, &rows, &columns);
        EXPECT_EQ((std::array<int, 2>{rows, columns}),
                  (std::array<int, 2>{c.matrixRows, c.columns}));
    }
    // Every name given is taken back, but for "sampler", which NVIDIA's runtime takes for a 2D one.
    for (int t = 0; t < 2000; ++t) {
        const std::string name = cgGetTypeString(static_cast<CGtype>(t));
        if (!name.empty() && name != "sampler") {
            EXPECT_EQ(cgGetType(name.c_str()), t) << name;
        }
    }
    EXPECT_EQ(cgGetType("sampler"), CG_SAMPLER2D);
    EXPECT_STREQ(cgGetTypeString(CG_SAMPLER), "sampler");
    for (const char* none : {"FLOAT4", "Float4", "", "float5", "sampler2DSHADOW"}) {
        EXPECT_EQ(cgGetType(none), CG_UNKNOWN_TYPE) << none;
    }
    EXPECT_EQ(cgGetType(nullptr), CG_UNKNOWN_TYPE);
    // No type, yet a value C++ lets a CGtype hold (C lets it hold any int).
    const CGtype noType = static_cast<CGtype>(2000);
    EXPECT_STREQ(cgGetTypeString(noType), "");
    EXPECT_EQ(cgGetTypeBase(noType), noType);
    int rows = -7, columns = -7;
    EXPECT_FALSE(cgGetTypeSizes(noType, &rows, &columns));
    EXPECT_EQ((std::array<int, 2>{rows, columns}), (std::array<int, 2>{0, 0}));

    // Enumerants by their names in cg.h.
    EXPECT_STREQ(cgGetEnumString(CG_UNIFORM), "CG_UNIFORM");
    EXPECT_EQ(cgGetEnum("CG_IS_DIRECT3D_11_PROFILE"), CG_IS_DIRECT3D_11_PROFILE);
    EXPECT_EQ(cgGetEnumString(static_cast<CGenum>(5000)), nullptr);
    EXPECT_EQ(cgGetEnum("CG_NOTHING"), CG_UNKNOWN);
    EXPECT_EQ(cgGetEnum(nullptr), CG_UNKNOWN);
    for (int e = CG_UNKNOWN; e <= CG_IS_DIRECT3D_11_PROFILE; ++e) {
        const char* name = cgGetEnumString(static_cast<CGenum>(e));
        if (name != nullptr) {
            EXPECT_EQ(cgGetEnum(name), e) << name;
        }
    }
    EXPECT_EQ(callbackCalls, 0);

    for (const ProfileCase& c : PROFILE_CASES) {
        for (const CGenum query : PROFILE_QUERIES) {
            const bool expected =
                std::find(c.properties.begin(), c.properties.end(), query) != c.properties.end();
            EXPECT_EQ(cgGetProfileProperty(c.profile, query) == CG_TRUE, expected)
                << cgGetProfileString(c.profile) << ", " << cgGetEnumString(query);
        }
    }
    EXPECT_EQ(callbackCalls, 0);
    EXPECT_FALSE(cgGetProfileProperty(CG_PROFILE_GLSLV, CG_UNIFORM));
    EXPECT_EQ(cgGetError(), CG_INVALID_ENUMERANT_ERROR);
    EXPECT_FALSE(cgGetProfileProperty(static_cast<CGprofile>(5), CG_IS_OPENGL_PROFILE));
    EXPECT_EQ(cgGetError(), CG_INVALID_ENUMERANT_ERROR);
    EXPECT_FALSE(cgGetProfileProperty(CG_PROFILE_UNKNOWN, CG_IS_OPENGL_PROFILE));
    EXPECT_EQ(cgGetError(), CG_INVALID_PARAMETER_ERROR);

    // A parameter's shape is its type's.
    CGprogram fragment = compile(VALUES_FRAGMENT, fragmentProfile);
    struct ParameterCase {
        const char* name;
        CGparameterclass kind;
        CGtype base;
        int rows, columns;
    };
    const ParameterCase parameters[] = {
        {"f1", CG_PARAMETERCLASS_SCALAR, CG_FLOAT, 1, 1},
        {"f4", CG_PARAMETERCLASS_VECTOR, CG_FLOAT, 1, 4},
        {"i1", CG_PARAMETERCLASS_SCALAR, CG_INT, 1, 1},
        {"m32", CG_PARAMETERCLASS_MATRIX, CG_FLOAT, 3, 2},
        {"s", CG_PARAMETERCLASS_SAMPLER, CG_SAMPLER2D, 0, 0},
    };
    for (const ParameterCase& c : parameters) {
        CGparameter param = cgGetNamedParameter(fragment, c.name);
        EXPECT_EQ(cgGetParameterClass(param), c.kind) << c.name;
        EXPECT_EQ(cgGetParameterBaseType(param), c.base) << c.name;
        EXPECT_EQ(cgGetParameterRows(param), c.rows) << c.name;
        EXPECT_EQ(cgGetParameterColumns(param), c.columns) << c.name;
        EXPECT_EQ(cgGetParameterContext(param), context) << c.name;
        // None is an array's element.
        EXPECT_EQ(cgGetParameterIndex(param), -1) << c.name;
        EXPECT_EQ(cgGetError(), CG_ARRAY_PARAM_ERROR) << c.name;
    }
    EXPECT_EQ(cgGetParameterClass(nullptr), CG_PARAMETERCLASS_UNKNOWN);
    EXPECT_EQ(cgGetError(), CG_INVALID_PARAM_HANDLE_ERROR);
    EXPECT_EQ(cgGetParameterContext(nullptr), nullptr);
    EXPECT_EQ(cgGetError(), CG_INVALID_PARAM_HANDLE_ERROR);
}
