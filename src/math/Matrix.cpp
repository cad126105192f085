#include "math/Matrix.h"

void Matrix::copyMatrix(const Matrix& source) {
    for (int i = 0; i < 16; ++i) {
        m[i] = source.m[i];
    }
}

void Matrix::multiplyMatrix(const Matrix& right, Matrix& output) const {
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                sum += m[4 * k + r] * right.m[4 * c + k];
            }
            output.m[4 * c + r] = sum;
        }
    }
}

void Matrix::transformVector(const float* vector, float* output) const {
    for (int r = 0; r < 4; ++r) {
        float sum = 0.0f;
        for (int k = 0; k < 4; ++k) {
            sum += m[4 * k + r] * vector[k];
        }
        output[r] = sum;
    }
}

Matrix identityMatrix() {
    Matrix identity{};
    identity[0] = identity[5] = identity[10] = identity[15] = 1.0f;
    return identity;
}
