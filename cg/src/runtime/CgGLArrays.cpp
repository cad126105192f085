// The GL binding's array calls: values of array elements set and read a range at a time, laid out
// as NVIDIA's runtime lays them out. Errors as NVIDIA's Cg 3.1 gives them.
#include "CgState.h"

#include <Cg/cgGL.h>

#include <algorithm>
#include <vector>

namespace {

// The first `width` values of a vector, as cgSetParameter4fv and its kin set them.
void setFirst(CGparameter param, int width, const float* v) {
    static void (*const SET[])(CGparameter, const float*) = {cgSetParameter1fv, cgSetParameter2fv,
                                                             cgSetParameter3fv, cgSetParameter4fv};
    SET[width - 1](param, v);
}

void setFirst(CGparameter param, int width, const double* v) {
    static void (*const SET[])(CGparameter, const double*) = {cgSetParameter1dv, cgSetParameter2dv,
                                                              cgSetParameter3dv, cgSetParameter4dv};
    SET[width - 1](param, v);
}

// A matrix's values row by row or column by column, as cgSetMatrixParameterfr and its kin take
// and give them.
void setMatrix(CGparameter param, bool byColumns, const float* m) {
    byColumns ? cgSetMatrixParameterfc(param, m) : cgSetMatrixParameterfr(param, m);
}

void setMatrix(CGparameter param, bool byColumns, const double* m) {
    byColumns ? cgSetMatrixParameterdc(param, m) : cgSetMatrixParameterdr(param, m);
}

void getMatrix(CGparameter param, bool byColumns, float* m) {
    byColumns ? cgGetMatrixParameterfc(param, m) : cgGetMatrixParameterfr(param, m);
}

void getMatrix(CGparameter param, bool byColumns, double* m) {
    byColumns ? cgGetMatrixParameterdc(param, m) : cgGetMatrixParameterdr(param, m);
}

// `width` values an element from `values`, each element taking as many as it has. As in
// NVIDIA's runtime, `values` holds the whole array: element i at values + i * width, whatever
// the offset.
template <typename T>
void setArray(CGparameter param, long offset, long count, int width, const T* values) {
    if (values == nullptr) {
        cgrt::valid(param) != nullptr ? cgrt::raise(CG_INVALID_PARAMETER_ERROR) : void();
        return;
    }
    const auto each = static_cast<std::size_t>(width);
    std::size_t at = static_cast<std::size_t>(offset) * each;
    for (CgParameterState* e : cgrt::arrayElements(param, offset, count)) {
        setFirst(e, width, values + at);
        at += each;
    }
}

// `width` values an element into `values` (laid out as setArray's): the element's own, then
// zeros.
template <typename T>
void getArray(CGparameter param, long offset, long count, int width, T* values) {
    if (values == nullptr) {
        cgrt::valid(param) != nullptr ? cgrt::raise(CG_INVALID_PARAMETER_ERROR) : void();
        return;
    }
    std::size_t at = static_cast<std::size_t>(offset) * static_cast<std::size_t>(width);
    for (CgParameterState* e : cgrt::arrayElements(param, offset, count)) {
        for (int k = 0; k < width; ++k) {
            values[at++] = static_cast<T>(k < e->components ? e->values[k] : 0.0f);
        }
    }
}

// Runs `use(element, at)` on each element of the range, `at` where its values start in the
// caller's array: element i at i * its size, as NVIDIA's runtime lays matrices out. Stops with
// CG_NOT_MATRIX_PARAM_ERROR at an element that is no matrix.
template <typename Use>
void forEachMatrix(CGparameter param, long offset, long count, const void* values, Use use) {
    if (values == nullptr) {
        cgrt::valid(param) != nullptr ? cgrt::raise(CG_INVALID_PARAMETER_ERROR) : void();
        return;
    }
    for (CgParameterState* e : cgrt::arrayElements(param, offset, count)) {
        if (e->kind != cgrt::UniformKind::Matrix) {
            cgrt::raise(CG_NOT_MATRIX_PARAM_ERROR);
            return;
        }
        use(*e, static_cast<std::size_t>(e->index - param->firstMember->index) *
                    static_cast<std::size_t>(e->components));
    }
}

template <typename T>
void setMatrices(CGparameter param, long offset, long count, bool byColumns, const T* values) {
    forEachMatrix(param, offset, count, values, [&](CgParameterState& e, std::size_t at) {
        setMatrix(&e, byColumns, values + at);
    });
}

template <typename T>
void getMatrices(CGparameter param, long offset, long count, bool byColumns, T* values) {
    forEachMatrix(param, offset, count, values, [&](CgParameterState& e, std::size_t at) {
        getMatrix(&e, byColumns, values + at);
    });
}

}  // namespace

extern "C" {

#define CG_VECTOR_ARRAY_CALLS(N, S, T)                                                         \
    void cgGLSetParameterArray##N##S(CGparameter param, long offset, long count, const T* v) { \
        setArray(param, offset, count, N, v);                                                  \
    }                                                                                          \
    void cgGLGetParameterArray##N##S(CGparameter param, long offset, long count, T* v) {       \
        getArray(param, offset, count, N, v);                                                  \
    }

CG_VECTOR_ARRAY_CALLS(1, f, float)
CG_VECTOR_ARRAY_CALLS(2, f, float)
CG_VECTOR_ARRAY_CALLS(3, f, float)
CG_VECTOR_ARRAY_CALLS(4, f, float)
CG_VECTOR_ARRAY_CALLS(1, d, double)
CG_VECTOR_ARRAY_CALLS(2, d, double)
CG_VECTOR_ARRAY_CALLS(3, d, double)
CG_VECTOR_ARRAY_CALLS(4, d, double)

#define CG_MATRIX_ARRAY_CALLS(S, T)                                                            \
    void cgGLSetMatrixParameterArray##S##c(CGparameter param, long offset, long count,         \
                                           const T* m) {                                       \
        setMatrices(param, offset, count, true, m);                                            \
    }                                                                                          \
    void cgGLSetMatrixParameterArray##S##r(CGparameter param, long offset, long count,         \
                                           const T* m) {                                       \
        setMatrices(param, offset, count, false, m);                                           \
    }                                                                                          \
    void cgGLGetMatrixParameterArray##S##c(CGparameter param, long offset, long count, T* m) { \
        getMatrices(param, offset, count, true, m);                                            \
    }                                                                                          \
    void cgGLGetMatrixParameterArray##S##r(CGparameter param, long offset, long count, T* m) { \
        getMatrices(param, offset, count, false, m);                                           \
    }

CG_MATRIX_ARRAY_CALLS(f, float)
CG_MATRIX_ARRAY_CALLS(d, double)

}  // extern "C"
