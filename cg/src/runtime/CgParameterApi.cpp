// Setting parameters' values without the GL-specific calls, as a frontend that loads shaders it
// has never seen does once it has walked their parameters (CgReflection.cpp).
#include "CgState.h"

#include <Cg/cgGL.h>

namespace {

void setVector(CGparameter param, float x, float y, float z, float w, int count) {
    const float v[] = {x, y, z, w};
    cgrt::setVectorParameter(param, count, v);
}

}  // namespace

extern "C" {

void cgSetParameter1f(CGparameter param, float x) {
    setVector(param, x, 0.0f, 0.0f, 0.0f, 1);
}

void cgSetParameter2f(CGparameter param, float x, float y) {
    setVector(param, x, y, 0.0f, 0.0f, 2);
}

void cgSetParameter3f(CGparameter param, float x, float y, float z) {
    setVector(param, x, y, z, 0.0f, 3);
}

void cgSetParameter4f(CGparameter param, float x, float y, float z, float w) {
    setVector(param, x, y, z, w, 4);
}

void cgGLSetParameter1f(CGparameter param, float x) {
    setVector(param, x, 0.0f, 0.0f, 0.0f, 1);
}

void cgGLSetParameter2f(CGparameter param, float x, float y) {
    setVector(param, x, y, 0.0f, 0.0f, 2);
}

void cgSetParameterValuefr(CGparameter param, int count, const float* values) {
    if (cgrt::validParameter(param) == nullptr) {
        return;
    }
    if (values == nullptr || count < 0) {
        cgrt::raise(CG_INVALID_PARAMETER_ERROR);
        return;
    }
    if (param->kind == cgrt::UniformKind::Matrix && count >= param->components) {
        cgSetMatrixParameterfr(param, values);
        return;
    }
    cgrt::setVectorParameter(param, count, values);
}

void cgSetMatrixParameterfc(CGparameter param, const float* matrix) {
    cgrt::setMatrixParameter(param, matrix);
}

void cgSetMatrixParameterfr(CGparameter param, const float* matrix) {
    if (cgrt::validParameter(param) == nullptr || matrix == nullptr) {
        cgrt::setMatrixParameter(param, matrix);
        return;
    }
    float columns[16] = {};
    if (param->kind == cgrt::UniformKind::Matrix) {
        cgrt::toColumns(matrix, param->rows, param->components / param->rows, columns);
    }
    cgrt::setMatrixParameter(param, columns);
}

}  // extern "C"
