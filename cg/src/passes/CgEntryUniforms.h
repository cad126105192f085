// Cg treats a `uniform` parameter of the entry function as a global uniform that the program may
// also write (the write changes its own copy). glslang's HLSL takes such parameters too, but
// refuses writes to them and mishandles structs holding samplers among them (its legalization
// crashes). Sampler parameters are uniform in Cg with the word or without. They are moved out of
// the parameter list before glslang reads the source: samplers, and structs holding one, become
// globals of the same name; any other becomes a global of a prefixed name, copied into a local of
// its own name where the body starts.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cgrt {

// Lines stay where they were. A source without such parameters comes back as it is, as does one
// whose entry cannot be found in the text (its parameters written by a macro, say).
// `fragment` says the entry is a fragment program's.
std::string withEntryUniformsMoved(std::string_view source, const std::string& entry,
                                   bool fragment);

// Cg's global variables are uniform unless `static`, and a program may write them too (the write
// changes its own copy); glslang's HLSL refuses such writes. A global the source writes becomes a
// uniform of the prefixed name copied into a static of its own name; a sampler, or a struct
// holding one, simply becomes static, as it is only ever assigned from another. Lines stay.
std::string withWrittenGlobalsCopied(std::string_view source);

struct Entry {
    std::size_t signature;  // its line's first character, or where the declaration before it ends
    std::size_t open;       // its '('
    std::size_t close;      // its ')'
    std::size_t body;       // its '{'
};

// Where the definition of the function `entry` stands in `code` (comments and directives blanked);
// false when there is none outside braces.
bool findEntry(const std::string& code, const std::string& entry, Entry& e);

// [start, end) of each of the entry's parameters in `code`, split at the top level's commas.
std::vector<std::pair<std::size_t, std::size_t>> parameterSpans(const std::string& code,
                                                                const Entry& e);

// [start, end) of each statement outside braces that ends with a ';' (at `end`), in order, brace
// lists and struct definitions included; a definition that ends with its '}' is none.
std::vector<std::pair<std::size_t, std::size_t>> topLevelStatements(const std::string& code);

// The identifiers of `code`, in order.
std::vector<std::string> words(const std::string& code);

// Where the first `struct type { ... }` from `from` on has its braces in `code`; false when the
// source defines no such struct there.
bool findStruct(const std::string& code, const std::string& type, std::size_t& open,
                std::size_t& close, std::size_t from = 0);

// Whether values of the type named `type` hold a sampler: a sampler type, or a struct of the
// source with one among its members.
bool holdsSampler(const std::string& code, const std::string& type);

// The prefix of the globals that stand for non-sampler uniform parameters.
constexpr const char* ENTRY_UNIFORM_PREFIX = "cgu_";

}  // namespace cgrt
