// The error state: the pending error, the first one since it was last asked for, and the two ways a
// program is told of each error as it happens.
#include "CgState.h"

#include <iterator>

namespace {

CGerror pendingError = CG_NO_ERROR;
CGerror firstError = CG_NO_ERROR;
CGerrorCallbackFunc errorCallback = nullptr;
CGerrorHandlerFunc errorHandler = nullptr;
void* errorHandlerData = nullptr;

// What cgGetString(CG_VERSION) answers: the release whose behaviour this runtime follows, so that a
// program checking it takes the paths it takes with NVIDIA's.
constexpr const char* VERSION = "3.1.0013";

// Our own words for each code, indexed by it.
const char* const ERROR_TEXTS[] = {
    "No error has occurred.",
    "The program could not be compiled.",
    "The parameter cannot be used in this way.",
    "The profile is not supported.",
    "The program could not be loaded.",
    "The program could not be bound.",
    "The program must be loaded before this operation.",
    "The GL driver lacks an extension this needs.",
    "The parameter does not hold values of this kind.",
    "The parameter is not a matrix.",
    "The enumerant is not valid here.",
    "The parameter must be a 4x4 matrix.",
    "The file could not be read.",
    "The file could not be written.",
    "The nvparse program could not be translated.",
    "Memory ran out.",
    "Invalid context handle.",
    "Invalid program handle.",
    "Invalid parameter handle.",
    "The profile is unknown.",
    "The variable arguments are wrong.",
    "The dimension is not valid.",
    "The parameter must be an array.",
    "The index is out of the array's bounds.",
    "The types conflict.",
    "The parameters' types conflict.",
    "The parameter is not shared.",
    "The parameter's variability is not valid here.",
    "The parameter cannot be destroyed.",
    "The parameter is not a root parameter.",
    "The parameters do not match.",
    "The parameter is not a program's parameter.",
    "The parameter's type is not valid here.",
    "The array cannot be resized.",
    "The size is not valid.",
    "Connecting these parameters makes a cycle.",
    "The arrays' types do not match.",
    "The arrays' dimensions do not match.",
    "The array has the wrong dimension.",
    "The type is not defined in the program.",
    "Invalid effect handle.",
    "Invalid state handle.",
    "Invalid state assignment handle.",
    "Invalid pass handle.",
    "Invalid annotation handle.",
    "Invalid technique handle.",
    "Invalid parameter handle.",
    "The state assignment's type does not match.",
    "Invalid function handle.",
    "The technique is not valid.",
    "The pointer is not valid.",
    "Too few values were given.",
    "The parameter is not numeric.",
    "The arrays' sizes do not match.",
    "Only uniform parameters can be set.",
    "The name is already taken.",
    "Invalid object handle.",
    "Invalid buffer handle.",
    "The buffer index is out of range.",
    "The buffer is mapped already.",
    "The buffer cannot be updated.",
    "A GLSL geometry program must be combined before it is loaded.",
};

}  // namespace

namespace cgrt {

// The handler hears first, then the callback, as with NVIDIA's runtime; either may read the error.
void raise(CGerror error, CGcontext context) {
    pendingError = error;
    if (firstError == CG_NO_ERROR) {
        firstError = error;
    }
    if (errorHandler != nullptr) {
        errorHandler(context, error, errorHandlerData);
    }
    if (errorCallback != nullptr) {
        errorCallback();
    }
}

}  // namespace cgrt

extern "C" {

void cgSetErrorCallback(CGerrorCallbackFunc func) {
    errorCallback = func;
}

CGerrorCallbackFunc cgGetErrorCallback(void) {
    return errorCallback;
}

void cgSetErrorHandler(CGerrorHandlerFunc func, void* data) {
    errorHandler = func;
    errorHandlerData = data;
}

CGerrorHandlerFunc cgGetErrorHandler(void** data) {
    if (data != nullptr) {
        *data = errorHandlerData;
    }
    return errorHandler;
}

CGerror cgGetError(void) {
    const CGerror error = pendingError;
    pendingError = CG_NO_ERROR;
    return error;
}

CGerror cgGetFirstError(void) {
    const CGerror error = firstError;
    firstError = CG_NO_ERROR;
    return error;
}

const char* cgGetErrorString(CGerror error) {
    const auto code = static_cast<std::size_t>(error);
    return code < std::size(ERROR_TEXTS) ? ERROR_TEXTS[code] : "Unknown error.";
}

// The pending error, left pending; null when there is none.
const char* cgGetLastErrorString(CGerror* error) {
    if (error != nullptr) {
        *error = pendingError;
    }
    return pendingError != CG_NO_ERROR ? cgGetErrorString(pendingError) : nullptr;
}

const char* cgGetString(CGenum name) {
    if (name != CG_VERSION) {
        cgrt::raise(CG_INVALID_ENUMERANT_ERROR);
        return nullptr;
    }
    return VERSION;
}

}  // extern "C"
