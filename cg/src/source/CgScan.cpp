#include "CgScan.h"

#include <algorithm>
#include <cctype>

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
