// Cg compiles only what the entry function reaches: shader libraries carry wrappers for every
// texture lookup the language has, and code that names things a given program never defines.
// glslang checks every function it reads, so those unreached are cut down to prototypes first.
#pragma once

#include <string>
#include <string_view>

namespace cgrt {

// `source` with the body of every top-level function that `entry` cannot reach (directly, through
// other functions, through the macros they use, or through text outside function bodies such as
// globals' initializers) replaced by ";".
// Line breaks are kept, so diagnostics keep their lines. A source whose braces do not pair up, or
// that has no function named `entry`, comes back as it is.
std::string withoutUnreachedFunctions(std::string_view source, const std::string& entry);

}  // namespace cgrt
