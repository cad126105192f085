// A walk over a SPIR-V module's instructions, for the checks that look at a module before
// SPIRV-Cross writes it out. Opcodes and storage classes by SPIRV-Cross's names for them.
#pragma once

#include <spirv.hpp>

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
        if (visit(static_cast<spv::Op>(spirv[at] & 0xFFFF), &spirv[at], count)) {
            return true;
        }
        at += count;
    }
    return false;
}

// The variables in UniformConstant storage, in the module's order: samplers, and the uniforms
// declared outside any block.
inline std::vector<unsigned> uniformConstants(const std::vector<unsigned>& spirv) {
    std::vector<unsigned> ids;
    findInstruction(spirv, [&](spv::Op opcode, const unsigned* w, unsigned count) {
        if (opcode == spv::OpVariable && count > 3 && w[3] == spv::StorageClassUniformConstant) {
            ids.push_back(w[2]);
        }
        return false;
    });
    return ids;
}

}  // namespace cgrt
