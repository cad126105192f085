// A 4x4 float matrix in OpenGL's column-major order (row r, column c at index 4*c + r), so that
// its address can go straight to glGetFloatv, glMultMatrixf and the shader parameters.
#pragma once

struct Matrix {
    float m[16];

    // this = source, element by element.
    void copyMatrix(const Matrix& source);
    // output = this * right: `right` is applied first. `output` must not be one of the factors.
    void multiplyMatrix(const Matrix& right, Matrix& output) const;
    // output = this * vector, all four rows, no division by w. `output` must not be `vector`.
    void transformVector(const float* vector, float* output) const;

    float& operator[](int i) { return m[i]; }
    float operator[](int i) const { return m[i]; }
    float* data() { return m; }
    const float* data() const { return m; }
};

// Nothing but the 16 floats: the address of a Matrix is the address of its first element.
static_assert(sizeof(Matrix) == 16 * sizeof(float), "Matrix must be exactly 16 floats");

Matrix identityMatrix();
