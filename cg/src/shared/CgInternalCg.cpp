// libCg.so's side of the table libCgGL.so reaches it through (CgInternal.h), and the GL half's
// calls as libCg makes them: to libCgGL while it is loaded, and without GL while it is not (no GL
// context is current to the runtime then, so that no program is created).
#include "CgInternal.h"

CgInternalTable cgrtInternal = {&cgrt::raise,   &cgrt::setListing, &cgrt::setListingEverywhere,
                                &cgrt::isValid, &cgrt::isValid,    &cgrt::profileSlot,
                                &cgrt::format,  nullptr,           nullptr,
                                nullptr,        nullptr,           nullptr};

bool cgrt::glContextCurrent() {
    return cgrtInternal.glContextCurrent != nullptr && cgrtInternal.glContextCurrent();
}

GLuint cgrt::compileShader(Stage stage, const std::string& glsl, std::string& log) {
    if (cgrtInternal.compileShader == nullptr) {
        log = "libCgGL is not loaded: no GL program can be made\n";
        return 0;
    }
    return cgrtInternal.compileShader(stage, glsl, log);
}

void cgrt::setVectorParameter(CGparameter param, int count, const float* values) {
    if (cgrtInternal.setVectorParameter != nullptr) {
        cgrtInternal.setVectorParameter(param, count, values);
    }
}

void cgrt::setMatrixParameter(CGparameter param, const float* columns) {
    if (cgrtInternal.setMatrixParameter != nullptr) {
        cgrtInternal.setMatrixParameter(param, columns);
    }
}

void cgrt::releaseProgram(CgProgramState& program) {
    if (cgrtInternal.releaseProgram != nullptr) {
        cgrtInternal.releaseProgram(program);
    }
}
