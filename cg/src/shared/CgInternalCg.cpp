// libCg.so's side of the table libCgGL.so reaches it through (CgInternal.h), and the GL half's
// calls as libCg makes them: to libCgGL while it is loaded, and without GL while it is not (no GL
// context is current to the runtime then, so that a program is compiled by the driver only once it
// is loaded, which needs libCgGL).
#include "CgInternal.h"

namespace {

void getWholeFloats(CGparameter param, int count, float* values) {
    cgrt::getWholeValue(param, count, values);
}

void getWholeDoubles(CGparameter param, int count, double* values) {
    cgrt::getWholeValue(param, count, values);
}

}  // namespace

CgInternalTable cgrtInternal = {
    &cgrt::raise,
    &cgrt::setListing,
    &cgrt::setListingEverywhere,
    &cgrt::isValid,
    &cgrt::isValid,
    &cgrt::valid,
    &cgrt::valid,
    &cgrt::valid,
    &cgrt::profileSlot,
    &getWholeFloats,
    &getWholeDoubles,
    &cgrt::matrixParameter,
    &cgrt::arrayElements,
    &cgrt::format,
    &cgrt::splitSemantic,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

bool cgrt::glContextCurrent() {
    return cgrtInternal.glContextCurrent != nullptr && cgrtInternal.glContextCurrent();
}

bool cgrt::compileShader(CgProgramState& program, const std::string& listing) {
    if (cgrtInternal.compileShader == nullptr) {
        setListing(*program.context, listing + "libCgGL is not loaded: no GL program can be made");
        return false;
    }
    return cgrtInternal.compileShader(program, listing);
}

// Without the GL binding no program is in use: the new values wait for the next upload.
void cgrt::valuesChanged(CgParameterState& param) {
    if (cgrtInternal.valuesChanged != nullptr) {
        cgrtInternal.valuesChanged(param);
    } else {
        ++param.version;
    }
}

void cgrt::releaseProgram(CgProgramState& program) {
    if (cgrtInternal.releaseProgram != nullptr) {
        cgrtInternal.releaseProgram(program);
    }
}

// Without the GL binding there is no GL to hold a vertex attribute's current value.
void cgrt::setCurrentVarying(CGparameter param, int count, const float* values) {
    if (cgrtInternal.setCurrentVarying != nullptr) {
        cgrtInternal.setCurrentVarying(param, count, values);
    }
}
