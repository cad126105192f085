// Contexts, programs, parameters and the error state.
#include "CgIsolation.h"
#include "CgSource.h"
#include "CgState.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>

namespace {

std::vector<std::unique_ptr<CgContextState>> contexts;
CGerror pendingError = CG_NO_ERROR;
CGerrorCallbackFunc errorCallback = nullptr;

// A file that is too long counts as a compile error, like any other source that is no program.
CGerror readSource(const char* path, std::string& text, std::string& listing) {
    cgrt::SourceFile file = cgrt::readSourceFile(path);
    if (file.outcome != cgrt::SourceFile::Outcome::Read) {
        listing = cgrt::format(cgrt::CgError{path, 0, cgrt::readFailure(file, "the file")});
        return file.outcome == cgrt::SourceFile::Outcome::TooLong ? CG_COMPILER_ERROR
                                                                  : CG_FILE_READ_ERROR;
    }
    text = std::move(file.text);
    return CG_NO_ERROR;
}

CGprogram createProgram(CGcontext context, CGenum programType, const char* text, const char* path,
                        CGprofile profile, const char* entry, const char** args) {
    if (!cgrt::isValid(context)) {
        cgrt::raise(CG_INVALID_CONTEXT_HANDLE_ERROR);
        return nullptr;
    }
    if (programType != CG_SOURCE) {
        cgrt::raise(CG_INVALID_ENUMERANT_ERROR);
        return nullptr;
    }
    const int slot = cgrt::profileSlot(profile);
    if (slot < 0) {
        cgrt::raise(CG_INVALID_PROFILE_ERROR);
        return nullptr;
    }
    std::string source;
    std::string name;
    if (path != nullptr) {
        name = path;
        std::string why;
        const CGerror readError = readSource(path, source, why);
        if (readError != CG_NO_ERROR) {
            cgrt::setListing(*context, why);
            cgrt::raise(readError);
            return nullptr;
        }
    } else {
        name = "(program text)";
        source = text;
    }
    std::string argWarnings;
    const cgrt::SourceOptions options = cgrt::parseCompilerArgs(args, argWarnings);
    const cgrt::ExpandedSource expanded = cgrt::expandCgSource(
        source, name, path != nullptr ? cgrt::folderOf(path) : std::string(), options);
    if (!expanded.ok) {
        cgrt::setListing(*context, argWarnings + expanded.listing);
        cgrt::raise(CG_COMPILER_ERROR);
        return nullptr;
    }
    const cgrt::Stage stage = slot == 0 ? cgrt::Stage::Vertex : cgrt::Stage::Fragment;
    cgrt::Translation translation =
        cgrt::translateApart(expanded.text, name, stage, entry != nullptr ? entry : "main");
    translation.listing = argWarnings + translation.listing;
    cgrt::setListing(*context, translation.listing);
    if (!translation.ok) {
        cgrt::raise(CG_COMPILER_ERROR);
        return nullptr;
    }
    auto program = std::make_unique<CgProgramState>();
    program->context = context;
    program->profile = profile;
    program->stage = stage;
    program->name = name;
    program->glsl = std::move(translation.glsl);
    // Compiling needs GL; without a context, cgGLLoadProgram compiles it. With one, the driver's
    // verdict comes now, with the translator's, as a compile error of the program.
    if (cgrt::glContextCurrent() && !cgrt::compileShader(*program, translation.listing)) {
        cgrt::raise(CG_COMPILER_ERROR);
        return nullptr;
    }
    program->genericAttributes = translation.genericAttributes;
    cgrt::addParameters(*program, translation);
    context->programs.push_back(std::move(program));
    return context->programs.back().get();
}

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

void raise(CGerror error) {
    pendingError = error;
    if (errorCallback != nullptr) {
        errorCallback();
    }
}

void setListing(CgContextState& context, std::string listing) {
    while (!listing.empty() && listing.back() == '\n') {
        listing.pop_back();
    }
    context.lastListing = std::move(listing);
}

void setListingEverywhere(const std::string& listing) {
    for (const auto& context : contexts) {
        setListing(*context, listing);
    }
}

bool isValid(CGcontext context) {
    for (const auto& c : contexts) {
        if (c.get() == context) {
            return true;
        }
    }
    return false;
}

bool isValid(CGprogram program) {
    for (const auto& c : contexts) {
        for (const auto& p : c->programs) {
            if (p.get() == program) {
                return true;
            }
        }
    }
    return false;
}

// Compares addresses only: a destroyed parameter's memory must not be read.
bool isValid(CGparameter param) {
    if (param == nullptr) {
        return false;
    }
    for (const auto& c : contexts) {
        for (const auto& p : c->programs) {
            for (const auto& q : p->parameters) {
                if (q.get() == param) {
                    return true;
                }
            }
        }
    }
    return false;
}

CgParameterState* validParameter(CGparameter param) {
    if (!isValid(param)) {
        raise(CG_INVALID_PARAM_HANDLE_ERROR);
        return nullptr;
    }
    return param;
}

}  // namespace cgrt

extern "C" {

void cgSetErrorCallback(CGerrorCallbackFunc func) {
    errorCallback = func;
}

CGerror cgGetError(void) {
    const CGerror error = pendingError;
    pendingError = CG_NO_ERROR;
    return error;
}

const char* cgGetErrorString(CGerror error) {
    const auto code = static_cast<std::size_t>(error);
    return code < std::size(ERROR_TEXTS) ? ERROR_TEXTS[code] : "Unknown error.";
}

CGcontext cgCreateContext(void) {
    contexts.push_back(std::make_unique<CgContextState>());
    return contexts.back().get();
}

void cgDestroyContext(CGcontext context) {
    if (!cgrt::isValid(context)) {
        cgrt::raise(CG_INVALID_CONTEXT_HANDLE_ERROR);
        return;
    }
    for (const auto& program : context->programs) {
        cgrt::releaseProgram(*program);
    }
    contexts.erase(std::find_if(contexts.begin(), contexts.end(),
                                [context](const auto& c) { return c.get() == context; }));
}

const char* cgGetLastListing(CGcontext context) {
    return cgrt::isValid(context) ? context->lastListing.c_str() : "";
}

CGprogram cgCreateProgram(CGcontext context, CGenum programType, const char* program,
                          CGprofile profile, const char* entry, const char** args) {
    if (program == nullptr) {
        cgrt::raise(CG_INVALID_PARAMETER_ERROR);
        return nullptr;
    }
    return createProgram(context, programType, program, nullptr, profile, entry, args);
}

CGprogram cgCreateProgramFromFile(CGcontext context, CGenum programType, const char* programFile,
                                  CGprofile profile, const char* entry, const char** args) {
    if (programFile == nullptr) {
        cgrt::raise(CG_INVALID_PARAMETER_ERROR);
        return nullptr;
    }
    return createProgram(context, programType, nullptr, programFile, profile, entry, args);
}

CGprofile cgGetProgramProfile(CGprogram program) {
    if (!cgrt::isValid(program)) {
        cgrt::raise(CG_INVALID_PROGRAM_HANDLE_ERROR);
        return CG_PROFILE_UNKNOWN;
    }
    return program->profile;
}

CGparameter cgGetNamedParameter(CGprogram program, const char* name) {
    if (!cgrt::isValid(program)) {
        cgrt::raise(CG_INVALID_PROGRAM_HANDLE_ERROR);
        return nullptr;
    }
    if (name == nullptr) {
        return nullptr;
    }
    for (const auto& param : program->parameters) {
        if (param->name == name) {
            return param.get();
        }
    }
    return nullptr;
}

const char* cgGetParameterName(CGparameter param) {
    if (!cgrt::isValid(param)) {
        cgrt::raise(CG_INVALID_PARAM_HANDLE_ERROR);
        return nullptr;
    }
    return param->name.c_str();
}

CGtype cgGetParameterType(CGparameter param) {
    if (!cgrt::isValid(param)) {
        cgrt::raise(CG_INVALID_PARAM_HANDLE_ERROR);
        return CG_UNKNOWN_TYPE;
    }
    return param->type;
}

CGprogram cgGetParameterProgram(CGparameter param) {
    if (!cgrt::isValid(param)) {
        cgrt::raise(CG_INVALID_PARAM_HANDLE_ERROR);
        return nullptr;
    }
    return param->program;
}

int cgGetParameterValuefr(CGparameter param, int count, float* values) {
    if (!cgrt::isValid(param)) {
        cgrt::raise(CG_INVALID_PARAM_HANDLE_ERROR);
        return 0;
    }
    if (param->kind != cgrt::UniformKind::Vector && param->kind != cgrt::UniformKind::Matrix) {
        cgrt::raise(CG_INVALID_VALUE_TYPE_ERROR);
        return 0;
    }
    if (values == nullptr || count < 0) {
        cgrt::raise(CG_INVALID_PARAMETER_ERROR);
        return 0;
    }
    const int n = std::min(count, param->components);
    if (param->kind == cgrt::UniformKind::Vector) {
        std::copy(param->values, param->values + n, values);
        return n;
    }
    const int rows = param->rows;
    const int columns = param->components / rows;
    for (int i = 0; i < n; ++i) {
        values[i] = param->values[(i % columns) * rows + i / columns];
    }
    return n;
}

}  // extern "C"
