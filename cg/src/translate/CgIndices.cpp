#include "CgIndices.h"

#include <map>
#include <set>

#include "CgSpirvWalk.h"

namespace cgrt {
namespace {

constexpr unsigned BOUND_WORD = 3;

// Where an instruction may name an index and nothing else: from this operand word on.
unsigned firstIndexWord(spv::Op opcode) {
    switch (opcode) {
        case spv::OpAccessChain:
        case spv::OpInBoundsAccessChain:
        case spv::OpVectorExtractDynamic:
            return 4;
        case spv::OpVectorInsertDynamic:
            return 5;
        default:
            return 0;
    }
}

struct Conversions {
    unsigned unsignedType = 0;
    unsigned signedType = 0;
    std::size_t unsignedTypeAt = 0;         // the word where its declaration starts
    std::map<unsigned, std::size_t> found;  // result id -> where the conversion starts
    std::set<unsigned> usedOtherwise;
};

// Every OpConvertFToU to a 32-bit unsigned integer, and which of their results something other
// than an index reads. Only function bodies can read a result; there, a literal operand that
// equals an id counts as a use, which only keeps that conversion as it is.
Conversions findConversions(const std::vector<unsigned>& spirv) {
    Conversions c;
    std::size_t at = SPIRV_HEADER_WORDS;
    bool inFunctions = false;
    findInstruction(spirv, [&](spv::Op opcode, const unsigned* w, unsigned count) {
        inFunctions = inFunctions || opcode == spv::OpFunction;
        if (opcode == spv::OpTypeInt && count == 4 && w[2] == 32) {
            (w[3] == 0 ? c.unsignedType : c.signedType) = w[1];
            if (w[3] == 0) {
                c.unsignedTypeAt = at;
            }
        } else if (opcode == spv::OpConvertFToU && count == 4 && w[1] == c.unsignedType) {
            c.found[w[2]] = at;
        } else if (inFunctions && opcode != spv::OpLine) {
            const unsigned indexFrom = firstIndexWord(opcode);
            for (unsigned i = 1; i < count; ++i) {
                if (indexFrom == 0 || i < indexFrom) {
                    c.usedOtherwise.insert(w[i]);
                }
            }
        }
        at += count;
        return false;
    });
    return c;
}

}  // namespace

void indexWithSignedIntegers(std::vector<unsigned>& spirv) {
    const Conversions c = findConversions(spirv);
    std::vector<std::size_t> rewrite;
    for (const auto& [id, at] : c.found) {
        if (c.usedOtherwise.count(id) == 0) {
            rewrite.push_back(at);
        }
    }
    if (rewrite.empty() || spirv.size() <= BOUND_WORD) {
        return;
    }
    unsigned signedType = c.signedType;
    if (signedType == 0) {
        // A module without signed integers gets the type, next to the unsigned one.
        signedType = spirv[BOUND_WORD]++;
        const std::size_t after = c.unsignedTypeAt + 4;
        spirv.insert(spirv.begin() + static_cast<std::ptrdiff_t>(after),
                     {4u << 16 | spv::OpTypeInt, signedType, 32u, 1u});
        for (std::size_t& at : rewrite) {
            at += at > c.unsignedTypeAt ? 4 : 0;
        }
    }
    for (const std::size_t at : rewrite) {
        spirv[at] = 4u << 16 | spv::OpConvertFToS;
        spirv[at + 1] = signedType;
    }
}

}  // namespace cgrt
