#include "CgFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

std::FILE* openRegularFile(const char* path, std::string& why, bool& missing) {
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat info {};
    missing = fd < 0 && (errno == ENOENT || errno == ENOTDIR);
    if (fd < 0 || fstat(fd, &info) != 0) {
        why = std::strerror(errno);
    } else if (S_ISDIR(info.st_mode)) {
        why = std::strerror(EISDIR);
    } else if (!S_ISREG(info.st_mode)) {
        why = "it is not a regular file";
    } else if (std::FILE* file = fdopen(fd, "rb")) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        return file;
    } else {
        why = std::strerror(errno);
    }
    if (fd >= 0) {
        close(fd);
    }
    return nullptr;
}
