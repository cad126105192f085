// Cg starts a global uniform declared with an initializer (`float threshold = 0.001;`,
// `float3x3 m = float3x3(...)`) at the initializer's value, until the program sets another;
// glslang's HLSL drops the initializer. It is read back from the source here.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace cgrt {

// Each global that is neither static nor const and is declared alone with an initializer, by name,
// with its values in the order written (a matrix row by row). `source` is preprocessed. Only
// numbers, constructors of float types, brace lists, parentheses and + - * / are read: a global
// whose initializer holds anything else (a function call, another variable) is left out.
// The parameters of the function `entry` declared `uniform` with a default count as well.
std::map<std::string, std::vector<float>> uniformInitializers(const std::string& source,
                                                              const std::string& entry);

// Each global declared `const` (not static) alone with an initializer that can be read as above,
// in the order declared, with its values. NVIDIA's runtime lists these among the parameters.
std::vector<std::pair<std::string, std::vector<float>>> constantInitializers(
    const std::string& source);

// Whether `source` (before preprocessing) may hold such a global or parameter: a '=' outside
// braces.
bool mayInitializeGlobals(const std::string& source);

}  // namespace cgrt
