// A walk over a SPIR-V module's instructions, for the checks that look at a module before
// SPIRV-Cross writes it out.
#pragma once

#include <cstddef>
#include <vector>

namespace cgrt {

constexpr std::size_t SPIRV_HEADER_WORDS = 5;

// Calls visit(opcode, words, count) for each instruction after the header until it returns true;
// true when one did. A malformed stream ends the walk as if nothing were found.
template <typename Visit>
bool findInstruction(const std::vector<unsigned>& spirv, Visit visit) {
    for (std::size_t at = SPIRV_HEADER_WORDS; at < spirv.size();) {
        const unsigned count = spirv[at] >> 16;
        if (count == 0 || at + count > spirv.size()) {
            return false;
        }
        if (visit(spirv[at] & 0xFFFF, &spirv[at], count)) {
            return true;
        }
        at += count;
    }
    return false;
}

// The variables in UniformConstant storage, in the module's order: samplers, and the uniforms
// declared outside any block.
inline std::vector<unsigned> uniformConstants(const std::vector<unsigned>& spirv) {
    constexpr unsigned OP_VARIABLE = 59;
    constexpr unsigned STORAGE_UNIFORM_CONSTANT = 0;
    std::vector<unsigned> ids;
    findInstruction(spirv, [&](unsigned opcode, const unsigned* w, unsigned count) {
        if (opcode == OP_VARIABLE && count > 3 && w[3] == STORAGE_UNIFORM_CONSTANT) {
            ids.push_back(w[2]);
        }
        return false;
    });
    return ids;
}

}  // namespace cgrt
