#include <epoxy/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <vector>

#include "LightView.h"
#include "SceneFixture.h"
#include "ShadowMapping/ShadowMap.h"

namespace {

const char* const FRAGMENT_SOURCE = "../src/ShadowMapping/resource/cg/fp_ShadowMapping.cg";

// The texel that the light sees a world point in, from the light's own view and projection.
int texelOf(double x, double y, double z) {
    GLdouble view[16], projection[16];
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    setLightView();
    setLightProjection();
    glGetDoublev(GL_MODELVIEW_MATRIX, view);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glPopMatrix();
    const GLint viewport[4] = {0, 0, SHADOW_MAP_SIZE, SHADOW_MAP_SIZE};
    GLdouble s, t, depth;
    gluProject(x, y, z, view, projection, viewport, &s, &t, &depth);
    return static_cast<int>(t) * SHADOW_MAP_SIZE + static_cast<int>(s);
}

}  // namespace

TEST_F(SceneTest, TheDepthPictureShowsTheRedCubeWhereTheLightSeesItAndNothingAtTheEdges) {
    drawAndReadFrame(1);
    const std::vector<float> depths = readShadowMap();
    const Picture picture = depthPicture(depths);
    ASSERT_EQ(picture.width, SHADOW_MAP_SIZE);
    ASSERT_EQ(picture.height, SHADOW_MAP_SIZE);
    ASSERT_EQ(picture.bytes.size(), depths.size());

    // The red cube, edge 1, stands on the ground at the origin; the ground is not drawn into the
    // map, so open ground a unit beyond the cube's sides holds the far depth.
    for (const double height : {0.0, 1.0}) {
        const int under = texelOf(0.0, height, 0.0);
        for (const auto& side : {std::make_pair(1.5, 0.0), std::make_pair(-1.5, 0.0),
                                 std::make_pair(0.0, 1.5), std::make_pair(0.0, -1.5)}) {
            const int around = texelOf(side.first, 0.0, side.second);
            EXPECT_LT(depths[under], depths[around]) << "cube at height " << height;
            EXPECT_EQ(depths[around], 1.0f) << side.first << "," << side.second;
            EXPECT_GT(int{picture.bytes[under]}, int{picture.bytes[around]}) << "nearer is lighter";
        }
    }
    // The light's frustum reaches past the ground's border: the map's edges stay empty.
    int drawnEdgeTexels = 0;
    int litEdgeBytes = 0;
    for (int i = 0; i < SHADOW_MAP_SIZE; ++i) {
        for (const int texel : {i, (SHADOW_MAP_SIZE - 1) * SHADOW_MAP_SIZE + i, i * SHADOW_MAP_SIZE,
                                i * SHADOW_MAP_SIZE + SHADOW_MAP_SIZE - 1}) {
            drawnEdgeTexels += depths[texel] != 1.0f ? 1 : 0;
            litEdgeBytes += picture.bytes[texel] != 0 ? 1 : 0;
        }
    }
    EXPECT_EQ(drawnEdgeTexels, 0);
    EXPECT_EQ(litEdgeBytes, 0);
}

TEST_F(SceneTest, TheTintedPictureComparesLikeTheShaderWithItsBias) {
    float bias = 0.0f;
    ASSERT_TRUE(readShaderDepthBias(FRAGMENT_SOURCE, &bias));
    EXPECT_GT(bias, 0.0f);
    EXPECT_FALSE(readShaderDepthBias("no-such-shader.cg", &bias));

    const FrameCapture frame = drawAndReadFrame(1);
    const std::vector<float> depths = readShadowMap();
    float coord[3];
    // Ground just past the red cube, away from the light, is in its shadow; open ground is not.
    const float behindTheCube[3] = {0.0f, 0.0f, 0.6f};
    shadowMapCoord(behindTheCube, coord);
    EXPECT_TRUE(inShadow(coord, depths, bias));
    const float openGround[3] = {-3.0f, 0.0f, -4.0f};
    shadowMapCoord(openGround, coord);
    ASSERT_TRUE(insideMap(coord));
    EXPECT_FALSE(inShadow(coord, depths, bias));

    // A surface behind the stored depth by less than the bias is lit, by more is in shadow.
    EXPECT_FALSE(inShadow(coord, std::vector<float>(depths.size(), coord[2] - bias / 2), bias));
    EXPECT_TRUE(inShadow(coord, std::vector<float>(depths.size(), coord[2] - bias * 2), bias));
    // Outside the map the shader reads the border's depth 0.
    const float outside[3] = {1.2f, 0.5f, coord[2]};
    EXPECT_TRUE(inShadow(outside, depths, bias));

    // The frame's pixels, read back and unprojected, agree: some are tinted, the sky is not.
    const Picture tinted = tintShadowed(frame, depths, bias);
    ASSERT_EQ(tinted.bytes.size(), frame.colour.bytes.size());
    int changed = 0;
    int changedSky = 0;
    for (size_t pixel = 0; pixel < frame.depth.size(); ++pixel) {
        const bool differs = tinted.bytes[pixel * 3] != frame.colour.bytes[pixel * 3] ||
                             tinted.bytes[pixel * 3 + 1] != frame.colour.bytes[pixel * 3 + 1];
        changed += differs ? 1 : 0;
        changedSky += differs && frame.depth[pixel] >= 1.0f ? 1 : 0;
    }
    EXPECT_GT(changed, 1000) << "the sphere's shadow alone covers more";
    EXPECT_EQ(changedSky, 0);
}
