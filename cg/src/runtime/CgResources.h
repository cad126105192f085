// Where NVIDIA's GL profiles put a parameter: the resource a semantic stands for, and the names
// cgGetResourceString gives resources.
#pragma once

#include <Cg/cg.h>

#include <string>

namespace cgrt {

// The resource of a varying of `semantic` ("TEXCOORD1", "COLOR") in `profile`, read (`input`) or
// written, a `member` of a struct or not; CG_UNDEFINED for a semantic the profile has no place
// for.
CGresource varyingResource(CGprofile profile, bool input, const std::string& semantic, bool member);

// The resource that numbers the ones of its kind (CG_ATTR0 for CG_ATTR5) and the number;
// CG_UNDEFINED and 0 for one that stands alone (CG_HPOS, CG_C).
CGresource baseResource(CGresource resource);
unsigned long resourceIndex(CGresource resource);

}  // namespace cgrt
