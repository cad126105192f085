// Cg and the HLSL that glslang reads are close but not the same language. What differs is bridged
// on the source text, before glslang sees it, and undone on what comes back (parameter names).
#pragma once

#include "CgError.h"

#include <set>
#include <string>
#include <string_view>

namespace cgrt {

// Words glslang's HLSL front end reserves (`texture`, `point`, `sample`, ...) that Cg programs use
// as names get a prefix, everywhere outside comments and strings; line structure is kept.
std::string renameReservedWords(std::string_view source);
// Arrays of vectors that Cg lets be initialized with their scalars one after another
// (`float2 a[2] = {1, 2, 3, 4}`), which glslang refuses, get each vector's constructor around its
// scalars. Lines stay.
std::string withVectorArraysGrouped(std::string_view source);
// Cg's preprocessor passes over what follows the name of an #ifdef or #ifndef, or the word of an
// #else or #endif (`#ifdef PARAMETER_UNIFORM;`), which glslang's refuses: it is dropped, comments
// kept. Lines stay.
std::string withDirectivesTrimmed(std::string_view source);
// Cg takes a struct defined twice alike (one file defines `struct input` twice); glslang does
// not. The second definition is blanked, lines kept, unless a conditional directive stands
// between the two (they may be two branches of an #if).
std::string withRepeatedStructsDropped(std::string_view source);
// Cg computes `i *= 0.5` on an integer in float and converts the result back, where glslang's
// HLSL converts the right side first (`i *= 0`). A compound assignment (+=, -=, *=, /=) to a name
// declared as an integer is written out (`i = i * (0.5)`), which HLSL types as Cg does. Lines stay.
std::string withIntegerUpdatesWidened(std::string_view source);
// Cg compiles a function whose declaration starts with a profile's name (`arbfp1 float depth(...)`)
// only for that profile. Of the profiles of the stage being compiled that this translator stands
// for (glslf, gp4fp, fp40, fp30, arbfp1, fp20 and their vertex counterparts, in that order of
// preference), each function keeps the definitions of the first it has, without the name; every
// other profile's definitions are dropped, as are geometry programs (declarations starting with a
// primitive word such as POINT or TRIANGLE_ADJ), which no vertex or fragment program can call.
// Lines stay.
std::string withProfileFunctionsChosen(std::string_view source, bool fragment);
// Cg takes a parameter's direction after its type too (`float4 out color : COLOR`); glslang only
// before it. The two words change places. Lines stay.
std::string withDirectionsFirst(std::string_view source);
// Where the definition of the function `entry` starts in `source`, the line counted as #line
// markers say (and the file named by the last one), or `name` as a whole when there is no such
// definition.
CgLocation entryLocation(std::string_view source, const std::string& name,
                         const std::string& entry);
// Cg passes a vector where a function of the source declares a scalar parameter, and takes its
// first component (`or(float, float, float)` given a float2); glslang finds no function then. An
// argument at a place where every definition of that name and number of parameters takes a scalar
// (not `out`) is cast to it: `(float)(x)`. Lines stay.
std::string withScalarArgumentsNarrowed(std::string_view source);
// The names of the functions `source` defines (with a body).
std::set<std::string> definedFunctions(std::string_view source);
// A name as the program wrote it: the prefix taken off every part of "a.b.c".
std::string cgName(const std::string& name);

}  // namespace cgrt
