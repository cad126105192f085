#include "CgVersion.h"

#include "CgSpirvWalk.h"

namespace cgrt {
namespace {

constexpr unsigned OP_U_MOD = 137;
constexpr unsigned OP_S_REM = 138;
constexpr unsigned OP_S_MOD = 139;
// Shifts, and, or, xor, not, and the bit-field and bit-count operations.
constexpr unsigned OP_FIRST_BIT_OPERATION = 194;
constexpr unsigned OP_LAST_BIT_OPERATION = 205;

}  // namespace

bool needsGlsl130(const std::vector<unsigned>& spirv) {
    return findInstruction(spirv, [](unsigned opcode, const unsigned*, unsigned) {
        const bool remainder = opcode >= OP_U_MOD && opcode <= OP_S_MOD;
        const bool bits = opcode >= OP_FIRST_BIT_OPERATION && opcode <= OP_LAST_BIT_OPERATION;
        return remainder || bits;
    });
}

}  // namespace cgrt
