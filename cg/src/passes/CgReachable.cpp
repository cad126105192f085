#include "CgReachable.h"

#include "CgScan.h"

#include <functional>
#include <map>
#include <set>
#include <vector>

namespace cgrt {
namespace {

struct Token {
    std::size_t at;
    std::size_t length;
    bool identifier;
};

using Macros = std::map<std::string, std::set<std::string>>;

// The words and numbers of one directive: its name first.
std::vector<std::string> directiveWords(std::string_view s, const text::Span& d) {
    std::vector<std::string> words;
    for (std::size_t i = d.start; i < d.end;) {
        const text::Lexeme l = text::lexemeAt(s.substr(0, d.end), i);
        if (l.kind == text::Piece::Word || l.kind == text::Piece::Number) {
            words.emplace_back(s.substr(i, l.end - i));
        }
        i = l.end;
    }
    return words;
}

// Identifiers, numbers and punctuation, without comments, strings and preprocessor lines. The
// words of each #define's body are returned apart, under the macro's name: a function that a
// used macro names is reached.
std::vector<Token> tokenize(std::string_view s, Macros& macros) {
    std::vector<Token> tokens;
    const std::vector<text::Span> directives = text::directivesOf(s);
    auto directive = directives.begin();
    for (std::size_t i = 0; i < s.size();) {
        if (directive != directives.end() && i == directive->start) {
            const std::vector<std::string> words = directiveWords(s, *directive);
            if (words.size() >= 2 && words[0] == "define") {
                // A later definition replaces an earlier one, as in the preprocessor; of two in
                // #if/#else branches the last is kept, the one that is not the HLSL one in the
                // files that offer both.
                std::set<std::string>& body = macros[words[1]];
                body.clear();
                for (std::size_t w = 2; w < words.size(); ++w) {
                    if (text::identStart(words[w][0])) {
                        body.insert(words[w]);
                    }
                }
            }
            i = directive->end;
            ++directive;
            continue;
        }
        const text::Lexeme l = text::lexemeAt(s, i);
        // A number counts as an argument of a call, like a name.
        if (l.kind == text::Piece::Word || l.kind == text::Piece::Number ||
            l.kind == text::Piece::Mark) {
            tokens.push_back(Token{i, l.end - i, l.kind == text::Piece::Word});
        }
        i = l.end;
    }
    return tokens;
}

struct Function {
    std::string name;
    int parameters;              // how many it declares
    std::size_t signatureFirst;  // token indices
    std::size_t bodyFirst;       // the '{'
    std::size_t bodyLast;        // the matching '}'
};

bool is(std::string_view s, const Token& t, char c) {
    return !t.identifier && s[t.at] == c;
}

// How many comma-separated items the parentheses opening at token `open` hold; -1 when they do
// not close.
int argumentsAt(std::string_view s, const std::vector<Token>& t, std::size_t open) {
    int depth = 0, commas = 0;
    bool any = false;
    for (std::size_t k = open; k < t.size(); ++k) {
        if (is(s, t[k], '(') || is(s, t[k], '[') || is(s, t[k], '{')) {
            ++depth;
        } else if (is(s, t[k], ')') || is(s, t[k], ']') || is(s, t[k], '}')) {
            if (--depth == 0) {
                // "f(void)" declares none.
                const bool onlyVoid = k == open + 2 && t[open + 1].identifier &&
                                      s.substr(t[open + 1].at, t[open + 1].length) == "void";
                return any && !onlyVoid ? commas + 1 : 0;
            }
        } else if (depth == 1 && is(s, t[k], ',')) {
            ++commas;
        }
        if (k > open && depth >= 1) {
            any = true;
        }
    }
    return -1;
}

// The function whose body opens at token `open` (a '{' at the top level), if it is one:
// name ( ... ) [: SEMANTIC] {
bool functionAt(std::string_view s, const std::vector<Token>& t, std::size_t open,
                std::size_t signatureFirst, Function& f) {
    std::size_t i = open;
    if (i >= 2 && t[i - 1].identifier && is(s, t[i - 2], ':')) {
        i -= 2;
    }
    if (i == 0 || !is(s, t[i - 1], ')')) {
        return false;
    }
    int depth = 0;
    std::size_t j = i - 1;
    for (;; --j) {
        depth += is(s, t[j], ')') ? 1 : is(s, t[j], '(') ? -1 : 0;
        if (depth == 0 || j == 0) {
            break;
        }
    }
    if (depth != 0 || j == 0 || !t[j - 1].identifier) {
        return false;
    }
    f.name = std::string(s.substr(t[j - 1].at, t[j - 1].length));
    f.parameters = argumentsAt(s, t, j);
    f.signatureFirst = signatureFirst;
    f.bodyFirst = open;
    return true;
}

}  // namespace

std::string withoutUnreachedFunctions(std::string_view source, const std::string& entry) {
    Macros macros;
    const std::vector<Token> t = tokenize(source, macros);
    std::set<std::string> roots;
    std::vector<Function> functions;
    std::vector<bool> inFunction(t.size(), false);
    int depth = 0;
    std::size_t statementFirst = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (is(source, t[i], '{')) {
            Function f;
            if (depth == 0 && functionAt(source, t, i, statementFirst, f)) {
                functions.push_back(f);
            }
            ++depth;
        } else if (is(source, t[i], '}')) {
            if (--depth < 0) {
                return std::string(source);
            }
            if (depth == 0 && !functions.empty() && functions.back().bodyFirst > statementFirst) {
                functions.back().bodyLast = i;
                statementFirst = i + 1;
                for (std::size_t k = functions.back().signatureFirst; k <= i; ++k) {
                    inFunction[k] = true;
                }
            }
        } else if (depth == 0 && is(source, t[i], ';')) {
            statementFirst = i + 1;
        }
    }
    if (depth != 0) {
        return std::string(source);
    }
    // Text outside every function (globals' initializers, struct members) counts as reached.
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (!inFunction[i] && t[i].identifier) {
            roots.insert(std::string(source.substr(t[i].at, t[i].length)));
        }
    }
    std::map<std::string, std::vector<const Function*>> byName;
    for (const Function& f : functions) {
        byName[f.name].push_back(&f);
    }
    if (byName.count(entry) == 0) {
        return std::string(source);
    }
    // Overloads are told apart by their number of parameters: a call reaches those of its name
    // that take as many arguments. Names that macros or globals use reach every overload.
    std::set<std::pair<std::string, int>> reached;
    std::vector<std::pair<std::string, int>> todo{{entry, -1}};
    std::set<std::string> expanded;
    // A word reaches the functions of its name, and through a macro of its name whatever the
    // macro's body names.
    std::function<void(const std::string&, int)> use = [&](const std::string& word, int arity) {
        if (byName.count(word) != 0) {
            todo.emplace_back(word, arity);
        }
        const auto m = macros.find(word);
        if (m != macros.end() && expanded.insert(word).second) {
            for (const std::string& inner : m->second) {
                use(inner, -1);
            }
        }
    };
    for (const std::string& r : roots) {
        use(r, -1);
    }
    while (!todo.empty()) {
        const auto call = todo.back();
        todo.pop_back();
        if (!reached.insert(call).second) {
            continue;
        }
        for (const Function* f : byName[call.first]) {
            if (call.second != -1 && call.second != f->parameters) {
                continue;
            }
            for (std::size_t k = f->bodyFirst; k <= f->bodyLast; ++k) {
                if (!t[k].identifier) {
                    continue;
                }
                const std::string word(source.substr(t[k].at, t[k].length));
                const bool called = k + 1 < t.size() && is(source, t[k + 1], '(');
                use(word, called ? argumentsAt(source, t, k + 1) : -1);
            }
        }
    }
    auto isReached = [&reached](const Function& f) {
        return reached.count({f.name, -1}) != 0 || reached.count({f.name, f.parameters}) != 0;
    };
    std::string out(source);
    for (const Function& f : functions) {
        if (isReached(f)) {
            continue;
        }
        const std::size_t first = t[f.bodyFirst].at;
        const std::size_t last = t[f.bodyLast].at;
        // Every character of the body goes but its line breaks; "{" becomes the ";" that ends the
        // prototype left behind.
        for (std::size_t k = first; k <= last; ++k) {
            if (out[k] != '\n') {
                out[k] = ' ';
            }
        }
        out[first] = ';';
    }
    return out;
}

}  // namespace cgrt
