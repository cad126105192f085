// cg-translator: the translator child on Linux, a program of its own that the runtime starts
// (CgChild.cpp) with its end of the socket pair as standard input. A library cannot fork the
// program it lives in (its other threads' locks would stay held in the copy), so the child is
// started afresh and builds its state itself. The protocol is cg/src/process's.
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <new>
#include <thread>

#include "CgSocket.h"

namespace cgrt {
namespace {

// Bounds the child's address space at twice its memory besides, for a program that cannot watch it
// (stopped itself, say). Not under AddressSanitizer, which reserves terabytes of it.
void limitMemory() {
#if defined(__SANITIZE_ADDRESS__)
    return;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return;
#endif
#endif
    unsigned long long pages = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%llu", &pages) != 1) {
            pages = 0;
        }
        std::fclose(statm);
    }
    const rlim_t limit = static_cast<rlim_t>(
        pages * static_cast<unsigned long long>(getpagesize()) + (2 * TRANSLATOR_MEMORY_MIB << 20));
    rlimit current{};
    getrlimit(RLIMIT_AS, &current);
    const rlimit bounded{std::min(limit, current.rlim_max), current.rlim_max};
    setrlimit(RLIMIT_AS, &bounded);
    // glslang takes its memory with new: running out ends the child with a status that says so.
    std::set_new_handler([] { _exit(TRANSLATOR_OUT_OF_MEMORY_STATUS); });
}

// The program may go while the child translates, and then cannot end it: the child ends as soon
// as the program's end of the socket is closed, whichever of the program's threads started it
// (a parent-death signal would come when that thread ends, the program still running).
void endWithTheProgram(int fd) {
    std::thread([fd] {
        pollfd p{fd, POLLRDHUP, 0};
        while (poll(&p, 1, -1) <= 0 || (p.revents & (POLLRDHUP | POLLHUP | POLLERR)) == 0) {
        }
        _exit(0);
    }).detach();
}

bool startedByTheRuntime() {
    struct stat in {};
    return fstat(STDIN_FILENO, &in) == 0 && S_ISSOCK(in.st_mode);
}

}  // namespace
}  // namespace cgrt

int main() {
    if (!cgrt::startedByTheRuntime()) {
        std::fprintf(stderr,
                     "cg-translator translates Cg for the Cg runtime (libCg), which starts it; it "
                     "is not run by hand\n");
        return 2;
    }
    // Nothing of the program's but the socket and the standard streams.
    closefrom(STDERR_FILENO + 1);
    cgrt::limitMemory();
    // A crash here is reported as a compile error already: no core file besides.
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    cgrt::endWithTheProgram(STDIN_FILENO);
    cgrt::SocketEnd toProgram(STDIN_FILENO);
    // _exit: the thread above may still be running, and the program's streams are not ours to
    // flush.
    _exit(cgrt::serveRequests(toProgram, toProgram, [](const cgrt::Request& r) {
        return cgrt::translate(r.source, r.name, r.stage, r.entry);
    }));
}
