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
        if (std::isdigit(static_cast<unsigned char>(code[i])) != 0) {
            while (i < code.size() && (identChar(code[i]) || code[i] == '.')) {
                ++i;
            }
        } else if (identStart(code[i])) {
            const std::size_t end = wordEnd(code, i);
            words.push_back({i, end});
            i = end;
        } else {
            ++i;
        }
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

std::string codeOnly(std::string_view source) {
    std::string code(source);
    for (std::size_t i = 0; i < code.size();) {
        std::size_t end = 0;
        if (code.compare(i, 2, "//") == 0) {
            end = std::min(code.find('\n', i), code.size());
        } else if (code.compare(i, 2, "/*") == 0) {
            const std::size_t close = code.find("*/", i + 2);
            end = close == std::string::npos ? code.size() : close + 2;
        } else if (code[i] == '"') {
            end = std::min(code.find_first_of("\"\n", i + 1), code.size() - 1) + 1;
        } else {
            ++i;
            continue;
        }
        for (; i < end; ++i) {
            code[i] = code[i] == '\n' ? '\n' : ' ';
        }
    }
    return code;
}

std::string withoutDirectives(std::string code) {
    for (std::size_t start = 0; start < code.size();) {
        const std::size_t end = std::min(code.find('\n', start), code.size());
        const std::size_t first = code.find_first_not_of(" \t", start);
        if (first < end && code[first] == '#') {
            std::fill(code.begin() + static_cast<std::ptrdiff_t>(first),
                      code.begin() + static_cast<std::ptrdiff_t>(end), ' ');
        }
        start = end + 1;
    }
    return code;
}

}  // namespace text
}  // namespace cgrt
