#include "CgSourceEnd.h"

#include <cctype>
#include <vector>

namespace cgrt {

std::optional<OpenAtEnd> findOpenAtEnd(const std::string& text) {
    std::vector<char> open;
    int line = 1;
    int lastTokenLine = 1;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
            inString = false;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c))) {
            continue;
        }
        lastTokenLine = line;
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
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
