// Walking a program's parameters and setting their values without the GL-specific calls: what a
// frontend that loads shaders it has never seen uses to find out what they take.
#include "CgState.h"

#include <Cg/cgGL.h>

namespace {

CgParameterState* valid(CGparameter param) {
    if (!cgrt::isValid(param)) {
        cgrt::raise(CG_INVALID_PARAM_HANDLE_ERROR);
        return nullptr;
    }
    return param;
}

void setVector(CGparameter param, float x, float y, float z, float w, int count) {
    const float v[] = {x, y, z, w};
    cgrt::setVectorParameter(param, count, v);
}

}  // namespace

extern "C" {

CGparameter cgGetFirstParameter(CGprogram program, CGenum nameSpace) {
    if (!cgrt::isValid(program)) {
        cgrt::raise(CG_INVALID_PROGRAM_HANDLE_ERROR);
        return nullptr;
    }
    if (nameSpace != CG_PROGRAM && nameSpace != CG_GLOBAL) {
        cgrt::raise(CG_INVALID_ENUMERANT_ERROR);
        return nullptr;
    }
    return program->parameters.empty() ? nullptr : program->parameters.front().get();
}

CGparameter cgGetNextParameter(CGparameter param) {
    if (valid(param) == nullptr) {
        return nullptr;
    }
    const auto& all = param->program->parameters;
    const std::size_t next = static_cast<std::size_t>(param->index) + 1;
    return next < all.size() ? all[next].get() : nullptr;
}

const char* cgGetParameterSemantic(CGparameter param) {
    return valid(param) != nullptr ? param->semantic.c_str() : "";
}

CGenum cgGetParameterDirection(CGparameter param) {
    valid(param);
    // Only uniforms are parameters here, and a uniform is read, never written, by the program.
    return CG_IN;
}

CGenum cgGetParameterVariability(CGparameter param) {
    valid(param);
    return CG_UNIFORM;
}

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
    if (valid(param) == nullptr) {
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
    if (valid(param) == nullptr || matrix == nullptr) {
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
