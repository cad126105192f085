#include "CgEntryParameters.h"

#include "CgDialect.h"
#include "CgEntryUniforms.h"
#include "CgScan.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

namespace cgrt {
namespace {

// Deeper nesting than any real shader has; a struct that holds itself stops there.
constexpr int MAX_DEPTH = 16;
// More parameters than any real program has: nested structs of many members each stop there
// rather than multiply without end.
constexpr std::size_t MAX_PARAMETERS = 4096;
// Larger than any array a program can be given values for.
constexpr long MAX_ARRAY_SIZE = 65536;

std::string trimmed(const std::string& s) {
    const std::size_t first = s.find_first_not_of(" \t\r\n");
    const std::size_t last = s.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : s.substr(first, last - first + 1);
}

bool qualifier(const std::string& word) {
    for (const char* q : {"in", "out", "inout", "uniform", "const", "varying", "static"}) {
        if (word == q) {
            return true;
        }
    }
    return false;
}

// One declaration "[qualifiers] TYPE NAME[N] [: SEMANTIC] [= VALUE]" (the value dropped).
struct Declaration {
    std::vector<std::string> qualifiers;
    std::string type;
    std::vector<std::string> names;  // "float2 a, b" declares two
    std::string semantic;
    int arraySize = 0;
};

// The size in the first "[N]" of `text`; 0 when there is none or it is no number.
int arraySizeIn(const std::string& text) {
    const std::size_t open = text.find('[');
    if (open == std::string::npos) {
        return 0;
    }
    const long size = std::strtol(text.c_str() + open + 1, nullptr, 10);
    return size > 0 && size <= MAX_ARRAY_SIZE ? static_cast<int>(size) : 0;
}

Declaration declarationOf(std::string text) {
    text = text.substr(0, text.find('='));
    Declaration d;
    const std::size_t colon = text.find(':');
    if (colon != std::string::npos) {
        d.semantic = trimmed(text.substr(colon + 1));
        text.erase(colon);
    }
    d.arraySize = arraySizeIn(text);
    std::string plain = text;
    // Array sizes are no names.
    for (std::size_t open = plain.find('['); open != std::string::npos; open = plain.find('[')) {
        const std::size_t close = plain.find(']', open);
        plain.erase(open, close == std::string::npos ? std::string::npos : close - open + 1);
    }
    std::vector<std::string> w = words(plain);
    std::size_t k = 0;
    while (k < w.size() && qualifier(w[k])) {
        d.qualifiers.push_back(w[k++]);
    }
    if (k < w.size()) {
        d.type = w[k++];
    }
    d.names.assign(w.begin() + static_cast<std::ptrdiff_t>(k), w.end());
    return d;
}

bool has(const Declaration& d, const char* word) {
    for (const std::string& q : d.qualifiers) {
        if (q == word) {
            return true;
        }
    }
    return false;
}

class Lister {
  public:
    explicit Lister(const std::string& code) : code_(code) {}

    // `held`: the translation takes it inside a uniform struct, though it is no uniform itself.
    void add(const Declaration& d, const std::string& prefix, const EntryParameter& outer,
             int depth, bool held) {
        for (const std::string& name : d.names) {
            if (out.size() >= MAX_PARAMETERS) {
                return;
            }
            EntryParameter p = outer;
            p.name = prefix + cgName(name);
            p.type = d.type;
            p.semantic = d.semantic;
            p.arraySize = d.arraySize;
            p.depth = depth;
            // A member is uniform in a uniform struct, or by its own word, as a sampler always is.
            p.uniform = outer.uniform || has(d, "uniform") || d.type.rfind("sampler", 0) == 0;
            std::size_t open = 0, close = 0;
            p.structure = findStruct(code_, d.type, open, close);
            out.push_back(p);
            heldInUniform.push_back(held);
            if (p.structure && depth < MAX_DEPTH) {
                addMembers(open, close, p, depth + 1, held);
            }
        }
    }

    std::vector<EntryParameter> out;
    std::vector<bool> heldInUniform;  // of each of `out`

  private:
    void addMembers(std::size_t open, std::size_t close, const EntryParameter& outer, int depth,
                    bool held) {
        const std::string body = code_.substr(open + 1, close - open - 1);
        std::size_t start = 0;
        for (std::size_t end = body.find(';'); end != std::string::npos;
             end = body.find(';', start)) {
            const std::string piece = body.substr(start, end - start);
            start = end + 1;
            // Member functions declare no value.
            const Declaration d = declarationOf(piece);
            if (!d.type.empty() && piece.find('(') == std::string::npos) {
                add(d, outer.name + ".", outer, depth, held);
            }
        }
    }

    const std::string& code_;
};

// Numeric scalars and vectors: the varyings a resource of their own can carry.
bool fitsOneResource(const EntryParameter& p) {
    if (p.structure || p.arraySize > 0) {
        return false;
    }
    for (const char* base : {"float", "half", "fixed", "int"}) {
        const std::string shape =
            p.type.rfind(base, 0) == 0 ? p.type.substr(std::strlen(base)) : std::string("x");
        if (shape.empty() || (shape.size() == 1 && shape[0] >= '1' && shape[0] <= '4')) {
            return true;
        }
    }
    return false;
}

// The resources varyings without a semantic are bound to: a vertex program's inputs to generic
// attributes, the varyings between the stages to texture coordinate sets.
enum class Slots { None, Attributes, TexCoords };

constexpr int ATTRIBUTES = 16;
constexpr int TEXCOORD_SETS = 8;

Slots slotsOf(const EntryParameter& p, bool fragment) {
    const bool input = p.direction != Direction::Out && !p.result;
    if (!fragment) {
        return input ? Slots::Attributes : Slots::TexCoords;
    }
    return input ? Slots::TexCoords : Slots::None;
}

// The slot a written semantic takes from those varyings; -1 for none.
int claimedSlot(Slots slots, const std::string& semantic) {
    if (slots == Slots::Attributes) {
        return vertexAttributeOf(semantic);
    }
    int number = 0;
    const std::string base = splitSemantic(semantic, number);
    return base == "TEXCOORD" || base == "TEX" ? number : -1;
}

// Binds each varying without a semantic as cgc binds it: once the written semantics have taken
// their resources, each in declaration order takes the lowest one left ("ATTR1", "TEX0"). The
// stages meet on those: a vertex output and the fragment input of the same number. One left
// over when they run out keeps no semantic, and is joined by name. A vertex input the code does
// not read takes no attribute, nor claims the one its semantic names; the varyings between the
// stages are bound whether read or not, so that both stages number them alike.
void bindFreeVaryings(std::vector<EntryParameter>& params, const std::vector<bool>& held,
                      bool fragment, const std::vector<std::string>& unread) {
    std::vector<bool> taken[3] = {
        {}, std::vector<bool>(ATTRIBUTES), std::vector<bool>(TEXCOORD_SETS)};
    std::vector<std::size_t> free;
    for (std::size_t i = 0; i < params.size(); ++i) {
        const EntryParameter& p = params[i];
        if (p.uniform || p.structure || held[i]) {
            continue;
        }
        const Slots slots = slotsOf(p, fragment);
        if (slots == Slots::Attributes &&
            std::find(unread.begin(), unread.end(), p.name) != unread.end()) {
            continue;
        }
        std::vector<bool>& used = taken[static_cast<int>(slots)];
        const int claimed = slots == Slots::None ? -1 : claimedSlot(slots, p.semantic);
        if (claimed >= 0 && claimed < static_cast<int>(used.size())) {
            used[static_cast<std::size_t>(claimed)] = true;
        } else if (slots != Slots::None && p.semantic.empty() && fitsOneResource(p)) {
            free.push_back(i);
        }
    }
    for (const std::size_t i : free) {
        const Slots slots = slotsOf(params[i], fragment);
        std::vector<bool>& used = taken[static_cast<int>(slots)];
        const auto slot = std::find(used.begin(), used.end(), false);
        if (slot != used.end()) {
            *slot = true;
            params[i].semantic =
                (slots == Slots::Attributes ? "ATTR" : "TEX") + std::to_string(slot - used.begin());
        }
    }
}

// Every identifier `code` spells, in any scope: cgc numbers its names for varyings past them.
std::set<std::string> identifiersIn(const std::string& code) {
    std::set<std::string> found;
    const auto wordChar = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    };
    for (std::size_t i = 0; i < code.size();) {
        if (!wordChar(code[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < code.size() && wordChar(code[end])) {
            ++end;
        }
        if (!std::isdigit(static_cast<unsigned char>(code[i]))) {
            found.insert(code.substr(i, end - i));
        }
        i = end;
    }
    return found;
}

std::string upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

// The number cgc appends to a name: the first that gives a name neither set holds ("_PREV7"
// beside the identifiers PREV1..PREV6).
int numberPast(const std::string& name, const std::set<std::string>& taken,
               const std::set<std::string>& alsoTaken = {}) {
    int number = 1;
    while (taken.count(name + std::to_string(number)) != 0 ||
           alsoTaken.count(name + std::to_string(number)) != 0) {
        ++number;
    }
    return number;
}

// cgc names things in this order: the globals and the entry parameters it binds by semantic (or
// holds as uniforms), then the members of the structs, then the parameters left. Spelled without
// its underscore, a member keeps its own name unless that is taken at file scope, by an entry
// parameter or a global, or by what was named before it ("_tex2" past the input tex named
// "_tex1"); the parameters left are numbered past the members' names too.
class GlslNamer {
  public:
    GlslNamer(const std::vector<EntryParameter>& params, const std::string& code)
        : identifiers_(identifiersIn(code)) {
        for (const GlobalDeclaration& g : globalDeclarations(code)) {
            taken_.insert(g.name);
        }
        for (const EntryParameter& p : params) {
            if (p.depth == 0) {
                taken_.insert(p.name);
                if (p.uniform || !p.semantic.empty()) {
                    taken_.insert(p.name + std::to_string(numberPast(p.name, identifiers_)));
                }
            }
        }
        for (const EntryParameter& p : params) {
            for (std::size_t dot = p.name.find('.'); dot != std::string::npos;) {
                const std::size_t next = p.name.find('.', dot + 1);
                const std::string member = p.name.substr(dot + 1, next - dot - 1);
                members_.emplace(member, memberName(member));
                dot = next;
            }
        }
        for (const auto& [member, name] : members_) {
            given_.insert(name);
        }
    }

    // The name cgc gives a varying without a semantic in the GLSL profiles, which NVIDIA's
    // runtime reports as its semantic: "_IN1", "_IN1._TEX_COORD".
    std::string operator()(const std::string& path) const {
        const std::size_t dot = path.find('.');
        const std::string top = path.substr(0, dot);
        std::string name = "_" + top + std::to_string(numberPast(top, identifiers_, given_));
        for (std::size_t from = dot; from != std::string::npos;) {
            const std::size_t next = path.find('.', from + 1);
            name += "._" + members_.at(path.substr(from + 1, next - from - 1));
            from = next;
        }
        return upper(name);
    }

  private:
    std::string memberName(const std::string& member) const {
        return taken_.count(member) == 0 ? member
                                         : member + std::to_string(numberPast(member, taken_));
    }

    std::set<std::string> identifiers_;
    std::set<std::string> taken_;                 // at file scope before the members are named
    std::map<std::string, std::string> members_;  // each member's name, by its own
    std::set<std::string> given_;                 // the members' names
};

// Where a parameter sits for cgc's reading of it: a member by its struct's type and path (cgc
// keeps a member of one struct type wherever the code reads it through any parameter), a
// parameter by its name.
std::string readingKey(const std::vector<EntryParameter>& params, std::size_t i) {
    const std::size_t dot = params[i].name.find('.');
    if (params[i].depth == 0 || dot == std::string::npos) {
        return params[i].name;
    }
    std::size_t top = i;
    while (top > 0 && params[top].depth > 0) {
        --top;
    }
    return params[top].type + params[i].name.substr(dot);
}

// Gives each varying without a written semantic the one the GLSL profiles report: cgc's name for
// it when the code reads (or writes) it, none when not.
void nameForGlsl(std::vector<EntryParameter>& params, const std::vector<bool>& held, bool fragment,
                 const std::string& code, const std::vector<std::string>& unread) {
    std::set<std::string> read;
    for (std::size_t i = 0; i < params.size(); ++i) {
        if (std::find(unread.begin(), unread.end(), params[i].name) == unread.end()) {
            read.insert(readingKey(params, i));
        }
    }
    const GlslNamer glslName(params, code);
    for (std::size_t i = 0; i < params.size(); ++i) {
        EntryParameter& p = params[i];
        p.glslSemantic = p.semantic;
        if (p.uniform || p.structure || held[i] || !p.semantic.empty() ||
            slotsOf(p, fragment) == Slots::None) {
            continue;
        }
        p.glslSemantic = read.count(readingKey(params, i)) != 0 ? glslName(p.name) : "";
    }
}

}  // namespace

std::vector<EntryParameter> entryParameters(const std::string& code, const std::string& entry,
                                            bool fragment, const std::vector<std::string>& unread) {
    const std::string blanked = text::withoutDirectives(code);
    Entry e;
    if (!findEntry(blanked, entry, e)) {
        return {};
    }
    Lister lister(blanked);
    for (const auto& [from, to] : parameterSpans(blanked, e)) {
        const Declaration d = declarationOf(blanked.substr(from, to - from));
        if (d.type.empty() || d.type == "void" || d.names.empty()) {
            continue;
        }
        EntryParameter p;
        p.direction = has(d, "inout") ? Direction::InOut
                      : has(d, "out") ? Direction::Out
                                      : Direction::In;
        // A fragment program takes a struct holding a sampler as uniform, with the word or
        // without; its other members are still varyings to the program's users.
        const bool held = fragment && !has(d, "uniform") && holdsSampler(blanked, d.type);
        lister.add(d, "", p, 0, held);
    }
    const std::vector<std::string> head = words(blanked.substr(e.signature, e.open - e.signature));
    if (head.size() >= 2 && head[head.size() - 2] != "void") {
        Declaration d;
        d.type = head[head.size() - 2];
        d.names.push_back(entry);
        const std::string tail = blanked.substr(e.close + 1, e.body - e.close - 1);
        const std::size_t colon = tail.find(':');
        d.semantic = colon == std::string::npos ? "" : trimmed(tail.substr(colon + 1));
        EntryParameter p;
        p.direction = Direction::Out;
        p.result = true;
        lister.add(d, "", p, 0, false);
    }
    nameForGlsl(lister.out, lister.heldInUniform, fragment, blanked, unread);
    bindFreeVaryings(lister.out, lister.heldInUniform, fragment, unread);
    return lister.out;
}

std::string splitSemantic(const std::string& semantic, int& number) {
    std::string base;
    for (const char c : semantic) {
        base += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    std::size_t end = base.size();
    while (end > 0 && std::isdigit(static_cast<unsigned char>(base[end - 1]))) {
        --end;
    }
    const std::size_t digits = base.size() - end;
    number = digits == 0 ? 0 : digits > 2 ? 100 : std::atoi(base.c_str() + end);
    return base.substr(0, end);
}

int vertexAttributeOf(const std::string& semantic) {
    static const std::pair<const char*, int> FIRST_ATTRIBUTES[] = {
        {"POSITION", 0}, {"BLENDWEIGHT", 1}, {"NORMAL", 2}, {"COLOR", 3},        {"DIFFUSE", 3},
        {"SPECULAR", 4}, {"FOGCOORD", 5},    {"PSIZE", 6},  {"BLENDINDICES", 7}, {"TEXCOORD", 8},
        {"TANGENT", 14}, {"BINORMAL", 15},   {"ATTR", 0}};
    int number = 0;
    const std::string base = splitSemantic(semantic, number);
    for (const auto& [name, first] : FIRST_ATTRIBUTES) {
        if (base == name) {
            return first + number;
        }
    }
    return -1;
}

std::vector<GlobalDeclaration> globalDeclarations(const std::string& code) {
    const std::string blanked = text::withoutDirectives(code);
    std::vector<GlobalDeclaration> out;
    for (const auto& [from, end] : topLevelStatements(blanked)) {
        // What the names are declared with; the initializer does not matter.
        const std::size_t head = std::min(blanked.find('=', from), end);
        const std::string piece = blanked.substr(from, head - from);
        if (piece.find_first_of("(){}") != std::string::npos) {
            continue;
        }
        const Declaration d = declarationOf(piece);
        for (const std::string& name : d.names) {
            out.push_back({cgName(name), d.semantic, d.type});
        }
    }
    return out;
}

}  // namespace cgrt
