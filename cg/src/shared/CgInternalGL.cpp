// libCgGL.so's side of the table it shares with libCg.so (CgInternal.h): the core's calls that
// the GL binding makes go through it, and the GL half is filled in for as long as libCgGL is
// loaded.
#include "CgContext.h"
#include "CgInternal.h"

void cgrt::raise(CGerror error) {
    cgrtInternal.raise(error);
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

int cgrt::profileSlot(CGprofile profile) {
    return cgrtInternal.profileSlot(profile);
}

std::string cgrt::format(const CgError& error) {
    return cgrtInternal.format(error);
}

namespace {

void connect(bool on) {
    cgrtInternal.glContextCurrent = on ? &cgrt::glContextCurrent : nullptr;
    cgrtInternal.compileShader = on ? &cgrt::compileShader : nullptr;
    cgrtInternal.setVectorParameter = on ? &cgrt::setVectorParameter : nullptr;
    cgrtInternal.setMatrixParameter = on ? &cgrt::setMatrixParameter : nullptr;
    cgrtInternal.releaseProgram = on ? &cgrt::releaseProgram : nullptr;
}

// libCg is loaded and set up before libCgGL, which needs it.
struct Connection {
    Connection() { connect(true); }
    ~Connection() { connect(false); }
} connection;

}  // namespace
