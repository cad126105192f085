// What NVIDIA's runtime lists as a program's parameters: the entry function's own, in the order
// the signature gives them, a struct as one parameter followed by its members ("IN.tex_coord"),
// varying inputs and outputs beside the uniforms. Read from the Cg text, since the compiled module
// has lost the signature (uniform parameters are moved out, structs of varyings split up).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace cgrt {

enum class Direction { In, Out, InOut };

struct EntryParameter {
    std::string name;      // "IN.tex_coord" for a member
    std::string type;      // the Cg type's name: "float4", "sampler2D", a struct's name
    std::string semantic;  // as written ("TEXCOORD0", "TEXUNIT2"); "" for none
    Direction direction = Direction::In;
    bool uniform = false;
    bool structure = false;  // its members follow it, one level deeper
    int arraySize = 0;       // of an array parameter (one dimension); 0 for none
    int depth = 0;           // 0 for the entry's own parameters
    bool result = false;     // the value the entry returns, named as the entry
    // What the GLSL profiles report instead: the semantic as written, or for a varying without one
    // cgc's name for it ("_IN1._TEX_COORD"), "" when the code does not read it.
    std::string glslSemantic;
};

// The parameters of `entry` in `code` (preprocessed: macros expanded), each struct followed by its
// members, and last the value it returns (unless void); empty when the entry is not found.
// `fragment` says whose: a fragment program takes a struct holding a sampler as uniform, with the
// word or without. A varying without a semantic is given the one of the resource cgc binds it to
// ("ATTR1" for a vertex input, "TEX0" between the stages); a vertex input among `unread` (named
// as listed here) is given none. The names the GLSL profiles report follow `unread` too.
std::vector<EntryParameter> entryParameters(const std::string& code, const std::string& entry,
                                            bool fragment,
                                            const std::vector<std::string>& unread = {});

// "TEXCOORD3" as ("TEXCOORD", 3), in upper case (semantics are read in any case); no digits is
// number 0, more than two 100, past every numbered semantic.
std::string splitSemantic(const std::string& semantic, int& number);

// The generic vertex attribute NVIDIA's GL profiles read a vertex input of `semantic` from, as
// ARB_vertex_program aliases them (POSITION 0, NORMAL 2, TEXCOORD3 11, ATTR5 5); -1 for a
// semantic that names none. Past 15 for a number no attribute has.
int vertexAttributeOf(const std::string& semantic);

// What a declaration outside functions declares: `uniform sampler2D s : TEXUNIT1;`.
struct GlobalDeclaration {
    std::string name;
    std::string semantic;  // "" for none
    std::string type;      // as written: "sampler2D", a struct's name
};

// What the declarations outside functions declare, in order.
std::vector<GlobalDeclaration> globalDeclarations(const std::string& code);

}  // namespace cgrt
