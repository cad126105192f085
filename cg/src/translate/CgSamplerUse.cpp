#include "CgSamplerUse.h"

#if CG_SPIRV_OPTIMIZER
#include <spirv-tools/optimizer.hpp>
#endif

#include <set>
#include <utility>

#include "CgSpirvWalk.h"

namespace cgrt {

bool needsSamplerLegalization(const std::vector<unsigned>& spirv) {
    std::set<unsigned> opaque;  // samplers, images, and what holds them
    std::set<unsigned> opaquePointers;
    bool opaqueStruct = false;
    const bool opaqueVariable =
        findInstruction(spirv, [&](spv::Op opcode, const unsigned* w, unsigned count) {
            switch (opcode) {
                case spv::OpTypeImage:
                case spv::OpTypeSampler:
                case spv::OpTypeSampledImage:
                    opaque.insert(w[1]);
                    break;
                case spv::OpTypeArray:
                    if (count > 2 && opaque.count(w[2]) != 0) {
                        opaque.insert(w[1]);
                    }
                    break;
                case spv::OpTypeStruct:
                    for (unsigned i = 2; i < count; ++i) {
                        if (opaque.count(w[i]) != 0) {
                            opaque.insert(w[1]);
                            opaqueStruct = true;
                        }
                    }
                    break;
                case spv::OpTypePointer:
                    if (count > 3 && opaque.count(w[3]) != 0) {
                        opaquePointers.insert(w[1]);
                    }
                    break;
                case spv::OpVariable:
                    // A local, or a static global (a written sampler global becomes one).
                    if (count > 3 &&
                        (w[3] == spv::StorageClassFunction || w[3] == spv::StorageClassPrivate) &&
                        opaquePointers.count(w[1]) != 0) {
                        return true;
                    }
                    break;
                default:
                    break;
            }
            return false;
        });
    return opaqueVariable || opaqueStruct;
}

namespace {

// Whether a static global (Private) variable holds a sampler.
bool hasPrivateSampler(const std::vector<unsigned>& spirv) {
    std::set<unsigned> opaque, privatePointers;
    return findInstruction(spirv, [&](spv::Op opcode, const unsigned* w, unsigned count) {
        if (opcode == spv::OpTypeImage || opcode == spv::OpTypeSampler ||
            opcode == spv::OpTypeSampledImage) {
            opaque.insert(w[1]);
        } else if (opcode == spv::OpTypePointer && count > 3 && w[2] == spv::StorageClassPrivate &&
                   opaque.count(w[3]) != 0) {
            privatePointers.insert(w[1]);
        } else if (opcode == spv::OpVariable && count > 3 && privatePointers.count(w[1]) != 0) {
            return true;
        }
        return false;
    });
}

}  // namespace

void makeStaticSamplersLocal(std::vector<unsigned>& spirv) {
    if (!hasPrivateSampler(spirv)) {
        return;
    }
#if CG_SPIRV_OPTIMIZER
    // glslang's own legalization leaves static globals where they are; SPIRV-Tools' moves those
    // that one function uses (all of them, once everything is inlined) into it, where the
    // sampler's copies fold away into the uniform they came from.
    spvtools::Optimizer optimizer(SPV_ENV_UNIVERSAL_1_0);
    optimizer.RegisterLegalizationPasses();
    spvtools::OptimizerOptions options;
    options.set_run_validator(false);
    std::vector<unsigned> out;
    if (optimizer.Run(spirv.data(), spirv.size(), &out, options)) {
        spirv = std::move(out);
    }
#else
    // The glslang built for the web and for Windows comes without SPIRV-Tools' optimizer: such a
    // module stays as it is, and SPIRV-Cross says what it cannot write. Only other programs'
    // shaders write their sampler globals.
#endif
}

void makeTextureMethodsCombined(std::vector<unsigned>& spirv) {
    std::set<unsigned> combinedTypes, combined;
    for (std::size_t at = SPIRV_HEADER_WORDS; at < spirv.size();) {
        unsigned* w = &spirv[at];
        const unsigned count = w[0] >> 16;
        if (count == 0 || at + count > spirv.size()) {
            return;
        }
        const auto opcode = static_cast<spv::Op>(w[0] & 0xFFFF);
        if (opcode == spv::OpTypeSampledImage) {
            combinedTypes.insert(w[1]);
        } else if ((opcode == spv::OpLoad || opcode == spv::OpFunctionParameter ||
                    opcode == spv::OpCopyObject) &&
                   count > 2 && combinedTypes.count(w[1]) != 0) {
            combined.insert(w[2]);
        } else if (opcode == spv::OpSampledImage && count == 5 && combined.count(w[3]) != 0) {
            // OpCopyObject type result operand, and a no-op for the word left over.
            w[0] = (4u << 16) | spv::OpCopyObject;
            w[4] = (1u << 16) | spv::OpNop;
            combined.insert(w[2]);
        } else if (opcode == spv::OpImageQueryLevels && count == 4) {
            w[0] = (3u << 16) | spv::OpUndef;
            w[3] = (1u << 16) | spv::OpNop;
        }
        at += count;
    }
}

bool foldsStaticSamplers() {
    return CG_SPIRV_OPTIMIZER != 0;
}

}  // namespace cgrt
