// What the compiled code reads of its inputs and uniforms and writes of its outputs. NVIDIA's
// runtime answers cgIsParameterReferenced from its compiler's optimized code, and gives an unused
// parameter no resource; hosts skip the varyings they need not feed by it. Our own module copies
// every input in its entry wrapper, so the question is asked of it after dead code is taken out.
#pragma once

#include "CgEntryParameters.h"
#include "CgTranslator.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace cgrt {

// What the code of a module reads of its inputs and uniforms, and writes of its outputs with a
// value (a store of an undefined value, all that is left of a member the entry never set, is
// none), by name.
struct Uses {
    std::set<std::string> reads;
    std::set<std::string> writes;
    std::vector<std::string> firstReads;  // the reads, each where the code first reads it
};

// What `spirv` uses once optimized; none when the optimizer is not built in or fails. Optimizing
// is the costly part, so a translation asks once and reads the answer as often as it needs.
std::optional<Uses> usesOf(const std::vector<unsigned>& spirv);

// The names, as the program writes them ("IN.video_size", "t1", "main.color"), of the varying
// inputs in `parameters` and of the `uniforms` that the code never reads, and of the varying
// outputs it never gives a value. Empty without `uses`: every parameter may then be used, as the
// runtime answered before it knew. `samplersByFirstRead`, when given, is filled with the sampler
// uniforms the code reads, in the order it first reads them.
std::vector<std::string> unusedNames(const std::optional<Uses>& uses,
                                     const std::vector<Uniform>& uniforms,
                                     const std::vector<EntryParameter>& parameters,
                                     std::vector<std::string>* samplersByFirstRead = nullptr);

}  // namespace cgrt
