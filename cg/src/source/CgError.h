// One diagnostic as Cg's own tools print it: "FILE(LINE) : error: TEXT". Every pass and stage of
// the layer reports through this type, so that the form is written in one place.
#pragma once

#include <string>
#include <vector>

namespace cgrt {

constexpr long NO_LOCATION = -1;

struct CgError {
    std::string file;
    long line = 0;  // 0: it concerns the file as a whole; NO_LOCATION: it names no file either
    std::string text;
    // glslang also passes on its warnings, in the same form; an empty severity is a line of
    // glslang's own that names neither, given as it came.
    std::string severity = "error";
};

// The place a diagnostic names: a file, and a line of it (0: the file as a whole).
struct CgLocation {
    std::string file;
    long line = 0;
};

// "FILE(LINE) : SEVERITY: TEXT", "FILE : SEVERITY: TEXT" or "SEVERITY: TEXT", with a newline.
std::string format(const CgError& error);
std::string format(const std::vector<CgError>& errors);

// The "FILE(LINE) : error: " that opens a message about a line of a file.
std::string errorPrefix(const std::string& file, long line);

}  // namespace cgrt
