// The shader pair with the real sources, on the test's GL context.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include "CgState.h"

#include "ShadowMapping/ShadowMapping.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

GLuint shadowTexture = 0;
float textureMatrix[16] = {};

// One pair per process, as in the program; the sources are found from any direct child of the
// project root.
void createShadowMapping() {
    static bool created = false;
    if (created) {
        return;
    }
    created = true;
    ASSERT_EQ(chdir(SHADOW_SOURCE_DIR "/src"), 0);
    glGenTextures(1, &shadowTexture);
    static ShadowMapping shadowMapping(&shadowTexture, textureMatrix);
}

class ShadowMappingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        createShadowMapping();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    void TearDown() override {
        ShadowMapping::disable();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
};

GLint currentProgram() {
    GLint program = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    return program;
}

std::array<float, 16> matrixOf(CGparameter param) {
    std::array<float, 16> m{};
    cgGLGetMatrixParameterfc(param, m.data());
    return m;
}

void expectMatrixNear(const std::array<float, 16>& actual, const float* expected) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(actual[i], expected[i], 1e-5f) << "element " << i;
    }
}

// The parameter holds three values, whatever the fourth element of the caller's light was.
void expectLightSent(float x, float y, float z) {
    float values[4] = {};
    EXPECT_EQ(cgGetParameterValuefr(ShadowMapping::lightPositionParam, 4, values), 3);
    EXPECT_EQ(values[0], x);
    EXPECT_EQ(values[1], y);
    EXPECT_EQ(values[2], z);
}

}  // namespace

TEST_F(ShadowMappingTest, RealSourcesCompileAndExposeTheFiveParameters) {
    EXPECT_EQ(cgGetError(), CG_NO_ERROR);
    EXPECT_NE(*ShadowMapping::vertexProfile, *ShadowMapping::fragmentProfile);
    EXPECT_EQ(cgGetProgramProfile(*ShadowMapping::vertexProgram), *ShadowMapping::vertexProfile);
    EXPECT_EQ(cgGetProgramProfile(*ShadowMapping::fragmentProgram),
              *ShadowMapping::fragmentProfile);

    const struct {
        CGparameter param;
        const char* name;
        CGtype type;
    } expected[] = {
        {ShadowMapping::modelViewProjParam, "modelViewProj", CG_FLOAT4x4},
        {ShadowMapping::textureMatrixParam, "textureMatrix", CG_FLOAT4x4},
        {ShadowMapping::lightPositionParam, "lightPosition", CG_FLOAT3},
        {ShadowMapping::diffuseColorParam, "diffuseColor", CG_FLOAT4},
        {ShadowMapping::shadowMapParam, "shadowMap", CG_SAMPLER2D},
    };
    for (const auto& e : expected) {
        ASSERT_NE(e.param, nullptr) << e.name;
        EXPECT_STREQ(cgGetParameterName(e.param), e.name);
        EXPECT_EQ(cgGetParameterType(e.param), e.type) << e.name;
    }
    EXPECT_EQ(cgGetParameterProgram(ShadowMapping::shadowMapParam),
              *ShadowMapping::fragmentProgram);
    // Ready, not enabled: the fixed-function pipeline still draws, untextured (DevIL's GL
    // set-up switches texturing on).
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(cgrt::isProfileEnabled(*ShadowMapping::vertexProfile));
    EXPECT_FALSE(cgrt::isProfileEnabled(*ShadowMapping::fragmentProfile));
    EXPECT_EQ(currentProgram(), 0);
}

TEST_F(ShadowMappingTest, SetParametersSendsWhatStandsAtTheCall) {
    GLuint textures[2];
    glGenTextures(2, textures);
    glMatrixMode(GL_PROJECTION);
    glFrustum(-1.0, 1.0, -0.75, 0.75, 1.0, 20.0);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(1.0f, -2.0f, -6.0f);
    glRotatef(30.0f, 0.0f, 1.0f, 0.0f);
    // The expected product, formed by GL itself.
    float modelview[16];
    float expectedMvp[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glMultMatrixf(modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, expectedMvp);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    float sentMatrix[16];
    for (int i = 0; i < 16; ++i) {
        textureMatrix[i] = sentMatrix[i] = 0.5f * static_cast<float>(i) - 3.0f;
    }
    shadowTexture = textures[0];

    const float light[4] = {1.5f, 10.0f, -2.5f, 1.0f};
    ShadowMapping::enable();
    ShadowMapping::setParameters(light, 0.1f, 0.2f, 0.3f, 0.4f);

    // Everything the call read changes afterwards; nothing that was sent may follow.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    for (float& x : textureMatrix) {
        x = 0.0f;
    }
    shadowTexture = textures[1];

    expectLightSent(1.5f, 10.0f, -2.5f);
    float values[4] = {};
    cgGLGetParameter4f(ShadowMapping::diffuseColorParam, values);
    EXPECT_EQ(values[0], 0.1f);
    EXPECT_EQ(values[1], 0.2f);
    EXPECT_EQ(values[2], 0.3f);
    EXPECT_EQ(values[3], 0.4f);
    expectMatrixNear(matrixOf(ShadowMapping::modelViewProjParam), expectedMvp);
    expectMatrixNear(matrixOf(ShadowMapping::textureMatrixParam), sentMatrix);
    EXPECT_EQ(cgGLGetTextureParameter(ShadowMapping::shadowMapParam), textures[0]);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), textures[0]);

    // The next call takes the new state; the light's fourth element still plays no part.
    const float direction[4] = {1.5f, 10.0f, -2.5f, 0.0f};
    ShadowMapping::setParameters(direction, 0.1f, 0.2f, 0.3f, 0.4f);
    expectLightSent(1.5f, 10.0f, -2.5f);
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    expectMatrixNear(matrixOf(ShadowMapping::modelViewProjParam), identity);
    expectMatrixNear(matrixOf(ShadowMapping::textureMatrixParam), textureMatrix);
    EXPECT_EQ(cgGLGetTextureParameter(ShadowMapping::shadowMapParam), textures[1]);
    EXPECT_EQ(cgGetError(), CG_NO_ERROR);
}

TEST_F(ShadowMappingTest, SamplerStaysOffAfterDisableUntilTheNextSetParameters) {
    const float light[4] = {0.0f, 10.0f, -1.0f, 1.0f};
    ShadowMapping::enable();
    EXPECT_NE(currentProgram(), 0);
    ShadowMapping::setParameters(light, 1.0f, 1.0f, 1.0f, 1.0f);
    EXPECT_TRUE(cgrt::isTextureParameterEnabled(ShadowMapping::shadowMapParam));

    ShadowMapping::disable();
    EXPECT_FALSE(cgrt::isTextureParameterEnabled(ShadowMapping::shadowMapParam));
    EXPECT_FALSE(cgrt::isProfileEnabled(*ShadowMapping::vertexProfile));
    EXPECT_FALSE(cgrt::isProfileEnabled(*ShadowMapping::fragmentProfile));
    EXPECT_EQ(currentProgram(), 0);

    ShadowMapping::enable();
    EXPECT_TRUE(cgrt::isProfileEnabled(*ShadowMapping::vertexProfile));
    EXPECT_TRUE(cgrt::isProfileEnabled(*ShadowMapping::fragmentProfile));
    EXPECT_NE(currentProgram(), 0);
    EXPECT_FALSE(cgrt::isTextureParameterEnabled(ShadowMapping::shadowMapParam));

    ShadowMapping::setParameters(light, 1.0f, 1.0f, 1.0f, 1.0f);
    EXPECT_TRUE(cgrt::isTextureParameterEnabled(ShadowMapping::shadowMapParam));
}

TEST_F(ShadowMappingTest, CallbackReturnsSilentlyWithoutAPendingError) {
    ASSERT_EQ(cgGetError(), CG_NO_ERROR);
    ::testing::internal::CaptureStdout();
    ShadowMapping::onCgError();
    std::fflush(stdout);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

// A square over the whole viewport, facing a light straight in front of it, looks up a depth
// texture whose left half lies nearer the light than the square (an occluder) and whose right
// half lies beyond it (nothing in the way).
TEST_F(ShadowMappingTest, SquareIsLitWhereTheLightReachesAndAmbientOnlyWhereHidden) {
    const int size = 64;
    std::vector<float> depths(size * size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            depths[y * size + x] = x < size / 2 ? 0.25f : 1.0f;
        }
    }
    glGenTextures(1, &shadowTexture);
    glBindTexture(GL_TEXTURE_2D, shadowTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, size, size, 0, GL_DEPTH_COMPONENT, GL_FLOAT,
                 depths.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    // Clip space -1..1 to texture space 0..1: the square (z = 0) sits at depth 0.5.
    const float bias[16] = {0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 0.5f, 0, 0.5f, 0.5f, 0.5f, 1};
    std::copy(bias, bias + 16, textureMatrix);

    const float light[4] = {0.0f, 0.0f, 100.0f, 1.0f};
    auto draw = [&](float alpha) {
        glViewport(0, 0, 800, 600);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_TEXTURE_2D);
        ShadowMapping::enable();
        ShadowMapping::setParameters(light, 0.8f, 0.6f, 0.4f, alpha);
        glBegin(GL_QUADS);
        glNormal3f(0.0f, 0.0f, 1.0f);
        glVertex3f(-1.0f, -1.0f, 0.0f);
        glVertex3f(1.0f, -1.0f, 0.0f);
        glVertex3f(1.0f, 1.0f, 0.0f);
        glVertex3f(-1.0f, 1.0f, 0.0f);
        glEnd();
        ShadowMapping::disable();
        glDisable(GL_TEXTURE_2D);
        std::array<unsigned char, 8> pixels{};
        glReadPixels(200, 300, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        glReadPixels(600, 300, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data() + 4);
        return pixels;
    };

    const auto opaque = draw(1.0f);
    const unsigned char* hidden = opaque.data();
    const unsigned char* lit = opaque.data() + 4;
    // The light falls square on: the lit half shows the full colour.
    EXPECT_NEAR(lit[0], 204, 3);
    EXPECT_NEAR(lit[1], 153, 3);
    EXPECT_NEAR(lit[2], 102, 3);
    // The hidden half keeps some of the same colour, clearly darker.
    EXPECT_GT(hidden[0], 20);
    EXPECT_LT(hidden[0], lit[0] / 2);
    EXPECT_NEAR(hidden[0] * 0.6 / 0.8, hidden[1], 2);
    EXPECT_NEAR(hidden[0] * 0.4 / 0.8, hidden[2], 2);

    // Callers pass alpha 0 or 1; the colour must not care.
    const auto clear = draw(0.0f);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(clear[i], opaque[i]) << "hidden, channel " << i;
        EXPECT_EQ(clear[4 + i], opaque[4 + i]) << "lit, channel " << i;
    }
}
