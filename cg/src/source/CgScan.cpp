#include "CgScan.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace cgrt {
namespace text {

bool identStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_';
}

bool identChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

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

std::string_view directiveWord(std::string_view line, std::size_t& end) {
    const std::size_t hash = skipSpaces(line, 0);
    if (hash == line.size() || line[hash] != '#') {
        return {};
    }
    const std::size_t start = skipSpaces(line, hash + 1);
    end = wordEnd(line, start);
    return line.substr(start, end - start);
}

std::size_t skipBlanks(const std::string& text, std::size_t at) {
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])) != 0) {
        ++at;
    }
    return at;
}

std::size_t targetStart(const std::string& code, std::size_t end) {
    std::size_t at = end;
    while (at > 0 && (code[at - 1] == ' ' || code[at - 1] == '\t')) {
        --at;
    }
    const std::size_t last = at;
    while (at > 0) {
        const char c = code[at - 1];
        if (identChar(c) || c == '.') {
            --at;
        } else if (c == ']') {
            const std::size_t open = code.rfind('[', at - 1);
            if (open == std::string::npos) {
                break;
            }
            at = open;
        } else {
            break;
        }
    }
    return at == last ? end : at;
}

std::size_t valueEnd(const std::string& code, std::size_t from) {
    int depth = 0;
    for (std::size_t at = from; at < code.size(); ++at) {
        const char c = code[at];
        if (c == '(' || c == '[' || c == '{') {
            ++depth;
        } else if (c == ')' || c == ']' || c == '}') {
            if (depth-- == 0) {
                return at;
            }
        } else if (depth == 0 && (c == ';' || c == ',')) {
            return at;
        }
    }
    return std::string::npos;
}

std::vector<std::pair<std::size_t, std::size_t>> arguments(const std::string& code,
                                                           std::size_t open) {
    std::vector<std::pair<std::size_t, std::size_t>> found;
    const std::size_t close = closingParen(code, open);
    if (close == std::string::npos) {
        return found;
    }
    int depth = 0;
    std::size_t start = open + 1;
    for (std::size_t i = open + 1; i <= close; ++i) {
        const char c = code[i];
        if ((c == ',' && depth == 0) || i == close) {
            std::size_t first = skipBlanks(code, start);
            std::size_t last = i;
            while (last > first && std::isspace(static_cast<unsigned char>(code[last - 1]))) {
                --last;
            }
            if (first < last) {
                found.emplace_back(first, last);
            }
            start = i + 1;
        }
        depth += c == '(' || c == '[' ? 1 : c == ')' || c == ']' ? -1 : 0;
    }
    return found;
}

std::vector<Word> wordsOf(const std::string& code) {
    std::vector<Word> words;
    for (std::size_t i = 0; i < code.size();) {
        const Lexeme l = lexemeAt(code, i);
        if (l.kind == Piece::Word) {
            words.push_back({i, l.end});
        }
        i = l.end;
    }
    return words;
}

namespace {

// `else if (x) {` looks like a definition of `if`.
bool isStatementWord(const std::string& word) {
    return word == "if" || word == "for" || word == "while" || word == "switch" || word == "return";
}

}  // namespace

std::vector<FunctionDefinition> definitionsIn(const std::string& code,
                                              const std::vector<Word>& words) {
    std::vector<FunctionDefinition> found;
    for (std::size_t w = 0; w + 1 < words.size(); ++w) {
        const std::size_t open = skipBlanks(code, words[w + 1].end);
        const std::size_t close =
            open < code.size() && code[open] == '(' ? closingParen(code, open) : std::string::npos;
        const std::size_t body =
            close == std::string::npos ? close : code.find_first_of(";{", close);
        if (blanksBetween(code, words[w], words[w + 1]) && body != std::string::npos &&
            code[body] == '{' &&
            !isStatementWord(
                code.substr(words[w + 1].start, words[w + 1].end - words[w + 1].start))) {
            found.push_back({words[w + 1], open, close});
        }
    }
    return found;
}

std::vector<Parameter> parametersOf(const std::string& list) {
    std::vector<Parameter> parameters;
    std::istringstream in(list);
    std::string parameter;
    while (std::getline(in, parameter, ',')) {
        Parameter found{"", false, parameter.find('[') != std::string::npos};
        for (const Word& word : wordsOf(parameter)) {
            const std::string text = parameter.substr(word.start, word.end - word.start);
            found.written = found.written || text == "out" || text == "inout";
            if (text != "in" && text != "out" && text != "inout" && text != "uniform" &&
                text != "const") {
                found.type = text;
                break;
            }
        }
        parameters.push_back(found);
    }
    return parameters;
}

bool blanksBetween(const std::string& code, const Word& a, const Word& b) {
    return b.start > a.end && skipBlanks(code, a.end) == b.start;
}

void insertAll(std::string& text, Insertions edits) {
    std::stable_sort(edits.begin(), edits.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& edit : edits) {
        text.insert(edit.first, edit.second);
    }
}

Lexeme lexemeAt(std::string_view source, std::size_t at) {
    const char c = source[at];
    const char next = at + 1 < source.size() ? source[at + 1] : '\0';
    if (c == '/' && next == '/') {
        return {Piece::Comment, std::min(source.find('\n', at), source.size())};
    }
    if (c == '/' && next == '*') {
        const std::size_t close = source.find("*/", at + 2);
        return {Piece::Comment, close == std::string_view::npos ? source.size() : close + 2};
    }
    if (c == '"') {
        std::size_t end = at + 1;
        while (end < source.size() && source[end] != '"' && source[end] != '\n') {
            end +=
                source[end] == '\\' && end + 1 < source.size() && source[end + 1] != '\n' ? 2 : 1;
        }
        return {Piece::String, end < source.size() && source[end] == '"' ? end + 1 : end};
    }
    if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
        std::size_t end = at + 1;
        while (end < source.size() && (identChar(source[end]) || source[end] == '.')) {
            ++end;
        }
        return {Piece::Number, end};
    }
    if (identStart(c)) {
        return {Piece::Word, wordEnd(source, at)};
    }
    return {std::isspace(static_cast<unsigned char>(c)) != 0 ? Piece::Blank : Piece::Mark, at + 1};
}

std::size_t commentFrom(std::string_view text, std::size_t from) {
    for (std::size_t i = from; i < text.size();) {
        const Lexeme l = lexemeAt(text, i);
        if (l.kind == Piece::Comment) {
            return i;
        }
        i = l.end;
    }
    return std::string_view::npos;
}

bool blanksAndComments(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const Lexeme l = lexemeAt(text, i);
        if (l.kind != Piece::Blank && l.kind != Piece::Comment) {
            return false;
        }
        i = l.end;
    }
    return true;
}

void blank(std::string& text, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) {
        if (text[i] != '\n') {
            text[i] = ' ';
        }
    }
}

std::string codeOnly(std::string_view source) {
    std::string code(source);
    for (std::size_t i = 0; i < code.size();) {
        const Lexeme l = lexemeAt(source, i);
        if (l.kind == Piece::Comment || l.kind == Piece::String) {
            blank(code, i, l.end);
        }
        i = l.end;
    }
    return code;
}

namespace {

// Whether the line break at `at` follows a backslash, as a line of a Windows text ends with one.
bool continued(std::string_view source, std::size_t at) {
    const std::size_t last = at > 0 && source[at - 1] == '\r' ? at - 1 : at;
    return last > 0 && source[last - 1] == '\\';
}

}  // namespace

std::vector<Span> directivesOf(std::string_view source) {
    std::vector<Span> directives;
    bool lineStart = true;
    bool inDirective = false;
    for (std::size_t i = 0; i < source.size();) {
        const Lexeme l = lexemeAt(source, i);
        if (source[i] == '\n') {
            if (inDirective && !continued(source, i)) {
                directives.back().end = i;
                inDirective = false;
            }
            lineStart = true;
        } else if (l.kind == Piece::Mark && source[i] == '#' && lineStart && !inDirective) {
            directives.push_back({i, source.size()});
            inDirective = true;
        }
        if (l.kind != Piece::Blank && l.kind != Piece::Comment) {
            lineStart = false;
        }
        i = l.end;
    }
    return directives;
}

std::string withoutDirectives(std::string_view source) {
    std::string code = codeOnly(source);
    for (const Span& d : directivesOf(source)) {
        blank(code, d.start, d.end);
    }
    return code;
}

}  // namespace text
}  // namespace cgrt
