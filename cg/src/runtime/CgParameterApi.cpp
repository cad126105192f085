// Walking a program's parameters without the GL-specific calls: what a frontend that loads shaders
// it has never seen uses to find out what they take.
#include "CgState.h"

#include <Cg/cgGL.h>

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
    if (cgrt::valid(param) == nullptr) {
        return nullptr;
    }
    const auto& all = param->program->parameters;
    const std::size_t next = static_cast<std::size_t>(param->index) + 1;
    return next < all.size() ? all[next].get() : nullptr;
}

const char* cgGetParameterSemantic(CGparameter param) {
    return cgrt::valid(param) != nullptr ? param->semantic.c_str() : "";
}

CGenum cgGetParameterDirection(CGparameter param) {
    cgrt::valid(param);
    // Only uniforms are parameters here, and a uniform is read, never written, by the program.
    return CG_IN;
}

CGenum cgGetParameterVariability(CGparameter param) {
    cgrt::valid(param);
    return CG_UNIFORM;
}

}  // extern "C"
