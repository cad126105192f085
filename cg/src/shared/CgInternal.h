// How libCgGL.so and libCg.so reach each other's internals: one table, the only symbol either
// exports besides the Cg calls (in a version node of its own, CG_INTERNAL, so that no client
// binds to it by chance). NVIDIA's libCgGL likewise takes one private symbol from its libCg.
// libCg fills in its half; libCgGL fills in the GL half while it is loaded, and libCg does
// without GL while it is not. A function of one library that the other starts calling needs its
// own entry here: both libraries link with every symbol resolved, so a missing one fails the build.
#pragma once

#include <string>
#include <vector>

#include "CgEntryParameters.h"
#include "CgError.h"
#include "CgState.h"

struct CgInternalTable {
    // libCg's, for libCgGL.
    void (*raise)(CGerror error, CGcontext context);
    void (*setListing)(CgContextState& context, std::string listing);
    void (*setListingEverywhere)(const std::string& listing);
    bool (*isValidProgram)(CGprogram program);
    bool (*isValidParameter)(CGparameter param);
    CgContextState* (*validContext)(CGcontext context);
    CgProgramState* (*validProgram)(CGprogram program);
    CgParameterState* (*validParameter)(CGparameter param);
    int (*profileSlot)(CGprofile profile);
    void (*getWholeFloats)(CGparameter param, int count, float* values);
    void (*getWholeDoubles)(CGparameter param, int count, double* values);
    CgParameterState* (*matrixParameter)(CGparameter param);
    std::vector<CgParameterState*> (*arrayElements)(CGparameter param, long offset, long count);
    std::string (*format)(const cgrt::CgError& error);
    std::string (*splitSemantic)(const std::string& semantic, int& number);
    // libCgGL's, for libCg: null while libCgGL is not loaded.
    bool (*glContextCurrent)();
    bool (*compileShader)(CgProgramState& program, const std::string& listing);
    void (*valuesChanged)(CgParameterState& param);
    void (*releaseProgram)(CgProgramState& program);
    void (*setCurrentVarying)(CGparameter param, int count, const float* values);
};

extern "C" __attribute__((visibility("default"))) CgInternalTable cgrtInternal;
