#include "CgUniformInitials.h"

#include "CgEntryUniforms.h"
#include "CgScan.h"

#include <cstdlib>
#include <optional>

namespace cgrt {
namespace {

using Values = std::vector<float>;

// float, half or fixed, as a scalar, a vector or a matrix (float3, half2x2).
bool floatType(const std::string& word) {
    for (const char* base : {"float", "half", "fixed"}) {
        const std::string b = base;
        if (word.compare(0, b.size(), b) != 0) {
            continue;
        }
        const std::string shape = word.substr(b.size());
        const auto digit = [](char c) { return c >= '1' && c <= '4'; };
        return shape.empty() || (shape.size() == 1 && digit(shape[0])) ||
               (shape.size() == 3 && digit(shape[0]) && shape[1] == 'x' && digit(shape[2]));
    }
    return false;
}

// A recursive-descent reader of constant initializers over a code-only text.
class Reader {
  public:
    Reader(const std::string& code, std::size_t at, std::size_t end)
        : code_(code), at_(at), end_(end) {}

    // The values of the whole range, or nothing when any of it is not understood.
    std::optional<Values> all() {
        std::optional<Values> v = sum();
        if (v && skip() != end_) {
            return std::nullopt;
        }
        return v;
    }

  private:
    std::size_t skip() {
        at_ = text::skipBlanks(code_, at_);
        return at_ = at_ > end_ ? end_ : at_;
    }

    bool take(char c) {
        if (skip() < end_ && code_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    // One scalar spreads over the other operand; otherwise sizes must agree.
    static std::optional<Values> apply(const Values& a, const Values& b, char op) {
        if (a.size() != b.size() && a.size() != 1 && b.size() != 1) {
            return std::nullopt;
        }
        const std::size_t n = a.size() > b.size() ? a.size() : b.size();
        Values out(n);
        for (std::size_t i = 0; i < n; ++i) {
            const float x = a[a.size() == 1 ? 0 : i], y = b[b.size() == 1 ? 0 : i];
            out[i] = op == '+' ? x + y : op == '-' ? x - y : op == '*' ? x * y : x / y;
        }
        return out;
    }

    template <typename Next>
    std::optional<Values> chain(const char* ops, Next next) {
        std::optional<Values> v = (this->*next)();
        while (v && skip() < end_ && std::string(ops).find(code_[at_]) != std::string::npos) {
            const char op = code_[at_++];
            const std::optional<Values> rhs = (this->*next)();
            v = rhs ? apply(*v, *rhs, op) : std::nullopt;
        }
        return v;
    }

    std::optional<Values> sum() { return chain("+-", &Reader::product); }
    std::optional<Values> product() { return chain("*/", &Reader::unary); }

    std::optional<Values> unary() {
        if (take('-')) {
            std::optional<Values> v = unary();
            return v ? apply(Values{0.0f}, *v, '-') : std::nullopt;
        }
        return take('+') ? unary() : primary();
    }

    // Arguments or brace-list items, flattened, up to `close`; a brace list may end with a comma.
    std::optional<Values> list(char close) {
        Values out;
        while (!take(close)) {
            const std::optional<Values> v = sum();
            if (!v) {
                return std::nullopt;
            }
            out.insert(out.end(), v->begin(), v->end());
            if (!take(',') && (skip() >= end_ || code_[at_] != close)) {
                return std::nullopt;
            }
        }
        return out;
    }

    std::optional<Values> primary() {
        if (take('(')) {
            std::optional<Values> v = sum();
            return v && take(')') ? v : std::nullopt;
        }
        if (take('{')) {
            return list('}');
        }
        if (at_ >= end_) {
            return std::nullopt;
        }
        if (text::identStart(code_[at_])) {
            const std::size_t wordEnd = text::wordEnd(code_, at_);
            const std::string type = code_.substr(at_, wordEnd - at_);
            at_ = wordEnd;
            return floatType(type) && take('(') ? list(')') : std::nullopt;
        }
        const char* start = code_.c_str() + at_;
        char* stop = nullptr;
        const float value = std::strtof(start, &stop);
        if (stop == start) {
            return std::nullopt;
        }
        at_ += static_cast<std::size_t>(stop - start);
        // Cg's suffixes: 1.0f, 0.5h, 0.25x.
        if (at_ < end_ && (code_[at_] == 'f' || code_[at_] == 'h' || code_[at_] == 'x' ||
                           code_[at_] == 'F' || code_[at_] == 'H')) {
            ++at_;
        }
        return Values{value};
    }

    const std::string& code_;
    std::size_t at_;
    std::size_t end_;
};

// The words of [from, to) in `code`.
std::vector<std::string> wordsIn(const std::string& code, std::size_t from, std::size_t to) {
    std::vector<std::string> out;
    to = to < code.size() ? to : code.size();
    for (std::size_t i = from; i < to;) {
        if (text::identStart(code[i])) {
            const std::size_t end = text::wordEnd(code, i);
            out.push_back(code.substr(i, end - i));
            i = end;
        } else {
            ++i;
        }
    }
    return out;
}

// For each top-level statement ending in ';': its range, [from, semicolon).
template <typename Each>
void eachTopLevelStatement(const std::string& code, Each each) {
    int depth = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        depth += c == '{' ? 1 : c == '}' ? -1 : 0;
        if (depth == 0 && c == ';') {
            each(start, i);
        }
        // A body ends a statement; a brace list (`= { 1, 2 };`) does not.
        const bool bodyEnd = c == '}' && code[text::skipBlanks(code, i + 1)] != ';';
        if (depth == 0 && (c == ';' || bodyEnd)) {
            start = i + 1;
        }
    }
}

// The words of the declaration in [from, to) of `code` up to its semantic, if it has an
// initializer (where it starts goes to `equals`); none for any other statement.
std::vector<std::string> initializedDeclaration(const std::string& code, std::size_t from,
                                                std::size_t to, std::size_t& equals) {
    equals = code.find('=', from);
    if (equals >= to) {
        return {};
    }
    std::string head = code.substr(from, equals - from);
    // An array's size, which the type says as well.
    const std::size_t open = head.find('[');
    if (open != std::string::npos && head.find(']', open) != std::string::npos) {
        head.erase(open, head.find(']', open) + 1 - open);
    }
    if (head.find_first_of("()[],") != std::string::npos) {
        return {};
    }
    return wordsIn(head, 0, head.find(':'));
}

// The declaration in [from, to) of `code`, if it is a uniform's with an initializer that can be
// read: into `out`. An entry's `parameter` is uniform only with the word.
void readDeclaration(const std::string& code, std::size_t from, std::size_t to, bool parameter,
                     std::map<std::string, std::vector<float>>& out) {
    std::size_t equals = 0;
    std::vector<std::string> w = initializedDeclaration(code, from, to, equals);
    const bool declared = !w.empty() && w[0] == "uniform";
    if (declared) {
        w.erase(w.begin());
    }
    if (w.size() != 2 || (parameter && !declared) || w[0] == "static" || w[0] == "const" ||
        w[0] == "extern" || w[0] == "typedef") {
        return;
    }
    if (const std::optional<Values> v = Reader(code, equals + 1, to).all()) {
        out[w[1]] = *v;
    }
}

}  // namespace

bool mayInitializeGlobals(const std::string& source) {
    const std::string code = text::withoutDirectives(text::codeOnly(source));
    int depth = 0;
    for (const char c : code) {
        depth += c == '{' ? 1 : c == '}' ? -1 : 0;
        if (depth == 0 && c == '=') {
            return true;
        }
    }
    return false;
}

std::map<std::string, std::vector<float>> uniformInitializers(const std::string& source,
                                                              const std::string& entry) {
    const std::string code = text::withoutDirectives(text::codeOnly(source));
    std::map<std::string, std::vector<float>> out;
    eachTopLevelStatement(code, [&](std::size_t from, std::size_t to) {
        readDeclaration(code, from, to, false, out);
    });
    Entry e;
    if (!findEntry(code, entry, e)) {
        return out;
    }
    int depth = 0;
    std::size_t from = e.open + 1;
    for (std::size_t i = e.open + 1; i <= e.close; ++i) {
        depth += code[i] == '(' || code[i] == '{' ? 1 : code[i] == ')' || code[i] == '}' ? -1 : 0;
        if ((depth == 0 && code[i] == ',') || i == e.close) {
            readDeclaration(code, from, i, true, out);
            from = i + 1;
        }
    }
    return out;
}

std::vector<std::pair<std::string, std::vector<float>>> constantInitializers(
    const std::string& source) {
    const std::string code = text::withoutDirectives(text::codeOnly(source));
    std::vector<std::pair<std::string, std::vector<float>>> out;
    eachTopLevelStatement(code, [&](std::size_t from, std::size_t to) {
        std::size_t equals = 0;
        const std::vector<std::string> w = initializedDeclaration(code, from, to, equals);
        if (w.size() != 3 || w[0] != "const") {
            return;
        }
        if (const std::optional<Values> v = Reader(code, equals + 1, to).all()) {
            out.emplace_back(w[2], *v);
        }
    });
    return out;
}

}  // namespace cgrt
