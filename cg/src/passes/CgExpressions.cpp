#include "CgExpressions.h"

#include "CgDialect.h"
#include "CgScan.h"

#include <cstring>
#include <map>
#include <cctype>
#include <set>
#include <vector>

namespace cgrt {

using namespace text;

namespace {

std::string withInserted(std::string_view source, Insertions edits) {
    std::string out(source);
    insertAll(out, std::move(edits));
    return out;
}

// Inserts `before` at `from` and `after` at `to`.
void enclose(Insertions& edits, std::size_t from, std::size_t to, const char* before,
             const char* after) {
    edits.emplace_back(from, before);
    edits.emplace_back(to, after);
}

std::string wordAt(const std::string& code, const Word& word) {
    return code.substr(word.start, word.end - word.start);
}

bool inRange(char c, char low, char high) {
    return c >= low && c <= high;
}

// float, float3, half2x2, ... (the numeric and bool types, scalar, vector or matrix).
bool isBasicType(const std::string& word) {
    static const char* const BASES[] = {"float", "half", "fixed", "int", "uint", "bool", "double"};
    for (const char* base : BASES) {
        const std::size_t n = std::strlen(base);
        if (word.compare(0, n, base) != 0) {
            continue;
        }
        const std::string rest = word.substr(n);
        return rest.empty() || (rest.size() == 1 && inRange(rest[0], '1', '4')) ||
               (rest.size() == 3 && inRange(rest[0], '1', '4') && rest[1] == 'x' &&
                inRange(rest[2], '1', '4'));
    }
    return false;
}

// The names `struct NAME` defines.
std::set<std::string> structNames(const std::string& code, const std::vector<Word>& words) {
    std::set<std::string> names;
    for (std::size_t w = 0; w + 1 < words.size(); ++w) {
        if (wordAt(code, words[w]) == "struct") {
            names.insert(wordAt(code, words[w + 1]));
        }
    }
    return names;
}

// Whether a statement starts at `at`: only blanks between it and a ';', '{' or '}' before it.
bool startsStatement(const std::string& code, std::size_t at) {
    while (at > 0 && std::strchr(" \t\r\n", code[at - 1]) != nullptr) {
        --at;
    }
    return at == 0 || std::strchr(";{}", code[at - 1]) != nullptr;
}

// Whether a word of `words` in [from, to), not a member after a '.' nor a call, is `name`.
bool names(const std::string& code, const std::vector<Word>& words, std::size_t from,
           std::size_t to, const std::string& name) {
    for (const Word& word : words) {
        const std::size_t next = skipBlanks(code, word.end);
        if (word.start >= from && word.end <= to && code[word.start - 1] != '.' &&
            (next == code.size() || code[next] != '(') && wordAt(code, word) == name) {
            return true;
        }
    }
    return false;
}

// The elements a swizzle of matrix elements picks, "_m01" or "_12" each; empty for a word that
// is no such swizzle.
std::vector<std::string> matrixElements(const std::string& word) {
    std::vector<std::string> elements;
    for (std::size_t at = 0; at < word.size();) {
        const std::size_t rest = word.size() - at;
        if (word[at] != '_' || rest < 3) {
            return {};
        }
        if (word[at + 1] == 'm' && rest >= 4 && inRange(word[at + 2], '0', '3') &&
            inRange(word[at + 3], '0', '3')) {
            elements.push_back(word.substr(at, 4));
            at += 4;
        } else if (inRange(word[at + 1], '1', '4') && inRange(word[at + 2], '1', '4')) {
            elements.push_back(word.substr(at, 3));
            at += 3;
        } else {
            return {};
        }
    }
    return elements;
}

// Where the bracketed part that ends with the ')' or ']' at `close` opens; npos when it does not.
std::size_t openingBracket(const std::string& code, std::size_t close) {
    int depth = 0;
    for (std::size_t at = close + 1; at > 0; --at) {
        const char c = code[at - 1];
        depth += c == ')' || c == ']' ? 1 : c == '(' || c == '[' ? -1 : 0;
        if (depth == 0) {
            return at - 1;
        }
    }
    return std::string::npos;
}

// Where the operand that ends just before `end` starts: names, members, indexes and calls
// (`m`, `a.m[i]`, `mul(a, b)`); `end` itself when there is none.
std::size_t operandStart(const std::string& code, std::size_t end) {
    std::size_t at = end;
    while (at > 0) {
        const char c = code[at - 1];
        const std::size_t open =
            c == ')' || c == ']' ? openingBracket(code, at - 1) : std::string::npos;
        if (identChar(c) || c == '.') {
            --at;
        } else if (open != std::string::npos) {
            at = open;
        } else {
            break;
        }
    }
    return at;
}

// Whether what follows `at` assigns to what comes before it (`=`, not `==`).
bool assignedAt(const std::string& code, std::size_t at) {
    at = skipBlanks(code, at);
    if (at < code.size() && std::strchr("+-*/", code[at]) != nullptr) {
        ++at;
    }
    return at < code.size() && code[at] == '=' && (at + 1 == code.size() || code[at + 1] != '=');
}

// A word, a number, or an operator or bracket, at [start, end) of the code.
struct Token {
    std::size_t start;
    std::size_t end;
    enum Kind { Name, Number, Open, Close, Other } kind;
};

const char* const OPERATORS[] = {"<<=", ">>=", "<=", ">=", "==", "!=", "&&", "||", "<<",
                                 ">>",  "+=",  "-=", "*=", "/=", "%=", "++", "--"};

std::size_t operatorLength(const std::string& code, std::size_t at) {
    for (const char* op : OPERATORS) {
        if (code.compare(at, std::strlen(op), op) == 0) {
            return std::strlen(op);
        }
    }
    return 1;
}

std::size_t numberEnd(const std::string& code, std::size_t at) {
    while (at < code.size() && (identChar(code[at]) || code[at] == '.' ||
                                ((code[at] == '+' || code[at] == '-') &&
                                 (code[at - 1] == 'e' || code[at - 1] == 'E')))) {
        ++at;
    }
    return at;
}

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

std::vector<Token> tokensOf(const std::string& code) {
    std::vector<Token> tokens;
    for (std::size_t at = skipBlanks(code, 0); at < code.size(); at = skipBlanks(code, at)) {
        const char c = code[at];
        if (identStart(c)) {
            tokens.push_back({at, wordEnd(code, at), Token::Name});
        } else if (isDigit(c) || (c == '.' && at + 1 < code.size() && isDigit(code[at + 1]))) {
            tokens.push_back({at, numberEnd(code, at), Token::Number});
        } else {
            const Token::Kind kind = std::strchr("([", c) != nullptr   ? Token::Open
                                     : std::strchr(")]", c) != nullptr ? Token::Close
                                                                       : Token::Other;
            tokens.push_back({at, at + operatorLength(code, at), kind});
        }
        at = tokens.back().end;
    }
    return tokens;
}

// For each token, the index of the bracket that matches it (itself for any other token, and for
// a bracket without its match).
std::vector<std::size_t> bracketMates(const std::string& code, const std::vector<Token>& tokens) {
    std::vector<std::size_t> mates(tokens.size());
    std::vector<std::size_t> open;
    for (std::size_t t = 0; t < tokens.size(); ++t) {
        mates[t] = t;
        if (tokens[t].kind == Token::Open) {
            open.push_back(t);
        } else if (tokens[t].kind == Token::Close && !open.empty() &&
                   (code[tokens[open.back()].start] == '(') == (code[tokens[t].start] == ')')) {
            mates[t] = open.back();
            mates[open.back()] = t;
            open.pop_back();
        }
    }
    return mates;
}

// Operators that bind tighter than a comparison, inside its operands.
bool inOperand(const std::string& code, const Token& token) {
    const std::string text = code.substr(token.start, token.end - token.start);
    return text == "." || text == "+" || text == "-" || text == "*" || text == "/" || text == "%" ||
           text == "!" || text == "~" || text == "<<" || text == ">>";
}

// Whether `right` cannot follow `left` in one operand: two names or numbers, or one after a
// closing bracket, are two expressions (`return x`; a cast's `(float3) x` is left whole). A '['
// indexes what comes before it, a '(' after a name calls it.
bool apart(const std::string& code, const Token& left, const Token& right) {
    const bool leftEnds =
        left.kind == Token::Name || left.kind == Token::Number || left.kind == Token::Close;
    const bool rightStarts = right.kind == Token::Name || right.kind == Token::Number ||
                             (code[right.start] == '(' && left.kind != Token::Name);
    return leftEnds && rightStarts;
}

// The first token of the operand that ends with token `last`.
std::size_t operandFirst(const std::string& code, const std::vector<Token>& tokens,
                         const std::vector<std::size_t>& mates, std::size_t last) {
    std::size_t first = last + 1;
    while (first > 0) {
        std::size_t t = first - 1;
        const Token& token = tokens[t];
        if ((token.kind == Token::Other && !inOperand(code, token)) || token.kind == Token::Open ||
            (first <= last && apart(code, token, tokens[first]))) {
            break;
        }
        first = token.kind == Token::Close && mates[t] != t ? mates[t] : t;
    }
    return first;
}

// The last token of the operand that starts with token `first`.
std::size_t operandLast(const std::string& code, const std::vector<Token>& tokens,
                        const std::vector<std::size_t>& mates, std::size_t first) {
    std::size_t last = first;  // one past it, until the end
    while (last < tokens.size()) {
        const Token& token = tokens[last];
        if ((token.kind == Token::Other && !inOperand(code, token)) || token.kind == Token::Close ||
            (last > first && apart(code, tokens[last - 1], token))) {
            break;
        }
        last = (token.kind == Token::Open && mates[last] != last ? mates[last] : last) + 1;
    }
    return last - 1;
}

// Whether tokens [first, last] may be constant as glslang folds them: numbers, constructors of
// the numeric types, true and false, swizzles, and calls (glslang folds those of its built-in
// functions, mul and abs among them, on constants; a call of another function only goes through
// cg_kept for nothing); `vector` says whether a vector type is named.
bool constantOperand(const std::string& code, const std::vector<Token>& tokens, std::size_t first,
                     std::size_t last, bool& vector) {
    if (first > last) {
        return false;
    }
    for (std::size_t t = first; t <= last; ++t) {
        const std::string text = code.substr(tokens[t].start, tokens[t].end - tokens[t].start);
        const bool member = t > first && code[tokens[t - 1].start] == '.';
        const bool call = t < last && code[tokens[t + 1].start] == '(';
        if (tokens[t].kind == Token::Name && !member && !call && !isBasicType(text) &&
            text != "true" && text != "false") {
            return false;
        }
        vector = vector || (tokens[t].kind == Token::Name && !member && isBasicType(text) &&
                            isDigit(text.back()) && text.back() != '1');
    }
    return true;
}

bool isComparison(const std::string& code, const Token& token) {
    const std::string text = code.substr(token.start, token.end - token.start);
    return text == "<" || text == ">" || text == "<=" || text == ">=";
}

// The number of components of a numeric or bool type (float3: 3); 0 for a matrix or any other word.
int typeWidth(const std::string& word) {
    if (!isBasicType(word) || word.find('x') != std::string::npos) {
        return 0;
    }
    return isDigit(word.back()) ? word.back() - '0' : 1;
}

// The type of each name the code declares with a numeric or bool type, "" for one declared with
// two types.
std::map<std::string, std::string> declaredTypes(const std::string& code) {
    std::map<std::string, std::string> types;
    const std::vector<Word> words = wordsOf(code);
    for (std::size_t w = 0; w + 1 < words.size(); ++w) {
        const std::string type = wordAt(code, words[w]);
        if (!isBasicType(type) || !blanksBetween(code, words[w], words[w + 1])) {
            continue;
        }
        const auto known = types.emplace(wordAt(code, words[w + 1]), type).first;
        known->second = known->second == type ? type : "";
    }
    return types;
}

bool isSwizzle(const std::string& word) {
    return !word.empty() && word.size() <= 4 &&
           (word.find_first_not_of("xyzw") == std::string::npos ||
            word.find_first_not_of("rgba") == std::string::npos);
}

// How many components the expression `e` surely has: a declared name, a swizzle of one operand, a
// constructor or a cast; 0 when that is not sure.
int widthOf(const std::string& e, const std::map<std::string, std::string>& declared) {
    if (e.empty()) {
        return 0;
    }
    if (wordEnd(e, 0) == e.size()) {
        const auto found = declared.find(e);
        return found == declared.end() ? 0 : typeWidth(found->second);
    }
    const std::size_t dot = e.rfind('.');
    if (dot != std::string::npos && dot > 0 && operandStart(e, dot) == 0 &&
        isSwizzle(e.substr(dot + 1))) {
        return static_cast<int>(e.size() - dot - 1);
    }
    const std::size_t typeEnd = wordEnd(e, 0);
    if (e[typeEnd] == '(' && closingParen(e, typeEnd) == e.size() - 1) {
        return typeWidth(e.substr(0, typeEnd));
    }
    const std::size_t cast = e[0] == '(' ? closingParen(e, 0) : std::string::npos;
    return cast == std::string::npos ? 0 : typeWidth(e.substr(1, cast - 1));
}

bool isNumber(const std::string& e) {
    const std::size_t start = e[0] == '-' ? skipBlanks(e, 1) : 0;
    return start < e.size() && (isDigit(e[start]) || e[start] == '.') &&
           numberEnd(e, start) == e.size();
}

bool takesFirstArgumentsType(const std::string& name) {
    static const char* const NAMES[] = {"min",  "max",   "pow",      "atan2", "fmod",
                                        "lerp", "clamp", "distance", "dot"};
    for (const char* known : NAMES) {
        if (name == known) {
            return true;
        }
    }
    return false;
}

bool isHalfType(const std::string& word) {
    return isBasicType(word) &&
           (word.compare(0, 4, "half") == 0 || word.compare(0, 5, "fixed") == 0);
}

// Whether the expression `e` is surely of a half type: a name declared so, a swizzle of one, a
// half constructor or cast.
bool surelyHalf(const std::string& e, const std::map<std::string, std::string>& declared) {
    if (e.empty()) {
        return false;
    }
    if (wordEnd(e, 0) == e.size()) {
        const auto found = declared.find(e);
        return found != declared.end() && isHalfType(found->second);
    }
    const std::size_t dot = e.rfind('.');
    if (dot != std::string::npos && dot > 0 && operandStart(e, dot) == 0 &&
        isSwizzle(e.substr(dot + 1))) {
        return surelyHalf(e.substr(0, dot), declared);
    }
    const std::size_t typeEnd = wordEnd(e, 0);
    if (e[typeEnd] == '(' && closingParen(e, typeEnd) == e.size() - 1) {
        return isHalfType(e.substr(0, typeEnd));
    }
    const std::size_t cast = e[0] == '(' ? closingParen(e, 0) : std::string::npos;
    return cast != std::string::npos && isHalfType(e.substr(1, cast - 1));
}

// The type as glslang's HLSL takes it: half and fixed are float.
std::string asFloat(const std::string& type) {
    const std::size_t base = type.compare(0, 4, "half") == 0    ? 4
                             : type.compare(0, 5, "fixed") == 0 ? 5
                                                                : 0;
    return isBasicType(type) && base > 0 ? "float" + type.substr(base) : type;
}

std::vector<std::string> parameterTypes(const std::string& code, const FunctionDefinition& d) {
    std::vector<std::string> types;
    for (const Parameter& p : parametersOf(code.substr(d.open + 1, d.close - d.open - 1))) {
        types.push_back(p.type);
    }
    return types;
}

// Whether a call with these arguments is meant for the overload taking `types`, where it takes
// half.
bool callsHalf(const std::string& code,
               const std::vector<std::pair<std::size_t, std::size_t>>& places,
               const std::vector<std::string>& types,
               const std::map<std::string, std::string>& declared) {
    if (places.size() != types.size()) {
        return false;
    }
    for (std::size_t a = 0; a < places.size(); ++a) {
        const std::string e = code.substr(places[a].first, places[a].second - places[a].first);
        const int width = widthOf(e, declared);
        if (isHalfType(types[a]) &&
            (!surelyHalf(e, declared) || (width != 0 && width != typeWidth(types[a])))) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string withHalfOverloadsApart(std::string_view source) {
    const std::string code = withoutDirectives(codeOnly(source));
    const std::vector<Word> words = wordsOf(code);
    const std::vector<FunctionDefinition> definitions = definitionsIn(code, words);
    // name -> the parameter types of its half overloads that have a float twin
    std::map<std::string, std::vector<std::vector<std::string>>> twins;
    std::set<std::size_t> renamed;  // where the words to rename start
    for (const FunctionDefinition& half : definitions) {
        const std::vector<std::string> types = parameterTypes(code, half);
        std::vector<std::string> floats;
        for (const std::string& type : types) {
            floats.push_back(asFloat(type));
        }
        for (const FunctionDefinition& other : definitions) {
            if (floats != types && wordAt(code, other.name) == wordAt(code, half.name) &&
                parameterTypes(code, other) == floats) {
                twins[wordAt(code, half.name)].push_back(types);
                renamed.insert(half.name.start);
                break;
            }
        }
    }
    std::set<std::size_t> definitionNames;
    for (const FunctionDefinition& definition : definitions) {
        definitionNames.insert(definition.name.start);
    }
    const std::map<std::string, std::string> declared = declaredTypes(code);
    for (const Word& word : words) {
        const auto found = twins.find(wordAt(code, word));
        const std::size_t open = skipBlanks(code, word.end);
        if (found == twins.end() || definitionNames.count(word.start) != 0 || open >= code.size() ||
            code[open] != '(' || (word.start > 0 && code[word.start - 1] == '.')) {
            continue;
        }
        const auto places = arguments(code, open);
        for (const std::vector<std::string>& types : found->second) {
            if (callsHalf(code, places, types, declared)) {
                renamed.insert(word.start);
            }
        }
    }
    std::string out;
    std::size_t copied = 0;
    for (const Word& word : words) {
        if (renamed.count(word.start) != 0) {
            out.append(source, copied, word.start - copied).append("cg_half_");
            copied = word.start;
        }
    }
    return out.append(source, copied, std::string::npos);
}

std::string withMixedArgumentsNarrowed(std::string_view source) {
    const std::string code = withoutDirectives(codeOnly(source));
    const std::map<std::string, std::string> declared = declaredTypes(code);
    const std::set<std::string> own = definedFunctions(source);
    Insertions edits;
    for (const Word& word : wordsOf(code)) {
        const std::string name = wordAt(code, word);
        const std::size_t open = skipBlanks(code, word.end);
        if (!takesFirstArgumentsType(name) || own.count(name) != 0 || open >= code.size() ||
            code[open] != '(' || (word.start > 0 && code[word.start - 1] == '.')) {
            continue;
        }
        const auto places = arguments(code, open);
        const auto text = [&](std::size_t a) {
            return code.substr(places[a].first, places[a].second - places[a].first);
        };
        if (places.size() < 2 || widthOf(text(0), declared) != 1) {
            continue;
        }
        for (std::size_t a = 1; a < places.size(); ++a) {
            if (widthOf(text(a), declared) != 1 && !isNumber(text(a))) {
                enclose(edits, places[a].first, places[a].second, "(", ").x");
            }
        }
    }
    return withInserted(source, std::move(edits));
}

std::string withConstantComparisonsKept(std::string_view source) {
    const std::string code = withoutDirectives(codeOnly(source));
    const std::vector<Token> tokens = tokensOf(code);
    const std::vector<std::size_t> mates = bracketMates(code, tokens);
    Insertions edits;
    for (std::size_t t = 1; t + 1 < tokens.size(); ++t) {
        if (!isComparison(code, tokens[t])) {
            continue;
        }
        const std::size_t leftFirst = operandFirst(code, tokens, mates, t - 1);
        const std::size_t rightLast = operandLast(code, tokens, mates, t + 1);
        bool vector = false;
        if (constantOperand(code, tokens, leftFirst, t - 1, vector) &&
            constantOperand(code, tokens, t + 1, rightLast, vector) && vector) {
            enclose(edits, tokens[leftFirst].start, tokens[t - 1].end, "cg_kept(", ")");
        }
    }
    return withInserted(source, std::move(edits));
}

std::string withSelfInitializersSplit(std::string_view source) {
    const std::string code = withoutDirectives(codeOnly(source));
    const std::vector<Word> words = wordsOf(code);
    const std::set<std::string> structs = structNames(code, words);
    Insertions edits;
    int depth = 0;  // of braces, at the word
    std::size_t counted = 0;
    for (std::size_t w = 0; w + 1 < words.size(); ++w) {
        for (; counted < words[w].start; ++counted) {
            depth += code[counted] == '{' ? 1 : code[counted] == '}' ? -1 : 0;
        }
        const std::string type = wordAt(code, words[w]);
        const std::string name = wordAt(code, words[w + 1]);
        const std::size_t equals = skipBlanks(code, words[w + 1].end);
        if (depth <= 0 || (!isBasicType(type) && structs.count(type) == 0) ||
            !blanksBetween(code, words[w], words[w + 1]) ||
            !startsStatement(code, words[w].start) || equals >= code.size() ||
            code[equals] != '=' || code.compare(equals, 2, "==") == 0) {
            continue;
        }
        const std::size_t end = valueEnd(code, equals + 1);
        if (end != std::string::npos && code[end] == ';' &&
            names(code, words, equals + 1, end, name)) {
            edits.emplace_back(equals, "; " + name + " ");
        }
    }
    return withInserted(source, std::move(edits));
}

std::string withMatrixSwizzlesSpread(std::string_view source) {
    const std::string code = codeOnly(source);
    std::string out;
    std::size_t copied = 0;
    for (const Word& word : wordsOf(code)) {
        const std::vector<std::string> elements = matrixElements(wordAt(code, word));
        const std::size_t dot = word.start - 1;
        if (elements.size() < 2 || elements.size() > 4 || word.start == 0 || code[dot] != '.' ||
            assignedAt(code, word.end)) {
            continue;
        }
        const std::size_t start = operandStart(code, dot);
        const std::string matrix(source.substr(start, dot - start));
        if (start == dot || start < copied || matrix.find("++") != std::string::npos ||
            matrix.find("--") != std::string::npos) {
            continue;
        }
        out.append(source, copied, start - copied);
        out += "float" + std::to_string(elements.size()) + "(";
        for (std::size_t e = 0; e < elements.size(); ++e) {
            out += (e == 0 ? "" : ", ") + matrix + "." + elements[e];
        }
        out += ")";
        copied = word.end;
    }
    return out.append(source, copied, std::string::npos);
}

}  // namespace cgrt
