#include "CgDialect.h"

#include "CgLibrary.h"
#include "CgScan.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <cstring>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <vector>

namespace cgrt {

using namespace text;

namespace {

const char PREFIX[] = "cgw_";

// Keywords of glslang's HLSL that are ordinary identifiers in Cg.
const char* const RESERVED[] = {"texture",
                                "point",
                                "sample",
                                "line",
                                "triangle",
                                "lineadj",
                                "triangleadj",
                                "linear",
                                "centroid",
                                "nointerpolation",
                                "noperspective",
                                "precise",
                                "shared",
                                "groupshared",
                                "snorm",
                                "unorm",
                                "packoffset",
                                "pass",
                                "technique",
                                "compile",
                                "cbuffer",
                                "tbuffer",
                                "globallycoherent",
                                "vector",
                                "matrix",
                                "string",
                                "dword",
                                "Buffer",
                                "SamplerState",
                                "Texture"};

bool isReserved(std::string_view word) {
    return std::find(std::begin(RESERVED), std::end(RESERVED), word) != std::end(RESERVED);
}

// The name a call of `word` is given: the library's own (see CgLibrary.h) for a call, unless the
// source defines a function of that name itself. Cg takes the source's overloads beside the
// library's; renamed, the source's definition would clash with the library's.
std::string_view libraryName(std::string_view word, std::string_view after,
                             const std::set<std::string>& own) {
    const std::size_t next = after.find_first_not_of(" \t");
    if (next == std::string_view::npos || after[next] != '(' || own.count(std::string(word)) != 0) {
        return word;
    }
    return libraryCall(word);
}

// GLSL's matrix type names, which Cg sources ported from GLSL use: matNxM is Cg's floatNxM.
bool glslMatrixName(std::string_view word) {
    const auto dimension = [](char c) { return c >= '2' && c <= '4'; };
    return word.size() == 6 && word.compare(0, 3, "mat") == 0 && dimension(word[3]) &&
           word[4] == 'x' && dimension(word[5]);
}

// A matrix of booleans, on which glslang's HLSL crashes (SPIR-V has none): boolNxM is floatNxM,
// its elements 1 and 0, which Cg's conversions give where a bool is wanted again.
bool boolMatrixName(std::string_view word) {
    const auto dimension = [](char c) { return c >= '1' && c <= '4'; };
    return word.size() == 7 && word.compare(0, 4, "bool") == 0 && dimension(word[4]) &&
           word[5] == 'x' && dimension(word[6]);
}

// A matrix with one row or one column, which glslang's HLSL cannot construct: floatNx1 and
// float1xN are the vector floatN. Products keep their values: mul of a matrix and a column is
// the matrix and the vector's, mul of a row and a column is their dot product, as for vectors.
bool singleLineMatrix(std::string_view word) {
    const auto dimension = [](char c) { return c >= '1' && c <= '4'; };
    return word.size() == 8 && word.compare(0, 5, "float") == 0 && dimension(word[5]) &&
           word[6] == 'x' && dimension(word[7]) && (word[5] == '1' || word[7] == '1');
}

// Where GLSL's array constructor `TYPE[N](a, b, ...)` that starts past `word` (at `end`) opens its
// argument list; npos when there is none there. Cg writes the same as the initializer {a, b, ...}.
std::size_t arrayConstructorOpen(std::string_view source, std::size_t end) {
    std::size_t i = source.find_first_not_of(" \t", end);
    if (i == std::string_view::npos || source[i] != '[') {
        return std::string_view::npos;
    }
    i = source.find_first_not_of(" \t0123456789", i + 1);
    if (i == std::string_view::npos || source[i] != ']') {
        return std::string_view::npos;
    }
    i = source.find_first_not_of(" \t", i + 1);
    return i != std::string_view::npos && source[i] == '(' ? i : std::string_view::npos;
}

}  // namespace

std::string renameReservedWords(std::string_view source) {
    std::string out;
    out.reserve(source.size() + 64);
    std::size_t i = 0;
    // Where the ')' of array constructors turned into initializers stand, in the order they come.
    std::vector<std::size_t> closers;
    const std::set<std::string> own = definedFunctions(source);
    // Directive names (#line) are no identifiers to rename.
    const std::vector<Span> directives = directivesOf(source);
    auto directive = directives.begin();
    bool directiveNameNext = false;
    while (i < source.size()) {
        if (!closers.empty() && closers.back() == i) {
            closers.pop_back();
            out += '}';
            ++i;
            continue;
        }
        const Lexeme l = lexemeAt(source, i);
        if (l.kind != Piece::Word) {
            directiveNameNext = directiveNameNext && l.kind == Piece::Blank;
            if (directive != directives.end() && directive->start <= i) {
                directiveNameNext = directive->start == i;
                ++directive;
            }
            out.append(source.substr(i, l.end - i));
            i = l.end;
            continue;
        }
        const std::string_view word = source.substr(i, l.end - i);
        const std::size_t open = arrayConstructorOpen(source, l.end);
        const std::size_t close =
            open == std::string_view::npos ? open : closingParen(source, open);
        if (close != std::string_view::npos) {
            // Nested ones close first: the list stays ordered with the nearest last.
            closers.push_back(close);
            std::sort(closers.rbegin(), closers.rend());
            out += '{';
            i = open + 1;
            continue;
        }
        if (isReserved(word) && !directiveNameNext) {
            out += PREFIX;
        }
        directiveNameNext = false;
        if (glslMatrixName(word)) {
            out += "float";
            out.append(word.substr(3));
        } else if (boolMatrixName(word)) {
            out += "float";
            out.append(word.substr(4));
        } else if (singleLineMatrix(word)) {
            out += "float";
            out += word[5] == '1' ? word[7] : word[5];
        } else {
            out.append(libraryName(word, source.substr(l.end), own));
        }
        i = l.end;
    }
    return out;
}

namespace {

// Where the part of a directive line that glslang takes ends, or npos for a line that is no
// #ifdef, #ifndef, #else or #endif.
std::size_t directiveEnd(std::string_view line) {
    std::size_t end = 0;
    const std::string_view word = directiveWord(line, end);
    if (word == "ifdef" || word == "ifndef") {
        return wordEnd(line, skipSpaces(line, end));
    }
    return word == "else" || word == "endif" ? end : std::string_view::npos;
}

}  // namespace

std::string withDirectivesTrimmed(std::string_view source) {
    std::string out;
    out.reserve(source.size());
    std::size_t start = 0;
    while (start < source.size()) {
        std::size_t newline = source.find('\n', start);
        if (newline == std::string_view::npos) {
            newline = source.size();
        }
        const std::string_view line = source.substr(start, newline - start);
        const std::size_t end = directiveEnd(line);
        std::size_t keepFrom = end;
        if (end != std::string_view::npos) {
            keepFrom = commentFrom(line, end);
            const std::size_t text = line.find_first_not_of(" \t\r", end);
            if (text == std::string_view::npos || text == keepFrom) {
                keepFrom = end;  // nothing but blanks or a comment: as it is
            }
        }
        if (end == std::string_view::npos || keepFrom == end) {
            out.append(line);
        } else {
            out.append(line.substr(0, end));
            if (keepFrom != std::string_view::npos) {
                out.append(" ").append(line.substr(keepFrom));
            }
        }
        if (newline < source.size()) {
            out += '\n';
        }
        start = newline + 1;
    }
    return out;
}

namespace {

std::string withoutBlanks(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (std::isspace(static_cast<unsigned char>(c)) == 0) {
            out += c;
        }
    }
    return out;
}

// Whether a line of text[from, to) is an #if, #ifdef, #ifndef, #elif, #else or #endif.
bool hasConditional(std::string_view text, std::size_t from, std::size_t to) {
    for (std::size_t at = from; at < to;) {
        const std::size_t lineEnd = std::min(text.find('\n', at), to);
        std::size_t end = 0;
        const std::string_view word = directiveWord(text.substr(at, lineEnd - at), end);
        if (word == "if" || word == "ifdef" || word == "ifndef" || word == "elif" ||
            word == "else" || word == "endif") {
            return true;
        }
        at = lineEnd + 1;
    }
    return false;
}

struct Definition {
    std::string body;  // without blanks
    std::size_t end;   // just after its ';'
};

}  // namespace

std::string withRepeatedStructsDropped(std::string_view source) {
    std::string out(source);
    std::map<std::string, Definition> seen;
    const std::string keyword = "struct";
    for (std::size_t at = out.find(keyword); at != std::string::npos;
         at = out.find(keyword, at + 1)) {
        const std::size_t afterKeyword = at + keyword.size();
        if ((at > 0 && identChar(out[at - 1])) ||
            (afterKeyword < out.size() && identChar(out[afterKeyword]))) {
            continue;
        }
        const std::size_t nameStart = skipBlanks(out, afterKeyword);
        std::size_t nameEnd = nameStart;
        while (nameEnd < out.size() && identChar(out[nameEnd])) {
            ++nameEnd;
        }
        const std::size_t open = skipBlanks(out, nameEnd);
        if (nameEnd == nameStart || open >= out.size() || out[open] != '{') {
            continue;
        }
        const std::size_t close = out.find('}', open);
        const std::size_t semicolon =
            close == std::string::npos ? close : skipBlanks(out, close + 1);
        if (semicolon >= out.size() || out[semicolon] != ';') {
            continue;
        }
        const std::string name = out.substr(nameStart, nameEnd - nameStart);
        Definition definition{withoutBlanks(out.substr(open, close - open)), semicolon + 1};
        const auto earlier = seen.find(name);
        if (earlier == seen.end()) {
            seen.emplace(name, std::move(definition));
        } else if (earlier->second.body == definition.body &&
                   !hasConditional(out, earlier->second.end, at)) {
            for (std::size_t i = at; i <= semicolon; ++i) {
                out[i] = out[i] == '\n' ? '\n' : ' ';
            }
        } else {
            earlier->second = std::move(definition);
        }
    }
    return out;
}

std::string cgName(const std::string& name) {
    std::string out;
    const std::size_t prefixLength = sizeof PREFIX - 1;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = name.find('.', start);
        std::string part = name.substr(start, dot == std::string::npos ? dot : dot - start);
        if (part.compare(0, prefixLength, PREFIX) == 0 && isReserved(part.substr(prefixLength))) {
            part.erase(0, prefixLength);
        }
        // An entry's uniform parameter moved out to a global (see CgEntryUniforms.h).
        if (start == 0 && part.compare(0, 4, "cgu_") == 0) {
            part.erase(0, 4);
        }
        out += part;
        if (dot == std::string::npos) {
            return out;
        }
        out += '.';
        start = dot + 1;
    }
}

namespace {

// float2..float4, half2..half4, int2..int4
bool isVectorType(const std::string& word) {
    const std::string base = word.substr(0, word.size() - 1);
    return word.size() > 1 && word.back() >= '2' && word.back() <= '4' &&
           (base == "float" || base == "half" || base == "int");
}

}  // namespace

std::string withVectorArraysGrouped(std::string_view source) {
    std::string out(source);
    std::vector<std::pair<std::size_t, std::string>> groups;  // where each '(' or ')' goes
    const std::string text(source);
    const std::vector<Word> words = wordsOf(text);
    for (std::size_t w = 0; w + 1 < words.size(); ++w) {
        // "float2 name [ 2 ] = {"
        const std::string type = text.substr(words[w].start, words[w].end - words[w].start);
        const std::size_t bracket = skipBlanks(text, words[w + 1].end);
        const std::size_t digits = skipBlanks(text, bracket + 1);
        const std::size_t digitsEnd =
            std::min(text.find_first_not_of("0123456789", digits), text.size());
        const std::size_t closeBracket = skipBlanks(text, digitsEnd);
        const std::size_t equals = skipBlanks(text, closeBracket + 1);
        const std::size_t open = skipBlanks(text, equals + 1);
        if (!isVectorType(type) || !blanksBetween(text, words[w], words[w + 1]) ||
            open >= text.size() || text[bracket] != '[' || digitsEnd == digits ||
            digitsEnd - digits > 6 || text[closeBracket] != ']' || text[equals] != '=' ||
            text[open] != '{') {
            continue;
        }
        const std::size_t close = text.find('}', open);
        if (close == std::string::npos || text.find('{', open + 1) < close) {
            continue;
        }
        // Where each element starts (just past '{' or a comma at depth 0).
        std::vector<std::size_t> starts{open + 1};
        int depth = 0;
        for (std::size_t i = open + 1; i < close; ++i) {
            depth += text[i] == '(' ? 1 : text[i] == ')' ? -1 : 0;
            if (depth == 0 && text[i] == ',') {
                starts.push_back(i + 1);
            }
        }
        // A comma after the last element leaves nothing behind it (but perhaps a comment).
        std::size_t last = close;  // where the last element ends
        if (blanksAndComments(text.substr(starts.back(), close - starts.back()))) {
            last = starts.back() - 1;
            starts.pop_back();
        }
        const std::size_t width = static_cast<std::size_t>(type.back() - '0');
        const std::size_t count = std::stoul(text.substr(digits, digitsEnd - digits));
        if (starts.size() != width * count) {
            continue;
        }
        for (std::size_t k = 0; k < starts.size(); k += width) {
            groups.emplace_back(starts[k], type + "(");
            groups.emplace_back(k + width < starts.size() ? starts[k + width] - 1 : last, ")");
        }
    }
    for (auto g = groups.rbegin(); g != groups.rend(); ++g) {
        out.insert(g->first, g->second);
    }
    return out;
}

}  // namespace cgrt

namespace cgrt {
namespace {

bool isIntegerType(std::string_view word) {
    const std::string_view base = word.substr(0, word.find_first_of("1234"));
    const std::size_t digits = word.size() - base.size();
    return (base == "int" || base == "uint") &&
           (digits == 0 || (digits == 1 && word.back() >= '1' && word.back() <= '4'));
}

// Every name declared with an integer type: `int a`, `int2 b = ..., c;`, `uniform uint d`.
std::set<std::string> integerNames(const std::string& code) {
    std::set<std::string> names;
    const std::vector<Word> words = wordsOf(code);
    for (std::size_t w = 0; w + 1 < words.size(); ++w) {
        const std::string_view word(code.data() + words[w].start, words[w].end - words[w].start);
        if (!isIntegerType(word) || !blanksBetween(code, words[w], words[w + 1])) {
            continue;
        }
        names.insert(code.substr(words[w + 1].start, words[w + 1].end - words[w + 1].start));
        // Further declarators of the same declaration, past each initializer.
        std::size_t at = words[w + 1].end;
        for (;;) {
            int depth = 0;
            while (at < code.size() && !(depth == 0 && std::strchr(",;)", code[at]) != nullptr)) {
                depth += code[at] == '(' || code[at] == '[' ? 1 : 0;
                depth -= code[at] == ')' || code[at] == ']' ? 1 : 0;
                ++at;
            }
            const std::size_t name =
                at < code.size() && code[at] == ',' ? skipBlanks(code, at + 1) : code.size();
            const std::size_t nameEnd =
                name < code.size() && identStart(code[name]) ? wordEnd(code, name) : name;
            const std::size_t after = skipBlanks(code, nameEnd);
            if (nameEnd == name || after >= code.size() ||
                std::strchr("=,;[", code[after]) == nullptr) {
                break;
            }
            names.insert(code.substr(name, nameEnd - name));
            at = nameEnd;
        }
    }
    return names;
}

}  // namespace

std::string withIntegerUpdatesWidened(std::string_view source) {
    const std::string code = codeOnly(source);
    const std::set<std::string> integers = integerNames(code);
    std::vector<std::pair<std::size_t, std::string>> edits;      // text inserted at each position
    std::vector<std::pair<std::size_t, std::size_t>> operators;  // op position, '=' position
    for (std::size_t at = code.find('='); at != std::string::npos; at = code.find('=', at + 1)) {
        const std::size_t op = at - 1;
        if (at == 0 || std::strchr("+-*/", code[op]) == nullptr ||
            (op > 0 && code[op - 1] == code[op]) || code.compare(at, 2, "==") == 0) {
            continue;
        }
        const std::size_t start = targetStart(code, op);
        const std::size_t rootEnd = wordEnd(code, start);
        const std::size_t end = valueEnd(code, at + 1);
        if (start == op || end == std::string::npos ||
            integers.count(code.substr(start, rootEnd - start)) == 0) {
            continue;
        }
        std::string target(source.substr(start, op - start));
        while (!target.empty() && (target.back() == ' ' || target.back() == '\t')) {
            target.pop_back();
        }
        // Written twice, a target with a call or an increment in it would do that twice.
        if (target.find('(') != std::string::npos || target.find("++") != std::string::npos ||
            target.find("--") != std::string::npos) {
            continue;
        }
        // "a *= x" -> "a = a * (x)": the operator's character becomes a space, then
        // "= a * (" goes after the '='.
        edits.emplace_back(at + 1, " " + target + " " + code[op] + " (");
        edits.emplace_back(end, ")");
        operators.emplace_back(op, at);
    }
    std::string out(source);
    for (const auto& op : operators) {
        out[op.first] = ' ';
    }
    insertAll(out, std::move(edits));
    return out;
}

}  // namespace cgrt

namespace cgrt {
namespace {

// The profiles this translator stands for, by stage, most preferred first.
const char* const VERTEX_PROFILES[] = {"glslv", "gp4vp", "vp40", "vp30", "arbvp1", "vp20"};
const char* const FRAGMENT_PROFILES[] = {"glslf", "gp4fp", "fp40", "fp30", "arbfp1", "fp20"};

bool isProfileName(const std::string& word) {
    static const std::regex PROFILE(
        R"re(arb[vf]p1|[vf]p[234]0|gp[45](vp|fp|gp|tcp|tep)|glsl[vfg]|hlsl[vf]|[vp]s_[1-5]_[0-9x]|gs_[45]_0)re");
    return word.size() <= 8 && std::regex_match(word, PROFILE);
}

bool isPrimitiveWord(const std::string& word) {
    static const char* const WORDS[] = {"POINT",        "LINE",      "LINE_ADJ", "TRIANGLE",
                                        "TRIANGLE_ADJ", "POINT_OUT", "LINE_OUT", "TRIANGLE_OUT"};
    return std::find(std::begin(WORDS), std::end(WORDS), word) != std::end(WORDS);
}

// A top-level declaration that starts with a profile name or primitive word.
struct Qualified {
    std::string qualifier;
    std::string function;  // the name before the first '('
    std::size_t start;     // the qualifier's first character
    std::size_t end;       // just past the body's '}' or the prototype's ';'
};

// Where the declaration starting at `at` ends: past the '}' closing its body, or past a ';' that
// comes first; npos when neither comes.
std::size_t declarationEnd(const std::string& code, std::size_t at) {
    const std::size_t brace = code.find('{', at);
    const std::size_t semicolon = code.find(';', at);
    if (semicolon < brace) {
        return semicolon + 1;
    }
    int depth = 0;
    for (std::size_t i = brace; i < code.size(); ++i) {
        depth += code[i] == '{' ? 1 : code[i] == '}' ? -1 : 0;
        if (depth == 0) {
            return i + 1;
        }
    }
    return std::string::npos;
}

std::vector<Qualified> qualifiedDeclarations(const std::string& code) {
    std::vector<Qualified> found;
    int depth = 0;
    bool statementStart = true;
    for (std::size_t i = 0; i < code.size();) {
        const char c = code[i];
        if (identStart(c)) {
            const std::size_t end = wordEnd(code, i);
            const std::string word = code.substr(i, end - i);
            const std::size_t next = skipBlanks(code, end);
            const std::size_t open = code.find('(', end);
            if (depth == 0 && statementStart && next < code.size() && identStart(code[next]) &&
                (isProfileName(word) || isPrimitiveWord(word)) && open != std::string::npos) {
                std::size_t nameEnd = open;
                while (nameEnd > end &&
                       std::isspace(static_cast<unsigned char>(code[nameEnd - 1]))) {
                    --nameEnd;
                }
                std::size_t nameStart = nameEnd;
                while (nameStart > end && identChar(code[nameStart - 1])) {
                    --nameStart;
                }
                const std::size_t last = declarationEnd(code, open);
                if (last == std::string::npos) {
                    break;
                }
                found.push_back({word, code.substr(nameStart, nameEnd - nameStart), i, last});
                i = last;
                continue;
            }
            statementStart = false;
            i = end;
            continue;
        }
        if (c == '{' || c == '}') {
            depth += c == '{' ? 1 : -1;
        }
        if (c == ';' || c == '{' || c == '}') {
            statementStart = true;
        } else if (std::isspace(static_cast<unsigned char>(c)) == 0) {
            statementStart = false;
        }
        ++i;
    }
    return found;
}

}  // namespace

std::string withProfileFunctionsChosen(std::string_view source, bool fragment) {
    const std::vector<Qualified> declarations =
        qualifiedDeclarations(withoutDirectives(codeOnly(source)));
    const auto& profiles = fragment ? FRAGMENT_PROFILES : VERTEX_PROFILES;
    const auto rank = [&](const std::string& qualifier) {
        return static_cast<std::size_t>(
            std::find(std::begin(profiles), std::end(profiles), qualifier) - std::begin(profiles));
    };
    std::map<std::string, std::size_t> best;  // function -> rank of the profile kept
    for (const Qualified& d : declarations) {
        auto it = best.emplace(d.function, std::size(profiles)).first;
        it->second = std::min(it->second, rank(d.qualifier));
    }
    std::string out(source);
    for (const Qualified& d : declarations) {
        const std::size_t r = rank(d.qualifier);
        if (r < std::size(profiles) && r == best[d.function]) {
            blank(out, d.start, d.start + d.qualifier.size());
        } else {
            blank(out, d.start, d.end);
        }
    }
    return out;
}

std::string withDirectionsFirst(std::string_view source) {
    static const char* const NOT_TYPES[] = {"uniform", "const", "static",  "return", "in",
                                            "out",     "inout", "varying", "else"};
    const std::string code = withoutDirectives(codeOnly(source));
    const std::vector<Word> words = wordsOf(code);
    std::string out(source);
    for (std::size_t w = 0; w + 2 < words.size(); ++w) {
        const Word& type = words[w];
        const Word& direction = words[w + 1];
        const std::string typeName = code.substr(type.start, type.end - type.start);
        const std::string directionName =
            code.substr(direction.start, direction.end - direction.start);
        if ((directionName != "in" && directionName != "out" && directionName != "inout") ||
            std::find(std::begin(NOT_TYPES), std::end(NOT_TYPES), typeName) !=
                std::end(NOT_TYPES) ||
            !blanksBetween(code, type, direction) ||
            !blanksBetween(code, direction, words[w + 2])) {
            continue;
        }
        const std::string blanks = code.substr(type.end, direction.start - type.end);
        out.replace(type.start, direction.end - type.start, directionName + blanks + typeName);
    }
    return out;
}

CgLocation entryLocation(std::string_view source, const std::string& name,
                         const std::string& entry) {
    if (entry.empty() || !identStart(entry[0]) ||
        !std::all_of(entry.begin(), entry.end(), identChar)) {
        return {name, 0};
    }
    const std::string code = codeOnly(source);
    std::size_t at = std::string::npos;
    for (const Word& word : wordsOf(code)) {
        const std::size_t open = skipBlanks(code, word.end);
        if (code.compare(word.start, word.end - word.start, entry) != 0 || open >= code.size() ||
            code[open] != '(') {
            continue;
        }
        const std::size_t close = closingParen(code, open);
        const std::size_t body =
            close == std::string::npos ? close : code.find_first_of(";{", close);
        if (body != std::string::npos && code[body] == '{') {
            at = word.start;
            break;
        }
    }
    if (at == std::string::npos) {
        return {name, 0};
    }
    std::string file = name;
    long line = 1;
    for (std::size_t start = 0, end = code.find('\n'); end < at;
         start = end + 1, end = code.find('\n', start)) {
        std::size_t wordAt = 0;
        const std::string_view text = source.substr(start, end - start);
        if (directiveWord(text, wordAt) != "line") {
            ++line;
            continue;
        }
        // "#line N" or "#line N \"file\"": the next line is line N (of that file).
        const std::size_t number = skipSpaces(text, wordAt);
        line = std::strtol(std::string(text.substr(number, 12)).c_str(), nullptr, 10);
        const std::size_t open = text.find('"', number);
        const std::size_t close = open == std::string_view::npos ? open : text.find('"', open + 1);
        if (close != std::string_view::npos) {
            file = std::string(text.substr(open + 1, close - open - 1));
        }
    }
    // A marker's line below the first names the file as a whole.
    return {file, std::max(line, 0L)};
}

}  // namespace cgrt

namespace cgrt {
namespace {

bool isScalarType(const std::string& word) {
    static const char* const SCALARS[] = {"float", "half", "fixed", "int",
                                          "uint",  "bool", "double"};
    return std::find(std::begin(SCALARS), std::end(SCALARS), word) != std::end(SCALARS);
}

// The scalar type of each parameter of a definition's list ("" for any other, an array, or one
// written to).
std::vector<std::string> scalarParameters(const std::string& list) {
    std::vector<std::string> types;
    for (const Parameter& parameter : parametersOf(list)) {
        types.push_back(isScalarType(parameter.type) && !parameter.written && !parameter.array
                            ? parameter.type
                            : "");
    }
    return types;
}

}  // namespace

std::string withScalarArgumentsNarrowed(std::string_view source) {
    const std::string code = withoutDirectives(codeOnly(source));
    // name -> number of parameters -> the scalar type each place takes alike, or "".
    std::map<std::string, std::map<std::size_t, std::vector<std::string>>> functions;
    std::set<std::size_t> definitionNames;
    const std::vector<Word> words = wordsOf(code);
    for (const FunctionDefinition& definition : definitionsIn(code, words)) {
        const std::vector<std::string> types = scalarParameters(
            code.substr(definition.open + 1, definition.close - definition.open - 1));
        definitionNames.insert(definition.name.start);
        auto& known = functions[code.substr(definition.name.start,
                                            definition.name.end - definition.name.start)];
        const auto found = known.find(types.size());
        if (found == known.end()) {
            known.emplace(types.size(), types);
            continue;
        }
        for (std::size_t i = 0; i < types.size(); ++i) {
            found->second[i] = found->second[i] == types[i] ? types[i] : "";
        }
    }
    Insertions edits;
    for (const Word& word : words) {
        const std::size_t open = skipBlanks(code, word.end);
        const auto function = functions.find(code.substr(word.start, word.end - word.start));
        if (function == functions.end() || open >= code.size() || code[open] != '(' ||
            definitionNames.count(word.start) != 0 ||
            (word.start > 0 && code[word.start - 1] == '.')) {
            continue;
        }
        const auto places = arguments(code, open);
        const auto types = function->second.find(places.size());
        for (std::size_t k = 0; types != function->second.end() && k < places.size(); ++k) {
            if (!types->second[k].empty()) {
                edits.emplace_back(places[k].first, "(" + types->second[k] + ")(");
                edits.emplace_back(places[k].second, ")");
            }
        }
    }
    std::string out(source);
    insertAll(out, std::move(edits));
    return out;
}

}  // namespace cgrt

namespace cgrt {

std::set<std::string> definedFunctions(std::string_view source) {
    const std::string code = withoutDirectives(codeOnly(source));
    std::set<std::string> names;
    for (const FunctionDefinition& definition : definitionsIn(code, wordsOf(code))) {
        names.insert(
            code.substr(definition.name.start, definition.name.end - definition.name.start));
    }
    return names;
}

}  // namespace cgrt
