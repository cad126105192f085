#include "CgVersion.h"

#include "CgSpirvWalk.h"

namespace cgrt {

bool needsGlsl130(const std::vector<unsigned>& spirv) {
    return findInstruction(spirv, [](spv::Op opcode, const unsigned*, unsigned) {
        const bool remainder = opcode >= spv::OpUMod && opcode <= spv::OpSMod;
        // Shifts, and, or, xor, not, and the bit-field and bit-count operations.
        const bool bits = opcode >= spv::OpShiftRightLogical && opcode <= spv::OpBitCount;
        return remainder || bits;
    });
}

bool hasRowMajorMatrices(const std::vector<unsigned>& spirv) {
    return findInstruction(spirv, [](spv::Op opcode, const unsigned* w, unsigned count) {
        return (opcode == spv::OpDecorate && count > 2 && w[2] == spv::DecorationRowMajor) ||
               (opcode == spv::OpMemberDecorate && count > 3 && w[3] == spv::DecorationRowMajor);
    });
}

}  // namespace cgrt
