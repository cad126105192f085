// Contexts, programs, parameters and the error state.
#include "CgIsolation.h"
#include "CgSource.h"
#include "CgState.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

std::vector<std::unique_ptr<CgContextState>> contexts;

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

// What cgGetProgramString and cgGetProgramOptions give back: the text, the entry and the compiler
// arguments as they came.
void keepCreation(CgProgramState& program, std::string source, const char* entry,
                  const char** args) {
    program.source = std::move(source);
    program.entry = entry != nullptr ? entry : "main";
    for (const char** arg = args; arg != nullptr && *arg != nullptr; ++arg) {
        program.options.emplace_back(*arg);
    }
    for (const std::string& option : program.options) {
        program.optionList.push_back(option.c_str());
    }
    program.optionList.push_back(nullptr);
}

CGprogram createProgram(CGcontext context, CGenum programType, const char* text, const char* path,
                        CGprofile profile, const char* entry, const char** args) {
    if (!cgrt::isValid(context)) {
        cgrt::raise(CG_INVALID_CONTEXT_HANDLE_ERROR);
        return nullptr;
    }
    if (programType != CG_SOURCE) {
        cgrt::raise(CG_INVALID_ENUMERANT_ERROR, context);
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
            cgrt::raise(readError, context);
            return nullptr;
        }
    } else {
        name = "(program text)";
        source = text;
    }
    // The profile is the compiler's to refuse, as with NVIDIA's runtime, once the file is read.
    const int slot = cgrt::profileSlot(profile);
    if (slot < 0) {
        cgrt::setListing(
            *context, cgrt::format(cgrt::CgError{name, 0,
                                                 "there is no profile numbered " +
                                                     std::to_string(static_cast<int>(profile))}));
        cgrt::raise(CG_COMPILER_ERROR, context);
        return nullptr;
    }
    std::string argWarnings;
    const cgrt::SourceOptions options =
        cgrt::parseCompilerArgs(args, cgrt::profileOptionNames(profile), argWarnings);
    const cgrt::ExpandedSource expanded = cgrt::expandCgSource(
        source, name, path != nullptr ? cgrt::folderOf(path) : std::string(), options);
    if (!expanded.ok) {
        cgrt::setListing(*context, argWarnings + expanded.listing);
        cgrt::raise(CG_COMPILER_ERROR, context);
        return nullptr;
    }
    const cgrt::Stage stage = slot == 0 ? cgrt::Stage::Vertex : cgrt::Stage::Fragment;
    cgrt::Translation translation =
        cgrt::translateApart(expanded.text, name, stage, entry != nullptr ? entry : "main");
    translation.listing = argWarnings + translation.listing;
    cgrt::setListing(*context, translation.listing);
    if (!translation.ok) {
        cgrt::raise(CG_COMPILER_ERROR, context);
        return nullptr;
    }
    auto program = std::make_unique<CgProgramState>();
    program->context = context;
    program->profile = profile;
    program->stage = stage;
    program->name = name;
    program->glsl = std::move(translation.glsl);
    keepCreation(*program, std::move(source), entry, args);
    // Compiling needs GL; without a context, cgGLLoadProgram compiles it. With one, the driver's
    // verdict comes now, with the translator's, as a compile error of the program.
    if (cgrt::glContextCurrent() && !cgrt::compileShader(*program, translation.listing)) {
        cgrt::raise(CG_COMPILER_ERROR, context);
        return nullptr;
    }
    program->genericAttributes = translation.genericAttributes;
    cgrt::addParameters(*program, translation);
    context->programs.push_back(std::move(program));
    return context->programs.back().get();
}

}  // namespace

namespace cgrt {

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

namespace {

template <typename Handle>
Handle validOrRaise(Handle handle, CGerror error) {
    if (!isValid(handle)) {
        raise(error);
        return nullptr;
    }
    return handle;
}

}  // namespace

CgContextState* valid(CGcontext context) {
    return validOrRaise(context, CG_INVALID_CONTEXT_HANDLE_ERROR);
}

CgProgramState* valid(CGprogram program) {
    return validOrRaise(program, CG_INVALID_PROGRAM_HANDLE_ERROR);
}

CgParameterState* valid(CGparameter param) {
    return validOrRaise(param, CG_INVALID_PARAM_HANDLE_ERROR);
}

}  // namespace cgrt

extern "C" {

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

}  // extern "C"
