// Parameter values: set and read as floats, doubles or ints, one by one or as a whole, matrices row
// by row or column by column, and GL's state matrices with their transforms. Values are kept as
// floats, matrices column by column; an int parameter keeps what it is given turned to an int.
#include "CgState.h"

#include <Cg/cgGL.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <utility>

namespace {

enum class Order { Rows, Columns };

// What an x86 conversion gives for a value that no int holds, NaN included: NVIDIA's runtime gives
// the same, and C++ leaves it undefined.
int toInt(double v) {
    if (!(v > static_cast<double>(INT_MIN) - 1.0 && v < static_cast<double>(INT_MAX) + 1.0)) {
        return INT_MIN;
    }
    return static_cast<int>(v);
}

// The largest float below 2^31: an int parameter's value must stay one that GL's int takes.
constexpr float LARGEST_INT_FLOAT = 2147483520.0f;

float toStored(const CgParameterState& p, double v) {
    if (p.integer) {
        return std::min(static_cast<float>(toInt(v)), LARGEST_INT_FLOAT);
    }
    return static_cast<float>(v);
}

template <typename T>
T fromStored(float v) {
    return static_cast<T>(v);
}

template <>
int fromStored<int>(float v) {
    return toInt(v);
}

int sizeOf(const CgParameterState& p) {
    return p.components;
}

// Where the i-th value in `order` is kept.
int slotOf(const CgParameterState& p, int i, Order order) {
    if (p.kind != cgrt::UniformKind::Matrix || order == Order::Columns) {
        return i;
    }
    const int columns = p.components / p.rows;
    return (i % columns) * p.rows + i / columns;
}

// The parameter, when it holds numbers; otherwise null, after raising what NVIDIA's runtime raises.
CgParameterState* numeric(CGparameter param) {
    if (cgrt::valid(param) == nullptr) {
        return nullptr;
    }
    if (param->kind != cgrt::UniformKind::Vector && param->kind != cgrt::UniformKind::Matrix) {
        cgrt::raise(CG_NON_NUMERIC_PARAMETER_ERROR);
        return nullptr;
    }
    return param;
}

CgParameterState* matrix(CGparameter param) {
    if (cgrt::valid(param) == nullptr) {
        return nullptr;
    }
    if (param->kind != cgrt::UniformKind::Matrix) {
        cgrt::raise(CG_NOT_MATRIX_PARAM_ERROR);
        return nullptr;
    }
    return param;
}

// Whether `values` can be read or written `count` at a time for the parameter.
bool enough(const CgParameterState& p, int count, const void* values) {
    if (values == nullptr) {
        cgrt::raise(CG_INVALID_POINTER_ERROR);
        return false;
    }
    if (count < sizeOf(p)) {
        cgrt::raise(CG_NOT_ENOUGH_DATA_ERROR);
        return false;
    }
    return true;
}

template <typename T>
void store(CgParameterState& p, int count, const T* values, Order order) {
    for (int i = 0; i < count; ++i) {
        p.values[slotOf(p, i, order)] = toStored(p, static_cast<double>(values[i]));
    }
    cgrt::valuesChanged(p);
}

template <typename T>
void load(const CgParameterState& p, int count, T* values, Order order) {
    for (int i = 0; i < count; ++i) {
        values[i] = fromStored<T>(p.values[slotOf(p, i, order)]);
    }
}

// cgSetParameter3f and its kin: the first values of a vector, or of a matrix row by row; the rest
// stay as they were, and values past the parameter's size are dropped.
template <typename T>
void setFirst(CGparameter param, int count, const T* values) {
    CgParameterState* p = numeric(param);
    if (p == nullptr) {
        return;
    }
    if (values == nullptr) {
        cgrt::raise(CG_INVALID_POINTER_ERROR);
        return;
    }
    store(*p, std::min(count, sizeOf(*p)), values, Order::Rows);
}

template <typename T>
void setFirst(CGparameter param, T x, T y, T z, T w, int count) {
    const T values[] = {x, y, z, w};
    setFirst(param, count, values);
}

// cgGLGetParameter4f and its kin: the whole value, which must fit in `count`.
template <typename T>
void getAll(CGparameter param, int count, T* values) {
    CgParameterState* p = numeric(param);
    if (p != nullptr && enough(*p, count, values)) {
        load(*p, sizeOf(*p), values, Order::Rows);
    }
}

template <typename T>
void setValue(CGparameter param, int count, const T* values, Order order) {
    CgParameterState* p = numeric(param);
    if (p != nullptr && enough(*p, count, values)) {
        store(*p, sizeOf(*p), values, order);
    }
}

template <typename T>
int getValue(CGparameter param, int count, T* values, Order order) {
    CgParameterState* p = numeric(param);
    if (p == nullptr || !enough(*p, count, values)) {
        return 0;
    }
    load(*p, sizeOf(*p), values, order);
    return sizeOf(*p);
}

template <typename T>
void setMatrix(CGparameter param, const T* values, Order order) {
    CgParameterState* p = matrix(param);
    if (p != nullptr && enough(*p, sizeOf(*p), values)) {
        store(*p, sizeOf(*p), values, order);
    }
}

template <typename T>
void getMatrix(CGparameter param, T* values, Order order) {
    CgParameterState* p = matrix(param);
    if (p != nullptr && enough(*p, sizeOf(*p), values)) {
        load(*p, sizeOf(*p), values, order);
    }
}

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

void cgSetParameter1f(CGparameter param, float x) {
    setFirst(param, x, 0.0f, 0.0f, 0.0f, 1);
}
void cgSetParameter2f(CGparameter param, float x, float y) {
    setFirst(param, x, y, 0.0f, 0.0f, 2);
}
void cgSetParameter3f(CGparameter param, float x, float y, float z) {
    setFirst(param, x, y, z, 0.0f, 3);
}
void cgSetParameter4f(CGparameter param, float x, float y, float z, float w) {
    setFirst(param, x, y, z, w, 4);
}
void cgSetParameter1d(CGparameter param, double x) {
    setFirst(param, x, 0.0, 0.0, 0.0, 1);
}
void cgSetParameter2d(CGparameter param, double x, double y) {
    setFirst(param, x, y, 0.0, 0.0, 2);
}
void cgSetParameter3d(CGparameter param, double x, double y, double z) {
    setFirst(param, x, y, z, 0.0, 3);
}
void cgSetParameter4d(CGparameter param, double x, double y, double z, double w) {
    setFirst(param, x, y, z, w, 4);
}
void cgSetParameter1i(CGparameter param, int x) {
    setFirst(param, x, 0, 0, 0, 1);
}
void cgSetParameter2i(CGparameter param, int x, int y) {
    setFirst(param, x, y, 0, 0, 2);
}
void cgSetParameter3i(CGparameter param, int x, int y, int z) {
    setFirst(param, x, y, z, 0, 3);
}
void cgSetParameter4i(CGparameter param, int x, int y, int z, int w) {
    setFirst(param, x, y, z, w, 4);
}
void cgSetParameter1fv(CGparameter param, const float* v) {
    setFirst(param, 1, v);
}
void cgSetParameter2fv(CGparameter param, const float* v) {
    setFirst(param, 2, v);
}
void cgSetParameter3fv(CGparameter param, const float* v) {
    setFirst(param, 3, v);
}
void cgSetParameter4fv(CGparameter param, const float* v) {
    setFirst(param, 4, v);
}
void cgSetParameter1dv(CGparameter param, const double* v) {
    setFirst(param, 1, v);
}
void cgSetParameter2dv(CGparameter param, const double* v) {
    setFirst(param, 2, v);
}
void cgSetParameter3dv(CGparameter param, const double* v) {
    setFirst(param, 3, v);
}
void cgSetParameter4dv(CGparameter param, const double* v) {
    setFirst(param, 4, v);
}
void cgSetParameter1iv(CGparameter param, const int* v) {
    setFirst(param, 1, v);
}
void cgSetParameter2iv(CGparameter param, const int* v) {
    setFirst(param, 2, v);
}
void cgSetParameter3iv(CGparameter param, const int* v) {
    setFirst(param, 3, v);
}
void cgSetParameter4iv(CGparameter param, const int* v) {
    setFirst(param, 4, v);
}

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
    getAll(param, 1, v);
}
void cgGLGetParameter2f(CGparameter param, float* v) {
    getAll(param, 2, v);
}
void cgGLGetParameter3f(CGparameter param, float* v) {
    getAll(param, 3, v);
}
void cgGLGetParameter4f(CGparameter param, float* v) {
    getAll(param, 4, v);
}
void cgGLGetParameter1d(CGparameter param, double* v) {
    getAll(param, 1, v);
}
void cgGLGetParameter2d(CGparameter param, double* v) {
    getAll(param, 2, v);
}
void cgGLGetParameter3d(CGparameter param, double* v) {
    getAll(param, 3, v);
}
void cgGLGetParameter4d(CGparameter param, double* v) {
    getAll(param, 4, v);
}

void cgSetParameterValuefr(CGparameter param, int count, const float* values) {
    setValue(param, count, values, Order::Rows);
}
void cgSetParameterValuefc(CGparameter param, int count, const float* values) {
    setValue(param, count, values, Order::Columns);
}
void cgSetParameterValuedr(CGparameter param, int count, const double* values) {
    setValue(param, count, values, Order::Rows);
}
void cgSetParameterValuedc(CGparameter param, int count, const double* values) {
    setValue(param, count, values, Order::Columns);
}
void cgSetParameterValueir(CGparameter param, int count, const int* values) {
    setValue(param, count, values, Order::Rows);
}
void cgSetParameterValueic(CGparameter param, int count, const int* values) {
    setValue(param, count, values, Order::Columns);
}

int cgGetParameterValuefr(CGparameter param, int count, float* values) {
    return getValue(param, count, values, Order::Rows);
}
int cgGetParameterValuefc(CGparameter param, int count, float* values) {
    return getValue(param, count, values, Order::Columns);
}
int cgGetParameterValuedr(CGparameter param, int count, double* values) {
    return getValue(param, count, values, Order::Rows);
}
int cgGetParameterValuedc(CGparameter param, int count, double* values) {
    return getValue(param, count, values, Order::Columns);
}
int cgGetParameterValueir(CGparameter param, int count, int* values) {
    return getValue(param, count, values, Order::Rows);
}
int cgGetParameterValueic(CGparameter param, int count, int* values) {
    return getValue(param, count, values, Order::Columns);
}

void cgSetMatrixParameterfr(CGparameter param, const float* matrix) {
    setMatrix(param, matrix, Order::Rows);
}
void cgSetMatrixParameterfc(CGparameter param, const float* matrix) {
    setMatrix(param, matrix, Order::Columns);
}
void cgSetMatrixParameterdr(CGparameter param, const double* matrix) {
    setMatrix(param, matrix, Order::Rows);
}
void cgSetMatrixParameterdc(CGparameter param, const double* matrix) {
    setMatrix(param, matrix, Order::Columns);
}
void cgSetMatrixParameterir(CGparameter param, const int* matrix) {
    setMatrix(param, matrix, Order::Rows);
}
void cgSetMatrixParameteric(CGparameter param, const int* matrix) {
    setMatrix(param, matrix, Order::Columns);
}
void cgGetMatrixParameterfr(CGparameter param, float* matrix) {
    getMatrix(param, matrix, Order::Rows);
}
void cgGetMatrixParameterfc(CGparameter param, float* matrix) {
    getMatrix(param, matrix, Order::Columns);
}
void cgGetMatrixParameterdr(CGparameter param, double* matrix) {
    getMatrix(param, matrix, Order::Rows);
}
void cgGetMatrixParameterdc(CGparameter param, double* matrix) {
    getMatrix(param, matrix, Order::Columns);
}
void cgGetMatrixParameterir(CGparameter param, int* matrix) {
    getMatrix(param, matrix, Order::Rows);
}
void cgGetMatrixParameteric(CGparameter param, int* matrix) {
    getMatrix(param, matrix, Order::Columns);
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
    CgParameterState* p = matrix(param);
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
