// A shader that ends inside a function body, one whose closing brace is missing or a file cut
// off in the middle of an expression, is an easy mistake to make, and glslang 12 (Debian 12's
// 12.0.0) reports it badly: "'declaration' : Expected" on a line past the end, or errors about
// whatever the cut left behind ("'int' : unknown variable"). This finds that case so that the
// listing can say so instead.
#pragma once

#include <optional>
#include <string>

namespace cgrt {

struct OpenAtEnd {
    int line;      // of the source's last token
    char bracket;  // the innermost one still open: '(', '[' or '{'
};

// `source` is the preprocessor's output (comments gone, every line keeping its number). Nothing
// when every bracket is closed, or when they do not pair up: glslang's listing then says more.
std::optional<OpenAtEnd> findOpenAtEnd(const std::string& source);

}  // namespace cgrt
