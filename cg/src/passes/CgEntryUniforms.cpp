#include "CgEntryUniforms.h"

#include "CgScan.h"

#include <algorithm>
#include <vector>

namespace cgrt {
namespace {

using text::identChar;

// The closing bracket of the one opening at `open`; npos when it does not close.
std::size_t matching(const std::string& s, std::size_t open) {
    int depth = 0;
    for (std::size_t i = open; i < s.size(); ++i) {
        depth += s[i] == '(' || s[i] == '{' || s[i] == '[' ? 1 : 0;
        depth -= s[i] == ')' || s[i] == '}' || s[i] == ']' ? 1 : 0;
        if (depth == 0) {
            return i;
        }
    }
    return std::string::npos;
}

}  // namespace

bool findEntry(const std::string& code, const std::string& entry, Entry& e) {
    int depth = 0;
    // Where the declaration after the last one ended at the top level may start: the entry's own
    // line may hold a struct it takes as a uniform.
    std::size_t declarationFirst = 0;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (c == '{') {
            ++depth;
        } else if (c == '}' || (c == ';' && depth == 0)) {
            depth -= c == '}' ? 1 : 0;
            declarationFirst = depth == 0 ? i + 1 : declarationFirst;
        } else if (depth == 0 && code.compare(i, entry.size(), entry) == 0 &&
                   (i == 0 || !identChar(code[i - 1])) &&
                   !identChar(code[std::min(i + entry.size(), code.size() - 1)])) {
            const std::size_t open = text::skipBlanks(code, i + entry.size());
            if (open >= code.size() || code[open] != '(') {
                continue;
            }
            const std::size_t close = matching(code, open);
            if (close == std::string::npos) {
                return false;
            }
            std::size_t next = text::skipBlanks(code, close + 1);
            if (next < code.size() && code[next] == ':') {
                next = text::skipBlanks(code, next + 1);
                while (next < code.size() && identChar(code[next])) {
                    ++next;
                }
                next = text::skipBlanks(code, next);
            }
            if (next < code.size() && code[next] == '{') {
                const std::size_t lineStart = code.rfind('\n', i);
                const std::size_t first =
                    std::max(lineStart == std::string::npos ? 0 : lineStart + 1, declarationFirst);
                e = Entry{first, open, close, next};
                return true;
            }
        }
    }
    return false;
}

std::vector<std::string> words(const std::string& code) {
    std::vector<std::string> out;
    for (const text::Word& w : text::wordsOf(code)) {
        out.push_back(code.substr(w.start, w.end - w.start));
    }
    return out;
}

bool findStruct(const std::string& code, const std::string& type, std::size_t& open,
                std::size_t& close, std::size_t from) {
    for (std::size_t at = code.find("struct", from); at != std::string::npos;
         at = code.find("struct", at + 6)) {
        const std::vector<std::string> head = words(code.substr(at, 128));
        const std::size_t brace = code.find('{', at);
        if (head.size() < 2 || head[0] != "struct" || head[1] != type ||
            brace == std::string::npos) {
            continue;
        }
        const std::size_t end = matching(code, brace);
        if (end != std::string::npos) {
            open = brace;
            close = end;
            return true;
        }
    }
    return false;
}

bool holdsSampler(const std::string& code, const std::string& type) {
    if (type.rfind("sampler", 0) == 0 || type == "texture") {
        return true;
    }
    // Each definition counts: the text has not been preprocessed, and a struct may be defined
    // once for each branch of an #if.
    for (std::size_t open = 0, close = 0; findStruct(code, type, open, close, open); open = close) {
        if (code.substr(open, close - open).find("sampler") != std::string::npos) {
            return true;
        }
    }
    return false;
}

std::vector<std::pair<std::size_t, std::size_t>> topLevelStatements(const std::string& code) {
    std::vector<std::pair<std::size_t, std::size_t>> out;
    int depth = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        depth += c == '{' ? 1 : c == '}' ? -1 : 0;
        if (depth != 0 || (c != ';' && c != '}')) {
            continue;
        }
        // A brace list (`= { 1, 2 };`) or a struct's members go on to the ';' after them.
        if (c == '}' && i + 1 < code.size() && code[text::skipBlanks(code, i + 1)] == ';') {
            continue;
        }
        if (c == ';') {
            out.emplace_back(start, i);
        }
        start = i + 1;
    }
    return out;
}

std::vector<std::pair<std::size_t, std::size_t>> parameterSpans(const std::string& code,
                                                                const Entry& e) {
    std::vector<std::pair<std::size_t, std::size_t>> params;
    std::size_t start = e.open + 1;
    int depth = 0;
    for (std::size_t i = e.open + 1; i < e.close; ++i) {
        depth += code[i] == '(' || code[i] == '[' ? 1 : code[i] == ')' || code[i] == ']' ? -1 : 0;
        if (depth == 0 && code[i] == ',') {
            params.emplace_back(start, i);
            start = i + 1;
        }
    }
    params.emplace_back(start, e.close);
    return params;
}

std::string withEntryUniformsMoved(std::string_view source, const std::string& entry,
                                   bool fragment) {
    const std::string code = text::withoutDirectives(source);
    Entry e;
    if (!findEntry(code, entry, e)) {
        return std::string(source);
    }
    const std::vector<std::pair<std::size_t, std::size_t>> params = parameterSpans(code, e);

    std::string out(source);
    std::string globals, copies;
    std::vector<bool> moved(params.size(), false);
    for (std::size_t k = 0; k < params.size(); ++k) {
        const std::string text = code.substr(params[k].first, params[k].second - params[k].first);
        const std::vector<std::string> w = words(text);
        // "uniform TYPE NAME" with an optional ": SEMANTIC"; arrays and the like stay. A sampler
        // is uniform with the word or without; so is a struct holding one that a fragment
        // program takes (its other members are vertex attributes the fragment cannot read).
        const bool declared = w.size() >= 3 && w[0] == "uniform";
        const std::size_t first = declared ? 1 : !w.empty() && w[0] == "in" ? 1 : 0;
        if (w.size() < first + 2 || w[first] == "out" || w[first] == "inout" ||
            text.find('[') != std::string::npos || text.find('=') != std::string::npos) {
            continue;
        }
        const std::string& type = w[first];
        const std::string& name = w[first + 1];
        const bool implied =
            type.rfind("sampler", 0) == 0 || (fragment && holdsSampler(code, type));
        if (!declared && !implied) {
            continue;
        }
        const std::size_t colon = text.find(':');
        // A varying's semantic (TEXCOORD2) means nothing to the uniform it becomes.
        const std::string semantic =
            colon == std::string::npos || !declared ? std::string() : " " + text.substr(colon);
        if (holdsSampler(code, type)) {
            globals += "uniform " + type + " " + name + semantic + "; ";
        } else {
            globals += "uniform " + type + " " + ENTRY_UNIFORM_PREFIX + name + "; ";
            copies += " " + type + " " + name + " = " + ENTRY_UNIFORM_PREFIX + name + ";";
        }
        moved[k] = true;
    }
    if (globals.empty()) {
        return std::string(source);
    }
    // Each moved parameter goes with the comma before it, or after it when it is the first left.
    bool firstKept = true;
    for (std::size_t k = 0; k < params.size(); ++k) {
        if (!moved[k]) {
            firstKept = false;
            continue;
        }
        std::size_t from = params[k].first, to = params[k].second;
        if (!firstKept) {
            from -= 1;  // the comma before
        } else if (k + 1 < params.size()) {
            to += 1;  // the comma after
        }
        text::blank(out, from, to);
    }
    // Copies first, declarations last: positions before them stay valid.
    out.insert(e.body + 1, copies);
    out.insert(e.signature, globals);
    return out;
}

namespace {

// Whether the word at `at` (of length `length`) is assigned to: followed, past any member, swizzle
// or index, by an assignment or an increment.
bool assignedAt(const std::string& code, std::size_t at, std::size_t length) {
    std::size_t i = text::skipBlanks(code, at + length);
    for (;;) {
        if (i < code.size() && code[i] == '.') {
            i = text::skipBlanks(code, i + 1);
            while (i < code.size() && identChar(code[i])) {
                ++i;
            }
        } else if (i < code.size() && code[i] == '[') {
            const std::size_t close = matching(code, i);
            if (close == std::string::npos) {
                return false;
            }
            i = close + 1;
        } else {
            break;
        }
        i = text::skipBlanks(code, i);
    }
    if (i + 1 >= code.size()) {
        return false;
    }
    const char c = code[i], next = code[i + 1];
    if (c == '=') {
        return next != '=';
    }
    return (next == '=' && std::string("+-*/%&|^").find(c) != std::string::npos) ||
           (c == next && (c == '+' || c == '-'));
}

bool writtenAnywhere(const std::string& code, const std::string& name) {
    for (std::size_t at = code.find(name); at != std::string::npos;
         at = code.find(name, at + name.size())) {
        const bool whole = (at == 0 || (!identChar(code[at - 1]) && code[at - 1] != '.')) &&
                           (at + name.size() >= code.size() || !identChar(code[at + name.size()]));
        if (whole && assignedAt(code, at, name.size())) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::string withWrittenGlobalsCopied(std::string_view source) {
    const std::string code = text::withoutDirectives(source);
    std::string out(source);
    // Replacements from the last to the first, so that earlier positions stay valid.
    std::vector<std::pair<std::pair<std::size_t, std::size_t>, std::string>> edits;
    for (const auto& [from, i] : topLevelStatements(code)) {
        const std::string text = code.substr(from, i - from);
        if (text.find_first_of("{}()[]=,") != std::string::npos) {
            continue;
        }
        const std::size_t colon = text.find(':');
        std::vector<std::string> w = words(text.substr(0, colon));
        const bool declared = !w.empty() && w[0] == "uniform";
        if (declared) {
            w.erase(w.begin());
        }
        if (w.size() != 2 || w[0] == "static" || w[0] == "const" || w[0] == "extern" ||
            w[0] == "typedef" || !writtenAnywhere(code, w[1])) {
            continue;
        }
        const std::string& type = w[0];
        const std::string& name = w[1];
        // A sampler has no value of its own to keep, yet stays a parameter of the program, unread;
        // anything else starts as the uniform.
        const std::string uniform =
            std::string("uniform ") + type + " " + ENTRY_UNIFORM_PREFIX + name + "; ";
        const std::string copy = holdsSampler(code, type)
                                     ? uniform + "static " + type + " " + name + ";"
                                     : uniform + "static " + type + " " + name + " = " +
                                           ENTRY_UNIFORM_PREFIX + name + ";";
        const std::size_t first = text::skipBlanks(code, from);
        edits.push_back({{first, i + 1}, copy});
    }
    for (auto it = edits.rbegin(); it != edits.rend(); ++it) {
        text::blank(out, it->first.first, it->first.second);
        out.replace(it->first.first, 0, it->second);
    }
    return out;
}

}  // namespace cgrt
