#include "CgDialect.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <map>
#include <regex>
#include <vector>

namespace cgrt {
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

bool identStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_';
}

bool identChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// Whether the word about to be appended to `out` names a preprocessor directive (#line).
bool directiveName(const std::string& out) {
    std::size_t i = out.size();
    while (i > 0 && (out[i - 1] == ' ' || out[i - 1] == '\t')) {
        --i;
    }
    if (i == 0 || out[i - 1] != '#') {
        return false;
    }
    --i;
    while (i > 0 && (out[i - 1] == ' ' || out[i - 1] == '\t')) {
        --i;
    }
    return i == 0 || out[i - 1] == '\n';
}

// Functions called by a name glslang's HLSL gives another meaning, or none: HLSL's fmod as glslang
// compiles it floors like GLSL's mod, where Cg's truncates; shaders ported from GLSL call fract,
// mix and mod, which Cg's frac, lerp and a floored modulo are. trunc, tanh, modf, sinh, cosh,
// ldexp, frexp, isnan, isinf and isfinite have no GLSL 1.20 counterpart: they are written with what
// it has, so that the version stays where it is. glslang's HLSL lit computes another specular.
std::string_view libraryName(std::string_view word, std::string_view after) {
    static const std::pair<std::string_view, std::string_view> CALLS[] = {
        {"fmod", "cg_fmod"},   {"fract", "frac"},           {"mix", "lerp"},
        {"mod", "cg_mod"},     {"trunc", "cg_trunc"},       {"tanh", "cg_tanh"},
        {"modf", "cg_modf"},   {"sinh", "cg_sinh"},         {"cosh", "cg_cosh"},
        {"ldexp", "cg_ldexp"}, {"frexp", "cg_frexp"},       {"isnan", "cg_isnan"},
        {"isinf", "cg_isinf"}, {"isfinite", "cg_isfinite"}, {"lit", "cg_lit"}};
    const std::size_t next = after.find_first_not_of(" \t");
    if (next == std::string_view::npos || after[next] != '(') {
        return word;
    }
    for (const auto& call : CALLS) {
        if (word == call.first) {
            return call.second;
        }
    }
    return word;
}

// GLSL's matrix type names, which Cg sources ported from GLSL use: matNxM is Cg's floatNxM.
bool glslMatrixName(std::string_view word) {
    const auto dimension = [](char c) { return c >= '2' && c <= '4'; };
    return word.size() == 6 && word.compare(0, 3, "mat") == 0 && dimension(word[3]) &&
           word[4] == 'x' && dimension(word[5]);
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

// The ')' that closes the '(' at `open`; npos when it does not close.
std::size_t closingParen(std::string_view source, std::size_t open) {
    int depth = 0;
    for (std::size_t i = open; i < source.size(); ++i) {
        depth += source[i] == '(' ? 1 : source[i] == ')' ? -1 : 0;
        if (depth == 0) {
            return i;
        }
    }
    return std::string_view::npos;
}

}  // namespace

std::string renameReservedWords(std::string_view source) {
    std::string out;
    out.reserve(source.size() + 64);
    std::size_t i = 0;
    // Where the ')' of array constructors turned into initializers stand, in the order they come.
    std::vector<std::size_t> closers;
    while (i < source.size()) {
        const char c = source[i];
        if (!closers.empty() && closers.back() == i) {
            closers.pop_back();
            out += '}';
            ++i;
        } else if (c == '/' && i + 1 < source.size() && source[i + 1] == '/') {
            const std::size_t end = std::min(source.find('\n', i), source.size());
            out.append(source.substr(i, end - i));
            i = end;
        } else if (c == '/' && i + 1 < source.size() && source[i + 1] == '*') {
            const std::size_t close = source.find("*/", i + 2);
            const std::size_t end = close == std::string_view::npos ? source.size() : close + 2;
            out.append(source.substr(i, end - i));
            i = end;
        } else if (c == '"') {
            std::size_t end = i + 1;
            while (end < source.size() && source[end] != '"' && source[end] != '\n') {
                end += source[end] == '\\' ? 2 : 1;
            }
            end = std::min(end + 1, source.size());
            out.append(source.substr(i, end - i));
            i = end;
        } else if (identStart(c)) {
            std::size_t end = i + 1;
            while (end < source.size() && identChar(source[end])) {
                ++end;
            }
            const std::string_view word = source.substr(i, end - i);
            const std::size_t open = arrayConstructorOpen(source, end);
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
            if (isReserved(word) && !directiveName(out)) {
                out += PREFIX;
            }
            if (glslMatrixName(word)) {
                out += "float";
                out.append(word.substr(3));
            } else if (singleLineMatrix(word)) {
                out += "float";
                out += word[5] == '1' ? word[7] : word[5];
            } else {
                out.append(libraryName(word, source.substr(end)));
            }
            i = end;
        } else if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
            // A number such as 1.0e5f or 0x1F is no identifier, whatever letters it holds.
            std::size_t end = i + 1;
            while (end < source.size() && (identChar(source[end]) || source[end] == '.')) {
                ++end;
            }
            out.append(source.substr(i, end - i));
            i = end;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

namespace {

std::size_t skipSpaces(std::string_view line, std::size_t at) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) {
        ++at;
    }
    return at;
}

std::size_t wordEnd(std::string_view line, std::size_t at) {
    while (at < line.size() && identChar(line[at])) {
        ++at;
    }
    return at;
}

// The word of a directive line ("ifdef" of "  # ifdef X"), with `end` just after it; empty for a
// line that is no directive.
std::string_view directiveWord(std::string_view line, std::size_t& end) {
    const std::size_t hash = skipSpaces(line, 0);
    if (hash == line.size() || line[hash] != '#') {
        return {};
    }
    const std::size_t start = skipSpaces(line, hash + 1);
    end = wordEnd(line, start);
    return line.substr(start, end - start);
}

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
            keepFrom = std::min(line.find("//", end), line.find("/*", end));
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

std::size_t skipBlanks(const std::string& text, std::size_t at) {
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])) != 0) {
        ++at;
    }
    return at;
}

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

bool blankOrComment(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "//") == 0) {
            i = std::min(text.find('\n', i), text.size());
        } else if (std::isspace(static_cast<unsigned char>(text[i])) == 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string withVectorArraysGrouped(std::string_view source) {
    static const std::regex DECLARATION(
        R"re(\b(float|half|int)([234])\s+\w+\s*\[\s*([0-9]+)\s*\]\s*=\s*\{)re");
    std::string out(source);
    std::vector<std::pair<std::size_t, std::string>> groups;  // where each '(' or ')' goes
    const std::string text(source);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), DECLARATION);
         it != std::sregex_iterator(); ++it) {
        const std::size_t open = static_cast<std::size_t>(it->position() + it->length()) - 1;
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
        if (blankOrComment(text.substr(starts.back(), close - starts.back()))) {
            last = starts.back() - 1;
            starts.pop_back();
        }
        const std::size_t width = static_cast<std::size_t>((*it)[2].str()[0] - '0');
        const std::size_t count = std::stoul((*it)[3].str());
        if (starts.size() != width * count) {
            continue;
        }
        const std::string type = (*it)[1].str() + (*it)[2].str();
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
