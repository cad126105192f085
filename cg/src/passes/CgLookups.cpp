#include "CgLookups.h"

#include "CgDialect.h"
#include "CgScan.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>
#include <utility>
#include <vector>

namespace cgrt {

using namespace text;

std::string withTypedLookupsPlain(std::string_view source) {
    static const char* const LOOKUPS[] = {"tex1D",       "tex2D",      "tex3D",     "texCUBE",
                                          "texRECT",     "tex1Dproj",  "tex2Dproj", "tex3Dproj",
                                          "texCUBEproj", "texRECTproj"};
    static const char* const SWIZZLE[] = {"", ".x", ".xy", ".xyz", ""};
    const std::string code = withoutDirectives(codeOnly(source));
    Insertions edits;
    std::vector<std::size_t> prefixes;
    for (const Word& word : wordsOf(code)) {
        // "f1" and the lookup after it: shorter words are none of these.
        if (word.end - word.start <= 2) {
            continue;
        }
        const char kind = code[word.start];
        const char width = code[word.start + 1];
        const std::string lookup = code.substr(word.start + 2, word.end - word.start - 2);
        const std::size_t open = skipBlanks(code, word.end);
        const std::size_t close =
            open < code.size() && code[open] == '(' ? closingParen(code, open) : std::string::npos;
        if (std::strchr("fhx", kind) == nullptr || width < '1' || width > '4' ||
            std::find(std::begin(LOOKUPS), std::end(LOOKUPS), lookup) == std::end(LOOKUPS) ||
            close == std::string::npos) {
            continue;
        }
        prefixes.push_back(word.start);
        // "f1tex2D(s, t)" -> " (tex2D(s, t)).x"
        edits.emplace_back(close + 1, std::string(")") + SWIZZLE[width - '0']);
    }
    std::string out(source);
    for (const std::size_t at : prefixes) {
        out.replace(at, 2, " (");
    }
    insertAll(out, std::move(edits));
    return out;
}

std::string withShadowSamplersAs3D(std::string_view source, ShadowStandIns& shadows) {
    static const std::pair<const char*, const char*> LOOKUPS[] = {
        {"tex2D", "tex3D"},     {"tex2Dproj", "tex3Dproj"},    {"tex2Dlod", "tex3Dlod"},
        {"shadow2D", "tex3D"},  {"shadow2Dproj", "tex3Dproj"}, {"f4tex2D", "tex3D"},
        {"f1tex2D", "f1tex3D"}, {"f4tex2Dproj", "tex3Dproj"},  {"f1tex2Dproj", "f1tex3Dproj"}};
    const std::string code = withoutDirectives(codeOnly(source));
    const std::vector<Word> words = wordsOf(code);
    const auto text = [&](const Word& w) { return code.substr(w.start, w.end - w.start); };
    std::set<std::string> samplers;
    bool own3D = false;
    for (std::size_t w = 0; w < words.size(); ++w) {
        const std::string word = text(words[w]);
        own3D = own3D || word == "sampler3D" || word.find("tex3D") != std::string::npos;
        if (word == "sampler2DShadow" && w + 1 < words.size()) {
            samplers.insert(text(words[w + 1]));
        }
    }
    if (samplers.empty()) {
        return std::string(source);
    }
    shadows.samplers = samplers;
    shadows.beside3D = own3D;
    std::vector<std::pair<Word, const char*>> replaced;
    for (std::size_t w = 0; w + 1 < words.size(); ++w) {
        const std::string word = text(words[w]);
        const std::size_t open = skipBlanks(code, words[w].end);
        const bool onShadow = open < code.size() && code[open] == '(' &&
                              skipBlanks(code, open + 1) == words[w + 1].start &&
                              samplers.count(text(words[w + 1])) != 0;
        const char* with = word == "sampler2DShadow" ? "sampler3D" : nullptr;
        for (const auto& lookup : LOOKUPS) {
            with = onShadow && word == lookup.first ? lookup.second : with;
        }
        if (with != nullptr) {
            replaced.emplace_back(words[w], with);
        }
    }
    std::string out(source);
    for (auto r = replaced.rbegin(); r != replaced.rend(); ++r) {
        out.replace(r->first.start, r->first.end - r->first.start, r->second);
    }
    return out;
}

std::string asShadowLookups(const std::string& glsl, const std::set<std::string>* only) {
    return withWordsRenamed(
        glsl,
        {{"sampler3D", "sampler2DShadow"},
         {"texture3DProjLod", "shadow2DProjLod"},
         {"texture3DProj", "shadow2DProj"},
         {"texture3DLod", "shadow2DLod"},
         {"texture3D", "shadow2D"}},
        [only](const std::string& code, const std::vector<Word>& words, std::size_t w) {
            return only == nullptr ||
                   (w + 1 < words.size() &&
                    only->count(code.substr(words[w + 1].start,
                                            words[w + 1].end - words[w + 1].start)) != 0);
        });
}

namespace {

// Where each argument of the call whose parentheses are at `open` and `close` starts and ends.
std::vector<std::pair<std::size_t, std::size_t>> argumentsOf(const std::string& code,
                                                             std::size_t open, std::size_t close) {
    std::vector<std::pair<std::size_t, std::size_t>> arguments;
    std::size_t start = open + 1;
    int depth = 0;
    for (std::size_t i = open + 1; i < close; ++i) {
        depth += code[i] == '(' || code[i] == '[' ? 1 : code[i] == ')' || code[i] == ']' ? -1 : 0;
        if (depth == 0 && code[i] == ',') {
            arguments.emplace_back(start, i);
            start = i + 1;
        }
    }
    arguments.emplace_back(start, close);
    return arguments;
}

// How many arguments the call whose name ends at `end` has; 0 where no call follows.
std::size_t argumentCount(const std::string& code, std::size_t end) {
    const std::size_t open = skipBlanks(code, end);
    const std::size_t close =
        open < code.size() && code[open] == '(' ? closingParen(code, open) : std::string::npos;
    return close == std::string::npos ? 0 : argumentsOf(code, open, close).size();
}

// "texRECTproj(s, c)" -> "tex2D(s, cg_projected2D(c))": the division by the coordinate's last
// component done apart from the lookup, so that no function of the library takes the sampler as a
// parameter. Such a parameter would stay a sampler2D in the GLSL where no SPIR-V legalization
// inlines it (the Windows and web builds), which the rectangle sampler handed to it is not.
std::string withRectangleProjectionsDivided(const std::string& source) {
    const std::string code = withoutDirectives(codeOnly(source));
    // Each edit replaces `length` characters at `at` of the text as it was.
    struct Edit {
        std::size_t at;
        std::size_t length;
        const char* with;
    };
    std::vector<Edit> edits;
    for (const Word& word : wordsOf(code)) {
        if (code.compare(word.start, word.end - word.start, "texRECTproj") != 0 ||
            argumentCount(code, word.end) != 2) {
            continue;
        }
        const std::size_t open = skipBlanks(code, word.end);
        const std::size_t close = closingParen(code, open);
        edits.push_back({word.start, word.end - word.start, "tex2D"});
        edits.push_back({argumentsOf(code, open, close).front().second + 1, 0, " cg_projected2D("});
        edits.push_back({close, 0, ")"});
    }
    std::string out = source;
    std::sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.at > b.at; });
    for (const Edit& edit : edits) {
        out.replace(edit.at, edit.length, edit.with);
    }
    return out;
}

// A lookup that glslang's HLSL has only as a method of the texture: the call of `name` with
// `arguments` arguments is written as `method`, where $0, $1, ... stand for the arguments.
struct MethodLookup {
    const char* name;
    std::size_t arguments;
    const char* method;
};

// The texel fetches, and the lookups with an offset in texels, which GLSL needs a constant
// for: the offset stays in the call, where a library function would make it a parameter.
// The texel and level come from Cg's coordinate through the library's one-argument overloads
// of the fetch (see CgLibrary), so that a coordinate cgc refuses is refused under its name.
// The lod forms name their coordinate twice, for the place and the level: one with a side effect
// (i++) would have it twice.
const MethodLookup METHOD_LOOKUPS[] = {
    {"tex1Dfetch", 2, "$0.Load(tex1Dfetch($1))"},
    {"tex1Dfetch", 3, "$0.Load(tex1Dfetch($1, true), $2)"},
    {"tex2Dfetch", 2, "$0.Load(tex2Dfetch($1))"},
    {"tex2Dfetch", 3, "$0.Load(tex2Dfetch($1, true), $2)"},
    {"tex3Dfetch", 2, "$0.Load(tex3Dfetch($1))"},
    {"tex3Dfetch", 3, "$0.Load(tex3Dfetch($1, true), $2)"},
    {"tex1D", 3, "$0.Sample($0, $1, $2)"},
    {"tex2D", 3, "$0.Sample($0, $1, $2)"},
    {"tex3D", 3, "$0.Sample($0, $1, $2)"},
    {"tex1D", 5, "$0.SampleGrad($0, $1, $2, $3, $4)"},
    {"tex2D", 5, "$0.SampleGrad($0, $1, $2, $3, $4)"},
    {"tex3D", 5, "$0.SampleGrad($0, $1, $2, $3, $4)"},
    {"tex1Dproj", 3, "$0.Sample($0, cg_projected1D($1), $2)"},
    {"tex2Dproj", 3, "$0.Sample($0, cg_projected2D($1), $2)"},
    {"tex3Dproj", 3, "$0.Sample($0, cg_projected3D($1), $2)"},
    {"tex1Dlod", 3, "$0.SampleLevel($0, ($1).x, ($1).w, $2)"},
    {"tex2Dlod", 3, "$0.SampleLevel($0, ($1).xy, ($1).w, $2)"},
    {"tex3Dlod", 3, "$0.SampleLevel($0, ($1).xyz, ($1).w, $2)"},
    // A rectangle texture is read at texel coordinates and has one level: its fetches are
    // lookups at the texel's centre, and its offsets add to the coordinate.
    {"texRECTfetch", 2, "texRECT($0, float2(tex2Dfetch($1).xy) + 0.5)"},
    {"texRECTfetch", 3, "texRECT($0, float2(tex2Dfetch($1, true).xy + $2) + 0.5)"},
    {"texRECTsize", 2, "cg_rectangleSize($0, $1)"},
    {"texRECT", 3, "texRECT($0, ($1) + ($2))"},
    {"texRECTproj", 3, "texRECT($0, cg_projected2D($1) + ($2))"},
};

const MethodLookup* methodLookup(const std::string& name, std::size_t arguments) {
    for (const MethodLookup& lookup : METHOD_LOOKUPS) {
        if (name == lookup.name && arguments == lookup.arguments) {
            return &lookup;
        }
    }
    return nullptr;
}

// `method` with its arguments taken from `text`. An argument used again is copied without its
// line breaks, so that the lines after it stay where they were.
std::string expanded(const char* method, const std::string& text,
                     const std::vector<std::pair<std::size_t, std::size_t>>& arguments) {
    std::string out;
    std::vector<bool> used(arguments.size(), false);
    for (const char* c = method; *c != '\0'; ++c) {
        if (*c != '$') {
            out += *c;
            continue;
        }
        const std::size_t index = static_cast<std::size_t>(*++c - '0');
        std::string argument =
            text.substr(arguments[index].first, arguments[index].second - arguments[index].first);
        if (used[index]) {
            std::replace(argument.begin(), argument.end(), '\n', ' ');
        }
        used[index] = true;
        out += argument;
    }
    return out;
}

}  // namespace

std::string withLookupsAsMethods(std::string_view source) {
    const std::set<std::string> own = definedFunctions(source);
    std::string out(source);
    std::string code = withoutDirectives(codeOnly(source));
    const std::vector<Word> words = wordsOf(code);
    // From the last call to the first: a call in another's arguments is written before the call
    // around it, and each edit leaves the text before it where it was.
    for (auto word = words.rbegin(); word != words.rend(); ++word) {
        const std::size_t open = skipBlanks(code, word->end);
        if (open >= code.size() || code[open] != '(' ||
            (word->start > 0 && code[word->start - 1] == '.')) {
            continue;
        }
        const std::size_t close = closingParen(code, open);
        if (close == std::string::npos) {
            continue;
        }
        const auto arguments = argumentsOf(code, open, close);
        const std::string name = code.substr(word->start, word->end - word->start);
        const MethodLookup* lookup = methodLookup(name, arguments.size());
        if (lookup != nullptr && own.count(name) == 0) {
            const std::size_t length = close + 1 - word->start;
            out.replace(word->start, length, expanded(lookup->method, out, arguments));
            code.replace(word->start, length, expanded(lookup->method, code, arguments));
        }
    }
    return out;
}

std::string withRectangleSamplersAs2D(std::string_view source, std::set<std::string>& rectangles) {
    const std::string code = withoutDirectives(codeOnly(source));
    const std::vector<Word> words = wordsOf(code);
    for (std::size_t w = 0; w + 1 < words.size(); ++w) {
        if (code.compare(words[w].start, words[w].end - words[w].start, "samplerRECT") == 0) {
            rectangles.insert(
                code.substr(words[w + 1].start, words[w + 1].end - words[w + 1].start));
        }
    }
    if (rectangles.empty()) {
        return std::string(source);
    }
    // A lookup with derivatives and an offset (5 arguments) keeps its name, and is refused: the
    // GLSL its 2D form comes out as passes a level, which a rectangle texture's do not take. (Those
    // with an offset alone are lookups at an offset coordinate by now, see METHOD_LOOKUPS.)
    return withWordsRenamed(
        withRectangleProjectionsDivided(std::string(source)),
        {{"samplerRECT", "sampler2D"}, {"texRECT", "tex2D"}},
        [](const std::string& code, const std::vector<Word>& words, std::size_t w) {
            const std::size_t arguments = argumentCount(code, words[w].end);
            return arguments != 3 && arguments != 5;
        });
}

namespace {

// "textureSize(NAME, lod)" -> "textureSize(NAME)" for the rectangle samplers: a rectangle texture
// has one level, and GLSL's size of one takes none.
std::string withoutRectangleLevels(std::string glsl, const std::set<std::string>& glslNames) {
    const std::vector<Word> words = wordsOf(glsl);
    for (auto word = words.rbegin(); word != words.rend(); ++word) {
        const std::size_t open = skipBlanks(glsl, word->end);
        if (glsl.compare(word->start, word->end - word->start, "textureSize") != 0 ||
            open >= glsl.size() || glsl[open] != '(') {
            continue;
        }
        const std::size_t close = closingParen(glsl, open);
        if (close == std::string::npos) {
            continue;
        }
        const auto arguments = argumentsOf(glsl, open, close);
        const std::size_t name = skipBlanks(glsl, arguments.front().first);
        const std::size_t nameEnd = arguments.front().second;
        if (arguments.size() == 2 &&
            glslNames.count(
                glsl.substr(name, glsl.find_last_not_of(" \t", nameEnd - 1) + 1 - name)) != 0) {
            glsl.erase(nameEnd, close - nameEnd);
        }
    }
    return glsl;
}

}  // namespace

std::string asRectangleLookups(const std::string& glsl, const std::set<std::string>& glslNames) {
    // Only where the next word is one of the samplers: "uniform sampler2D NAME", "texture2D(NAME".
    std::string out = withWordsRenamed(
        withoutRectangleLevels(glsl, glslNames),
        {{"sampler2D", "sampler2DRect"},
         {"texture2D", "texture2DRect"},
         {"texture2DProj", "texture2DRectProj"},
         {"texture2DGradARB", "texture2DRectGradARB"}},
        [&](const std::string& code, const std::vector<Word>& words, std::size_t w) {
            return w + 1 < words.size() &&
                   glslNames.count(
                       code.substr(words[w + 1].start, words[w + 1].end - words[w + 1].start)) != 0;
        });
    const std::size_t firstLineEnd = out.find('\n');
    if (out.compare(0, 8, "#version") == 0 && firstLineEnd != std::string::npos) {
        out.insert(firstLineEnd + 1, "#extension GL_ARB_texture_rectangle : require\n");
    }
    return out;
}

}  // namespace cgrt
