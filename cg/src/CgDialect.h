// Cg and the HLSL that glslang reads are close but not the same language. What differs is bridged
// on the source text, before glslang sees it, and undone on what comes back (parameter names).
#pragma once

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
// A name as the program wrote it: the prefix taken off every part of "a.b.c".
std::string cgName(const std::string& name);

}  // namespace cgrt
