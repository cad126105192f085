#include <gtest/gtest.h>

#include "math/Matrix.h"

namespace {

Matrix translation(float x, float y, float z) {
    Matrix t = identityMatrix();
    t[12] = x;
    t[13] = y;
    t[14] = z;
    return t;
}

Matrix uniformScale(float s) {
    Matrix scale = identityMatrix();
    scale[0] = scale[5] = scale[10] = s;
    return scale;
}

// A matrix with no zero or repeated elements, so that any index mix-up shows.
Matrix distinctValues() {
    Matrix a{};
    for (int i = 0; i < 16; ++i) {
        a[i] = static_cast<float>(i * i) * 0.25f + static_cast<float>(i) + 1.0f;
    }
    return a;
}

}  // namespace

TEST(Matrix, ProductAppliesTheRightFactorFirst) {
    const Matrix move = translation(1, 2, 3);
    const Matrix scale = uniformScale(2);
    Matrix product{};

    move.multiplyMatrix(scale, product);  // scale first: the translation is not scaled
    EXPECT_EQ(product[0], 2);
    EXPECT_EQ(product[5], 2);
    EXPECT_EQ(product[10], 2);
    EXPECT_EQ(product[12], 1);
    EXPECT_EQ(product[13], 2);
    EXPECT_EQ(product[14], 3);
    EXPECT_EQ(product[15], 1);

    scale.multiplyMatrix(move, product);  // translation first, then scaled with the rest
    EXPECT_EQ(product[12], 2);
    EXPECT_EQ(product[13], 4);
    EXPECT_EQ(product[14], 6);
}

TEST(Matrix, ProductMatchesRowTimesColumn) {
    const Matrix a = distinctValues();
    Matrix b{};
    for (int i = 0; i < 16; ++i) {
        b[i] = 17.0f - static_cast<float>(i) * 0.5f;
    }
    Matrix product{};
    a.multiplyMatrix(b, product);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            double expected = 0;
            for (int k = 0; k < 4; ++k) {
                expected += static_cast<double>(a[4 * k + r]) * b[4 * c + k];
            }
            EXPECT_NEAR(product[4 * c + r], expected, 1e-4 * std::abs(expected))
                << "row " << r << " column " << c;
        }
    }
}

TEST(Matrix, IdentityOnEitherSideGivesTheOtherFactor) {
    const Matrix a = distinctValues();
    const Matrix identity = identityMatrix();
    Matrix product{};
    identity.multiplyMatrix(a, product);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(product[i], a[i]) << i;
    }
    a.multiplyMatrix(identity, product);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(product[i], a[i]) << i;
    }
}

TEST(Matrix, PointsTakeTheTranslationAndDirectionsDoNot) {
    const Matrix move = translation(1, 2, 3);
    const float point[4] = {0, 10, -1, 1};
    const float direction[4] = {0, 10, -1, 0};
    float out[4];

    move.transformVector(point, out);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[1], 12);
    EXPECT_EQ(out[2], 2);
    EXPECT_EQ(out[3], 1);

    move.transformVector(direction, out);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 10);
    EXPECT_EQ(out[2], -1);
    EXPECT_EQ(out[3], 0);
}

TEST(Matrix, FourthRowIsComputedAndNothingIsDividedByIt) {
    Matrix projective = identityMatrix();
    projective[3] = projective[7] = projective[15] = 0;
    projective[11] = 1;  // fourth row (0, 0, 1, 0): w takes z
    const float v[4] = {2, 3, 5, 1};
    float out[4];
    projective.transformVector(v, out);
    EXPECT_EQ(out[0], 2);
    EXPECT_EQ(out[1], 3);
    EXPECT_EQ(out[2], 5);
    EXPECT_EQ(out[3], 5);
}

TEST(Matrix, CopyingTakesAllSixteenValuesEvenOntoItself) {
    const Matrix a = distinctValues();
    Matrix b = identityMatrix();
    b.copyMatrix(a);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(b[i], a[i]) << i;
    }
    b.copyMatrix(b);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(b[i], a[i]) << i;
    }
}
