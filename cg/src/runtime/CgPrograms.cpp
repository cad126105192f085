// Programs as a context holds them: their lifetime, the list of a context's programs, what they
// were created from, and their life on the GL side (loading, unloading, the profiles they need).
#include "CgState.h"

#include <Cg/cgGL.h>

#include <algorithm>
#include <memory>

namespace {

// The context's programs from the newest to the oldest, as NVIDIA's runtime walks them: the one
// after `program`, or the newest for null.
CGprogram olderThan(const CgContextState& context, const CgProgramState* program) {
    const auto& programs = context.programs;
    auto it = programs.rbegin();
    if (program != nullptr) {
        it = std::find_if(programs.rbegin(), programs.rend(),
                          [program](const auto& p) { return p.get() == program; });
        ++it;
    }
    return it != programs.rend() ? it->get() : nullptr;
}

}  // namespace

extern "C" {

CGbool cgIsContext(CGcontext context) {
    return cgrt::isValid(context) ? CG_TRUE : CG_FALSE;
}

CGbool cgIsProgram(CGprogram program) {
    return cgrt::isValid(program) ? CG_TRUE : CG_FALSE;
}

CGbool cgIsParameter(CGparameter param) {
    return cgrt::isValid(param) ? CG_TRUE : CG_FALSE;
}

// Its parameters go with it; a program still bound stops being used.
void cgDestroyProgram(CGprogram program) {
    if (cgrt::valid(program) == nullptr) {
        return;
    }
    cgrt::releaseProgram(*program);
    auto& programs = program->context->programs;
    for (const auto& other : programs) {
        auto& domains = other->domains;
        domains.erase(std::remove(domains.begin(), domains.end(), program), domains.end());
    }
    programs.erase(std::find_if(programs.begin(), programs.end(),
                                [program](const auto& p) { return p.get() == program; }));
}

CGcontext cgGetProgramContext(CGprogram program) {
    return cgrt::valid(program) != nullptr ? program->context : nullptr;
}

CGprogram cgGetFirstProgram(CGcontext context) {
    return cgrt::valid(context) != nullptr ? olderThan(*context, nullptr) : nullptr;
}

CGprogram cgGetNextProgram(CGprogram current) {
    return cgrt::valid(current) != nullptr ? olderThan(*current->context, current) : nullptr;
}

// The compiled program is the GLSL the translator made of it.
const char* cgGetProgramString(CGprogram program, CGenum name) {
    if (cgrt::valid(program) == nullptr) {
        return "";
    }
    switch (name) {
        case CG_PROGRAM_SOURCE:
            return program->source.c_str();
        case CG_PROGRAM_ENTRY:
            return program->entry.c_str();
        case CG_PROGRAM_PROFILE:
            return cgGetProfileString(program->profile);
        case CG_COMPILED_PROGRAM:
            return program->glsl.c_str();
        default:
            cgrt::raise(CG_INVALID_ENUMERANT_ERROR, program->context);
            return "";
    }
}

// The arguments the program was created with, ending with a null.
char const* const* cgGetProgramOptions(CGprogram program) {
    return cgrt::valid(program) != nullptr ? program->optionList.data() : nullptr;
}

// A program is compiled when it is created; there is nothing left to do.
void cgCompileProgram(CGprogram program) {
    cgrt::valid(program);
}

CGbool cgIsProgramCompiled(CGprogram program) {
    return cgrt::valid(program) != nullptr ? CG_TRUE : CG_FALSE;
}

// A program standing for a vertex and a fragment program of one context, as NVIDIA's runtime
// combines GLSL programs; ours links any pair on its own, so the combination only loads and binds
// them together.
CGprogram cgCombinePrograms2(const CGprogram first, const CGprogram second) {
    if (cgrt::valid(first) == nullptr || cgrt::valid(second) == nullptr) {
        return nullptr;
    }
    const int a = cgrt::profileSlot(first->profile), b = cgrt::profileSlot(second->profile);
    if (first->context != second->context || a < 0 || b < 0 || a == b) {
        cgrt::raise(CG_PROGRAM_LOAD_ERROR, first->context);
        return nullptr;
    }
    auto combined = std::make_unique<CgProgramState>();
    combined->context = first->context;
    combined->profile = CG_PROFILE_GLSLC;
    combined->domains = a == 0 ? std::vector<CgProgramState*>{first, second}
                               : std::vector<CgProgramState*>{second, first};
    first->context->programs.push_back(std::move(combined));
    return first->context->programs.back().get();
}

int cgGetNumProgramDomains(CGprogram program) {
    if (cgrt::valid(program) == nullptr) {
        return 0;
    }
    return program->domains.empty() ? 1 : static_cast<int>(program->domains.size());
}

CGprogram cgGetProgramDomainProgram(CGprogram program, int index) {
    if (cgrt::valid(program) == nullptr) {
        return nullptr;
    }
    if (program->domains.empty()) {
        return index == 0 ? program : nullptr;
    }
    return index >= 0 && index < static_cast<int>(program->domains.size())
               ? program->domains[static_cast<std::size_t>(index)]
               : nullptr;
}

}  // extern "C"
