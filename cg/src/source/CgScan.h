// The one scanner every pass over Cg source text reads through: pieces (words, numbers, comments,
// strings), directives as the preprocessor finds them and brackets, found by hand (std::regex
// recurses once a character and would overflow the stack on a long run of one), and edits made at
// positions of the text as it was.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cgrt {
namespace text {

using Insertions = std::vector<std::pair<std::size_t, std::string>>;  // what goes where

bool identStart(char c);

bool identChar(char c);

// What the piece of source text at a position is. Blank and Mark are one character each; a
// Number (1.0e5f, 0x1F) holds letters and dots but is no Word; a Comment or String that is not
// closed ends at the end of the text, or of its line for a string.
enum class Piece { Blank, Mark, Word, Number, Comment, String };

struct Lexeme {
    Piece kind;
    std::size_t end;
};

// The piece that starts at `at` (inside `source`) and where it ends.
Lexeme lexemeAt(std::string_view source, std::size_t at);

// The ')' that closes the '(' at `open`; npos when it does not close.
std::size_t closingParen(std::string_view source, std::size_t open);

std::size_t skipSpaces(std::string_view line, std::size_t at);

std::size_t wordEnd(std::string_view line, std::size_t at);

// The word of a directive line ("ifdef" of "  # ifdef X"), with `end` just after it; empty for a
// line that is no directive.
std::string_view directiveWord(std::string_view line, std::size_t& end);

std::size_t skipBlanks(const std::string& text, std::size_t at);

struct Word {
    std::size_t start;
    std::size_t end;
};

// The identifiers of `code` (see codeOnly) in order, members after a '.' included; the letters of
// numbers (1.0e5f, 0x1F) are none.
std::vector<Word> wordsOf(const std::string& code);

// Where the assigned expression that ends just before `end` starts (`a`, `a.x`, `b[i].y`); `end`
// itself when there is none.
std::size_t targetStart(const std::string& code, std::size_t end);

// Where the right side that starts at `from` ends: a ';' or ',' outside brackets, or a bracket
// that closes one opened before it.
std::size_t valueEnd(const std::string& code, std::size_t from);

// Where each argument of the call whose '(' is at `open` starts and ends (past its last
// character), blanks around it left out; empty for a call with none or one that does not close.
std::vector<std::pair<std::size_t, std::size_t>> arguments(const std::string& code,
                                                           std::size_t open);

struct FunctionDefinition {
    Word name;
    std::size_t open;   // its parameter list's '('
    std::size_t close;  // and ')'
};

// Every "TYPE NAME(...) ... {" of `code` (see codeOnly), `words` being its words.
std::vector<FunctionDefinition> definitionsIn(const std::string& code,
                                              const std::vector<Word>& words);

struct Parameter {
    std::string type;  // the word its type starts with
    bool written;      // out or inout
    bool array;
};

// The parameters of a definition's list, as the text between its brackets has them.
std::vector<Parameter> parametersOf(const std::string& list);

// Whether only blanks, at least one, stand between two words.
bool blanksBetween(const std::string& code, const Word& a, const Word& b);

// text[from, to) turned into spaces but for its line breaks, so that positions and line numbers
// stay.
void blank(std::string& text, std::size_t from, std::size_t to);

// Each text inserted at its position in `text` as it was.
void insertAll(std::string& text, Insertions edits);

// Where the first comment of `text` at or past `from` starts; npos when there is none.
std::size_t commentFrom(std::string_view text, std::size_t from);

// Whether `text` holds nothing but blanks and comments.
bool blanksAndComments(std::string_view text);

// `source` with comments and string literals turned into spaces, line breaks kept: positions in
// it are positions in `source`, and no word in it comes from a comment.
std::string codeOnly(std::string_view source);

struct Span {
    std::size_t start;
    std::size_t end;
};

// The preprocessor directives of `source`, each from its '#' to the line break that ends it. As
// in C, a comment counts as one space: one that spans lines neither ends a directive nor lets a
// '#' after it start one on a line that began before it. A line break after a backslash
// continues the directive.
std::vector<Span> directivesOf(std::string_view source);

// `source` as codeOnly gives it, with every preprocessor directive blanked as well.
std::string withoutDirectives(std::string_view source);

// `text` with each of its words that `renamed` maps renamed, as `when` (given the word's index)
// allows.
template <typename When>
std::string withWordsRenamed(const std::string& text,
                             const std::map<std::string, std::string>& renamed, When when) {
    const std::string code = codeOnly(text);
    const std::vector<Word> words = wordsOf(code);
    std::string out;
    std::size_t copied = 0;
    for (std::size_t w = 0; w < words.size(); ++w) {
        const auto to = renamed.find(code.substr(words[w].start, words[w].end - words[w].start));
        if (to != renamed.end() && when(code, words, w)) {
            out.append(text, copied, words[w].start - copied).append(to->second);
            copied = words[w].end;
        }
    }
    return out.append(text, copied, std::string::npos);
}

}  // namespace text
}  // namespace cgrt
