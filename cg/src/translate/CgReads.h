// What the compiled code reads of its inputs and uniforms and writes of its outputs. NVIDIA's
// runtime answers cgIsParameterReferenced from its compiler's optimized code, and gives an unused
// parameter no resource; hosts skip the varyings they need not feed by it. Our own module copies
// every input in its entry wrapper, so the question is asked of it after dead code is taken out.
#pragma once

#include "CgEntryParameters.h"
#include "CgTranslator.h"

#include <string>
#include <vector>

namespace cgrt {

// The names, as the program writes them ("IN.video_size", "t1", "main.color"), of the varying
// inputs in `parameters` and of the `uniforms` that `spirv` never reads once optimized, and of the
// varying outputs it never gives a value. Empty when the optimizer is not built in or fails: every
// parameter may then be used, as the runtime answered before it knew. `samplersByFirstRead`, when
// given, is filled with the sampler uniforms the code reads, in the order it first reads them.
std::vector<std::string> unusedNames(const std::vector<unsigned>& spirv,
                                     const std::vector<Uniform>& uniforms,
                                     const std::vector<EntryParameter>& parameters,
                                     std::vector<std::string>* samplersByFirstRead = nullptr);

}  // namespace cgrt
