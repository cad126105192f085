#include "CgError.h"

namespace cgrt {

std::string format(const CgError& error) {
    if (error.severity.empty()) {
        return error.text + "\n";
    }
    std::string out;
    if (error.line != NO_LOCATION) {
        out = error.file;
        if (error.line > 0) {
            out += "(" + std::to_string(error.line) + ")";
        }
        out += " : ";
    }
    return out + error.severity + ": " + error.text + "\n";
}

std::string format(const std::vector<CgError>& errors) {
    std::string out;
    for (const CgError& error : errors) {
        out += format(error);
    }
    return out;
}

std::string errorPrefix(const std::string& file, long line) {
    const std::string whole = format(CgError{file, line, ""});
    return whole.substr(0, whole.size() - 1);
}

}  // namespace cgrt
