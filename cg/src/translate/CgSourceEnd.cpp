#include "CgSourceEnd.h"

#include "CgScan.h"

#include <algorithm>
#include <vector>

namespace cgrt {

std::optional<OpenAtEnd> findOpenAtEnd(const std::string& source) {
    std::vector<char> open;
    int line = 1;
    int lastTokenLine = 1;
    for (std::size_t i = 0; i < source.size();) {
        const text::Lexeme l = text::lexemeAt(source, i);
        const char c = source[i];
        const auto breaks = std::count(source.begin() + static_cast<std::ptrdiff_t>(i),
                                       source.begin() + static_cast<std::ptrdiff_t>(l.end), '\n');
        i = l.end;
        if (l.kind == text::Piece::Blank || l.kind == text::Piece::Comment) {
            line += static_cast<int>(breaks);
            continue;
        }
        lastTokenLine = line;
        if (l.kind != text::Piece::Mark) {
            continue;
        } else if (c == '(' || c == '[' || c == '{') {
            open.push_back(c);
        } else if (c == ')' || c == ']' || c == '}') {
            const char opener = c == ')' ? '(' : c == ']' ? '[' : '{';
            if (open.empty() || open.back() != opener) {
                return std::nullopt;
            }
            open.pop_back();
        }
    }
    if (open.empty()) {
        return std::nullopt;
    }
    return OpenAtEnd{lastTokenLine, open.back()};
}

}  // namespace cgrt
