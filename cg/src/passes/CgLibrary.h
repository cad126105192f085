// Cg's standard library where glslang's HLSL (or GLSL 1.20) lacks a function or gives it another
// meaning: one table of functions, each with the definitions the translation gives it and the way
// calls reach them. The passes over the text rename the calls; the translator puts the
// definitions before the source.
#pragma once

#include <string>
#include <string_view>

namespace cgrt {

// Cg's type names that HLSL lacks, as definitions: the preamble of the preprocessing that explains
// a failed parse, which counts lines in its output and must not see the functions' code.
const char* libraryTypes();
// The same but `fixed`, which stays itself: for reading declarations the runtime reports by type,
// as NVIDIA's does.
const char* declaredTypes();

// The types and the library's definitions, but for those the source defines itself.
std::string libraryPreamble(std::string_view source);

// The name a call of the function `name` is given: its own, or the library's version of it.
std::string_view libraryCall(std::string_view name);

}  // namespace cgrt
