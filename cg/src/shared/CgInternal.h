// How libCgGL.so and libCg.so reach each other's internals: one table, the only symbol either
// exports besides the Cg calls (in a version node of its own, CG_INTERNAL, so that no client
// binds to it by chance). NVIDIA's libCgGL likewise takes one private symbol from its libCg.
// libCg fills in its half; libCgGL fills in the GL half while it is loaded, and libCg does
// without GL while it is not. A function of one library that the other starts calling needs its
// own entry here: both libraries link with every symbol resolved, so a missing one fails the build.
#pragma once

#include <string>

#include "CgError.h"
#include "CgState.h"

struct CgInternalTable {
    // libCg's, for libCgGL.
    void (*raise)(CGerror error);
    void (*setListing)(CgContextState& context, std::string listing);
    void (*setListingEverywhere)(const std::string& listing);
    bool (*isValidProgram)(CGprogram program);
    bool (*isValidParameter)(CGparameter param);
    int (*profileSlot)(CGprofile profile);
    std::string (*format)(const cgrt::CgError& error);
    // libCgGL's, for libCg: null while libCgGL is not loaded.
    bool (*glContextCurrent)();
    GLuint (*compileShader)(cgrt::Stage stage, const std::string& glsl, std::string& log);
    void (*setVectorParameter)(CGparameter param, int count, const float* values);
    void (*setMatrixParameter)(CGparameter param, const float* columns);
    void (*releaseProgram)(CgProgramState& program);
};

extern "C" __attribute__((visibility("default"))) CgInternalTable cgrtInternal;
