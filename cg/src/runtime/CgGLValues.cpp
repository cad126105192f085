// The GL binding's value calls: the cgGL forms of the value calls, and GL's state matrices with
// their transforms.
#include "CgState.h"

#include <Cg/cgGL.h>

#include <array>
#include <cmath>
#include <utility>

namespace {

// Column-major 4x4 matrices, for GL's state matrices.
using Matrix4 = std::array<float, 16>;

Matrix4 product(const Matrix4& a, const Matrix4& b) {
    Matrix4 out{};
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            for (int k = 0; k < 4; ++k) {
                out[column * 4 + row] += a[k * 4 + row] * b[column * 4 + k];
            }
        }
    }
    return out;
}

Matrix4 transposed(const Matrix4& m) {
    Matrix4 out{};
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            out[row * 4 + column] = m[column * 4 + row];
        }
    }
    return out;
}

// By Gauss-Jordan elimination with partial pivoting, in double; a singular matrix gives zeros, as
// NVIDIA's runtime gives.
Matrix4 inverse(const Matrix4& m) {
    double a[4][8] = {};
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            a[row][column] = m[column * 4 + row];
        }
        a[row][4 + row] = 1.0;
    }
    for (int column = 0; column < 4; ++column) {
        int pivot = column;
        for (int row = column + 1; row < 4; ++row) {
            if (std::fabs(a[row][column]) > std::fabs(a[pivot][column])) {
                pivot = row;
            }
        }
        if (a[pivot][column] == 0.0) {
            return Matrix4{};
        }
        std::swap(a[pivot], a[column]);
        const double scale = a[column][column];
        for (double& v : a[column]) {
            v /= scale;
        }
        for (int row = 0; row < 4; ++row) {
            const double factor = a[row][column];
            if (row != column && factor != 0.0) {
                for (int k = 0; k < 8; ++k) {
                    a[row][k] -= factor * a[column][k];
                }
            }
        }
    }
    Matrix4 out{};
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            out[column * 4 + row] = static_cast<float>(a[row][4 + column]);
        }
    }
    return out;
}

Matrix4 glMatrix(GLenum which) {
    Matrix4 m{};
    glGetFloatv(which, m.data());
    return m;
}

// GL's matrix `which` as it stands; false for a value that names none.
bool stateMatrix(CGGLenum which, Matrix4& m) {
    switch (which) {
        case CG_GL_MODELVIEW_MATRIX:
            m = glMatrix(GL_MODELVIEW_MATRIX);
            return true;
        case CG_GL_PROJECTION_MATRIX:
            m = glMatrix(GL_PROJECTION_MATRIX);
            return true;
        case CG_GL_TEXTURE_MATRIX:
            m = glMatrix(GL_TEXTURE_MATRIX);
            return true;
        case CG_GL_MODELVIEW_PROJECTION_MATRIX:
            m = product(glMatrix(GL_PROJECTION_MATRIX), glMatrix(GL_MODELVIEW_MATRIX));
            return true;
        default:
            return false;
    }
}

bool transform(CGGLenum how, Matrix4& m) {
    switch (how) {
        case CG_GL_MATRIX_IDENTITY:
            return true;
        case CG_GL_MATRIX_TRANSPOSE:
            m = transposed(m);
            return true;
        case CG_GL_MATRIX_INVERSE:
            m = inverse(m);
            return true;
        case CG_GL_MATRIX_INVERSE_TRANSPOSE:
            m = transposed(inverse(m));
            return true;
        default:
            return false;
    }
}

}  // namespace

extern "C" {

void cgGLSetParameter1f(CGparameter param, float x) {
    cgSetParameter1f(param, x);
}
void cgGLSetParameter2f(CGparameter param, float x, float y) {
    cgSetParameter2f(param, x, y);
}
void cgGLSetParameter3f(CGparameter param, float x, float y, float z) {
    cgSetParameter3f(param, x, y, z);
}
void cgGLSetParameter4f(CGparameter param, float x, float y, float z, float w) {
    cgSetParameter4f(param, x, y, z, w);
}
void cgGLSetParameter1d(CGparameter param, double x) {
    cgSetParameter1d(param, x);
}
void cgGLSetParameter2d(CGparameter param, double x, double y) {
    cgSetParameter2d(param, x, y);
}
void cgGLSetParameter3d(CGparameter param, double x, double y, double z) {
    cgSetParameter3d(param, x, y, z);
}
void cgGLSetParameter4d(CGparameter param, double x, double y, double z, double w) {
    cgSetParameter4d(param, x, y, z, w);
}
void cgGLSetParameter1fv(CGparameter param, const float* v) {
    cgSetParameter1fv(param, v);
}
void cgGLSetParameter2fv(CGparameter param, const float* v) {
    cgSetParameter2fv(param, v);
}
void cgGLSetParameter3fv(CGparameter param, const float* v) {
    cgSetParameter3fv(param, v);
}
void cgGLSetParameter4fv(CGparameter param, const float* v) {
    cgSetParameter4fv(param, v);
}
void cgGLSetParameter1dv(CGparameter param, const double* v) {
    cgSetParameter1dv(param, v);
}
void cgGLSetParameter2dv(CGparameter param, const double* v) {
    cgSetParameter2dv(param, v);
}
void cgGLSetParameter3dv(CGparameter param, const double* v) {
    cgSetParameter3dv(param, v);
}
void cgGLSetParameter4dv(CGparameter param, const double* v) {
    cgSetParameter4dv(param, v);
}
void cgGLGetParameter1f(CGparameter param, float* v) {
    cgrt::getWholeValue(param, 1, v);
}
void cgGLGetParameter2f(CGparameter param, float* v) {
    cgrt::getWholeValue(param, 2, v);
}
void cgGLGetParameter3f(CGparameter param, float* v) {
    cgrt::getWholeValue(param, 3, v);
}
void cgGLGetParameter4f(CGparameter param, float* v) {
    cgrt::getWholeValue(param, 4, v);
}
void cgGLGetParameter1d(CGparameter param, double* v) {
    cgrt::getWholeValue(param, 1, v);
}
void cgGLGetParameter2d(CGparameter param, double* v) {
    cgrt::getWholeValue(param, 2, v);
}
void cgGLGetParameter3d(CGparameter param, double* v) {
    cgrt::getWholeValue(param, 3, v);
}
void cgGLGetParameter4d(CGparameter param, double* v) {
    cgrt::getWholeValue(param, 4, v);
}
void cgGLSetMatrixParameterfr(CGparameter param, const float* matrix) {
    cgSetMatrixParameterfr(param, matrix);
}
void cgGLSetMatrixParameterfc(CGparameter param, const float* matrix) {
    cgSetMatrixParameterfc(param, matrix);
}
void cgGLSetMatrixParameterdr(CGparameter param, const double* matrix) {
    cgSetMatrixParameterdr(param, matrix);
}
void cgGLSetMatrixParameterdc(CGparameter param, const double* matrix) {
    cgSetMatrixParameterdc(param, matrix);
}
void cgGLGetMatrixParameterfr(CGparameter param, float* matrix) {
    cgGetMatrixParameterfr(param, matrix);
}
void cgGLGetMatrixParameterfc(CGparameter param, float* matrix) {
    cgGetMatrixParameterfc(param, matrix);
}
void cgGLGetMatrixParameterdr(CGparameter param, double* matrix) {
    cgGetMatrixParameterdr(param, matrix);
}
void cgGLGetMatrixParameterdc(CGparameter param, double* matrix) {
    cgGetMatrixParameterdc(param, matrix);
}
// A matrix smaller than 4x4 takes the top left of the transformed state matrix.
void cgGLSetStateMatrixParameter(CGparameter param, CGGLenum which, CGGLenum how) {
    CgParameterState* p = cgrt::matrixParameter(param);
    Matrix4 m{};
    if (p == nullptr) {
        return;
    }
    if (!stateMatrix(which, m) || !transform(how, m)) {
        cgrt::raise(CG_INVALID_ENUMERANT_ERROR);
        return;
    }
    const int columns = p->components / p->rows;
    for (int column = 0; column < columns; ++column) {
        for (int row = 0; row < p->rows; ++row) {
            p->values[column * p->rows + row] = m[column * 4 + row];
        }
    }
    cgrt::valuesChanged(*p);
}

}  // extern "C"
