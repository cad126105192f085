// Parameter values: set and read as floats, doubles or ints, one by one or as a whole, matrices row
// by row or column by column, and GL's state matrices with their transforms. Values are kept as
// floats, matrices column by column; an int parameter keeps what it is given turned to an int.
#include "CgState.h"

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
    if (cgrt::varyingSize(*param) > 0) {
        cgrt::raise(CG_INVALID_PARAMETER_ERROR);
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
    if (cgrt::isValid(param) && cgrt::varyingSize(*param) > 0 && values != nullptr) {
        float given[4] = {};
        const int n = std::min({count, cgrt::varyingSize(*param), 4});
        std::copy(values, values + n, given);
        cgrt::setCurrentVarying(param, n, given);
        return;
    }
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

// Whether `values` has room for `size` of them, `count` being how many; raises the error if not.
bool room(int count, int size, const void* values) {
    if (values == nullptr || count < size) {
        cgrt::raise(values == nullptr ? CG_INVALID_POINTER_ERROR : CG_NOT_ENOUGH_DATA_ERROR);
        return false;
    }
    return true;
}

// An array of numbers gives its elements' values one after another.
template <typename T>
int getArrayValue(const CgParameterState& array, int count, T* values, Order order) {
    int size = 0;
    for (const CgParameterState* e = array.firstMember; e != nullptr; e = e->next) {
        if (e->kind != cgrt::UniformKind::Vector && e->kind != cgrt::UniformKind::Matrix) {
            cgrt::raise(CG_NON_NUMERIC_PARAMETER_ERROR);
            return 0;
        }
        size += sizeOf(*e);
    }
    if (!room(count, size, values)) {
        return 0;
    }
    int at = 0;
    for (const CgParameterState* e = array.firstMember; e != nullptr; e = e->next) {
        load(*e, sizeOf(*e), values + at, order);
        at += sizeOf(*e);
    }
    return size;
}

template <typename T>
int getValue(CGparameter param, int count, T* values, Order order) {
    // A varying's value is each vertex's: the program's reads as zeros, as NVIDIA's runtime gives.
    if (cgrt::isValid(param) && cgrt::varyingSize(*param) > 0) {
        const int size = cgrt::varyingSize(*param);
        if (!room(count, size, values)) {
            return 0;
        }
        std::fill(values, values + size, T{});
        return size;
    }
    if (cgrt::isValid(param) && param->type == CG_ARRAY) {
        return getArrayValue(*param, count, values, order);
    }
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

}  // namespace

int cgrt::varyingSize(const CgParameterState& param) {
    if (param.variability != CG_VARYING || param.type == CG_STRUCT || param.type == CG_ARRAY) {
        return 0;
    }
    int rows = 0, columns = 0;
    cgGetTypeSizes(param.type, &rows, &columns);
    return rows * columns;
}

void cgrt::getWholeValue(CGparameter param, int count, float* values) {
    getAll(param, count, values);
}

void cgrt::getWholeValue(CGparameter param, int count, double* values) {
    getAll(param, count, values);
}

CgParameterState* cgrt::matrixParameter(CGparameter param) {
    return matrix(param);
}

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

}  // extern "C"
