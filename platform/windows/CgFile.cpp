// Windows has no non-blocking open to look before reading, but its stat tells a device (NUL,
// CON, a pipe) and a folder from a file without opening them; and opening a folder would only
// say "Permission denied".
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "CgFile.h"

std::FILE* openRegularFile(const char* path, std::string& why, bool& missing) {
    struct stat info {};
    const bool found = stat(path, &info) == 0;
    missing = !found && (errno == ENOENT || errno == ENOTDIR);
    if (!found) {
        why = std::strerror(errno);
    } else if (S_ISDIR(info.st_mode)) {
        why = std::strerror(EISDIR);
    } else if (!S_ISREG(info.st_mode)) {
        why = "it is not a regular file";
    } else if (std::FILE* file = std::fopen(path, "rb")) {
        return file;
    } else {
        why = std::strerror(errno);
    }
    return nullptr;
}
