// libCgGL.so's side of the table it shares with libCg.so (CgInternal.h): the core's calls that
// the GL binding makes go through it, and the GL half is filled in for as long as libCgGL is
// loaded.
#include "CgContext.h"
#include "CgInternal.h"

void cgrt::raise(CGerror error, CGcontext context) {
    cgrtInternal.raise(error, context);
}

void cgrt::setListing(CgContextState& context, std::string listing) {
    cgrtInternal.setListing(context, std::move(listing));
}

void cgrt::setListingEverywhere(const std::string& listing) {
    cgrtInternal.setListingEverywhere(listing);
}

bool cgrt::isValid(CGprogram program) {
    return cgrtInternal.isValidProgram(program);
}

bool cgrt::isValid(CGparameter param) {
    return cgrtInternal.isValidParameter(param);
}

CgContextState* cgrt::valid(CGcontext context) {
    return cgrtInternal.validContext(context);
}

CgProgramState* cgrt::valid(CGprogram program) {
    return cgrtInternal.validProgram(program);
}

CgParameterState* cgrt::valid(CGparameter param) {
    return cgrtInternal.validParameter(param);
}

int cgrt::profileSlot(CGprofile profile) {
    return cgrtInternal.profileSlot(profile);
}

void cgrt::getWholeValue(CGparameter param, int count, float* values) {
    cgrtInternal.getWholeFloats(param, count, values);
}

void cgrt::getWholeValue(CGparameter param, int count, double* values) {
    cgrtInternal.getWholeDoubles(param, count, values);
}

CgParameterState* cgrt::matrixParameter(CGparameter param) {
    return cgrtInternal.matrixParameter(param);
}

std::vector<CgParameterState*> cgrt::arrayElements(CGparameter param, long offset, long count) {
    return cgrtInternal.arrayElements(param, offset, count);
}

std::string cgrt::format(const CgError& error) {
    return cgrtInternal.format(error);
}

std::string cgrt::splitSemantic(const std::string& semantic, int& number) {
    return cgrtInternal.splitSemantic(semantic, number);
}

namespace {

void connect(bool on) {
    cgrtInternal.glContextCurrent = on ? &cgrt::glContextCurrent : nullptr;
    cgrtInternal.compileShader = on ? &cgrt::compileShader : nullptr;
    cgrtInternal.valuesChanged = on ? &cgrt::valuesChanged : nullptr;
    cgrtInternal.releaseProgram = on ? &cgrt::releaseProgram : nullptr;
    cgrtInternal.setCurrentVarying = on ? &cgrt::setCurrentVarying : nullptr;
}

// libCg is loaded and set up before libCgGL, which needs it.
struct Connection {
    Connection() { connect(true); }
    ~Connection() { connect(false); }
} connection;

}  // namespace
