#include "CgReads.h"

#if CG_SPIRV_OPTIMIZER
#include <spirv-tools/optimizer.hpp>
#endif

#include "CgDialect.h"
#include "CgSpirvWalk.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <utility>

namespace cgrt {

namespace {

// The module with what does not reach an output taken out (inlined, folded, dead code gone), or
// nullopt when that cannot be had.
std::optional<std::vector<unsigned>> optimized(const std::vector<unsigned>& spirv) {
#if CG_SPIRV_OPTIMIZER
    spvtools::Optimizer optimizer(SPV_ENV_UNIVERSAL_1_0);
    optimizer.RegisterLegalizationPasses();
    optimizer.RegisterPerformancePasses();
    spvtools::OptimizerOptions options;
    options.set_run_validator(false);
    std::vector<unsigned> out;
    if (optimizer.Run(spirv.data(), spirv.size(), &out, options)) {
        return out;
    }
#else
    (void)spirv;
#endif
    return std::nullopt;
}

// A literal string of an instruction, from word `first` on.
std::string literal(const unsigned* w, unsigned count, unsigned first) {
    std::string text;
    for (unsigned i = first; i < count; ++i) {
        for (int byte = 0; byte < 4; ++byte) {
            const char c = static_cast<char>((w[i] >> (8 * byte)) & 0xFF);
            if (c == '\0') {
                return text;
            }
            text += c;
        }
    }
    return text;
}

// Where a pointer of the code points: the parameter's name so far and the type it points at.
// A name can grow by struct members only; past an array, vector or matrix index it stays.
struct Place {
    std::string name;
    unsigned type = 0;
};

// Reads one module and gathers its uses.
class UseFinder {
  public:
    Uses find(const std::vector<unsigned>& spirv) {
        findInstruction(spirv, [this](spv::Op opcode, const unsigned* w, unsigned count) {
            visit(opcode, w, count);
            return false;
        });
        return uses_;
    }

  private:
    void visit(spv::Op opcode, const unsigned* w, unsigned count) {
        switch (opcode) {
            case spv::OpEntryPoint:
                if (count > 3) {
                    entry_ = literal(w, count, 3);
                }
                break;
            case spv::OpUndef:
                if (count > 2) {
                    undefined_.insert(w[2]);
                }
                break;
            case spv::OpStore:
                if (count > 2 && undefined_.count(w[2]) == 0) {
                    use(w[1], uses_.writes);
                }
                break;
            case spv::OpName:
                if (count > 2) {
                    names_[w[1]] = literal(w, count, 2);
                }
                break;
            case spv::OpMemberName:
                if (count > 3) {
                    memberNames_[{w[1], w[2]}] = literal(w, count, 3);
                }
                break;
            case spv::OpTypeStruct:
                structs_[w[1]] = std::vector<unsigned>(w + 2, w + count);
                break;
            case spv::OpTypePointer:
                if (count > 3) {
                    pointees_[w[1]] = w[3];
                }
                break;
            case spv::OpConstant:
                if (count > 3) {
                    constants_[w[2]] = w[3];
                }
                break;
            case spv::OpVariable:
                if (count > 3) {
                    addVariable(w[1], w[2], static_cast<spv::StorageClass>(w[3]));
                }
                break;
            case spv::OpAccessChain:
            case spv::OpInBoundsAccessChain:
                if (count > 3) {
                    chain(w[2], w[3], w + 4, count - 4);
                }
                break;
            case spv::OpLoad:
                if (count > 3) {
                    read(w[3]);
                }
                break;
            case spv::OpCopyMemory:
                if (count > 2) {
                    read(w[2]);
                    use(w[1], uses_.writes);
                }
                break;
            case spv::OpFunctionCall:
                for (unsigned i = 4; i < count; ++i) {
                    read(w[i]);
                }
                break;
            default:
                break;
        }
    }

    // Inputs, outputs and samplers are named by their variables (the entry's result as the entry
    // is); a uniform block's members by theirs.
    void addVariable(unsigned pointerType, unsigned id, spv::StorageClass storage) {
        if (storage != spv::StorageClassInput && storage != spv::StorageClassOutput &&
            storage != spv::StorageClassUniform && storage != spv::StorageClassUniformConstant) {
            return;
        }
        const auto named = names_.find(id);
        const bool block = storage == spv::StorageClassUniform;
        std::string name = block || named == names_.end() ? "" : named->second;
        const std::string result = "@entryPointOutput";
        if (name.compare(0, result.size(), result) == 0) {
            name.replace(0, result.size(), entry_);
        }
        places_[id] = {cgName(name), pointees_[pointerType]};
    }

    void chain(unsigned id, unsigned base, const unsigned* indices, unsigned count) {
        const auto from = places_.find(base);
        if (from == places_.end()) {
            return;
        }
        Place place = from->second;
        for (unsigned i = 0; i < count; ++i) {
            const auto members = structs_.find(place.type);
            const auto index = constants_.find(indices[i]);
            if (members == structs_.end() || index == constants_.end() ||
                index->second >= members->second.size()) {
                break;
            }
            const std::string member = cgName(memberNames_[{place.type, index->second}]);
            place.name += place.name.empty() ? member : "." + member;
            place.type = members->second[index->second];
        }
        places_[id] = place;
    }

    void use(unsigned pointer, std::set<std::string>& names) {
        const auto place = places_.find(pointer);
        if (place != places_.end()) {
            names.insert(place->second.name);
        }
    }

    void read(unsigned pointer) {
        const auto place = places_.find(pointer);
        if (place != places_.end() && uses_.reads.insert(place->second.name).second) {
            uses_.firstReads.push_back(place->second.name);
        }
    }

    std::map<unsigned, std::string> names_;
    std::map<std::pair<unsigned, unsigned>, std::string> memberNames_;
    std::map<unsigned, std::vector<unsigned>> structs_;
    std::map<unsigned, unsigned> pointees_;
    std::map<unsigned, unsigned> constants_;
    std::map<unsigned, Place> places_;
    std::set<unsigned> undefined_;
    std::string entry_;
    Uses uses_;
};

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// Whether the parameter `name` is among `uses`: itself, a member of it, or a struct holding it
// whole ("": a whole uniform block, which holds them all).
bool isUsed(const std::set<std::string>& uses, const std::string& name) {
    for (const std::string& r : uses) {
        if (r.empty() || r == name || startsWith(r, name + ".") || startsWith(name, r + ".")) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::optional<Uses> usesOf(const std::vector<unsigned>& spirv) {
    const std::optional<std::vector<unsigned>> code = optimized(spirv);
    if (!code) {
        return std::nullopt;
    }
    return UseFinder().find(*code);
}

std::vector<std::string> unusedNames(const std::optional<Uses>& found,
                                     const std::vector<Uniform>& uniforms,
                                     const std::vector<EntryParameter>& parameters,
                                     std::vector<std::string>* samplersByFirstRead) {
    if (!found) {
        return {};
    }
    const Uses& uses = *found;
    std::vector<std::string> unused;
    for (const Uniform& u : uniforms) {
        if (!isUsed(uses.reads, u.name)) {
            unused.push_back(u.name);
        }
    }
    for (const std::string& name : uses.firstReads) {
        const auto sampler = std::find_if(uniforms.begin(), uniforms.end(), [&](const Uniform& u) {
            return u.kind == UniformKind::Sampler && u.name == name;
        });
        if (samplersByFirstRead != nullptr && sampler != uniforms.end()) {
            samplersByFirstRead->push_back(name);
        }
    }
    for (const EntryParameter& p : parameters) {
        const bool input = p.direction == Direction::In && !p.result;
        if (!p.uniform && !p.structure && !isUsed(input ? uses.reads : uses.writes, p.name)) {
            unused.push_back(p.name);
        }
    }
    return unused;
}

}  // namespace cgrt
