// The translator child on Linux: forked from the program (first thing, while it is small and has
// no threads, so that the child gets glslang's tables ready while the program opens its window),
// over a socket pair. The protocol is cg/src/process/CgTranslatorProcess.cpp's; this file forks, watches,
// ends and reaps the child.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <thread>

#include "CgTranslatorProcess.h"

namespace cgrt {
namespace {

// The status a child ends with when its memory ran out.
constexpr int OUT_OF_MEMORY_STATUS = 3;

bool isStopped(pid_t pid) {
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(pid), &info, WSTOPPED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == pid && info.si_code == CLD_STOPPED;
}

// The program watches the child's resident memory while it waits (the second of /proc/PID/statm's
// numbers, in pages).
bool overBudget(pid_t pid) {
    unsigned long long size = 0, resident = 0;
    std::FILE* statm = std::fopen(("/proc/" + std::to_string(pid) + "/statm").c_str(), "r");
    if (statm == nullptr) {
        return false;
    }
    const bool read = std::fscanf(statm, "%llu %llu", &size, &resident) == 2;
    std::fclose(statm);
    return read && resident * static_cast<unsigned long long>(getpagesize()) >
                       (TRANSLATOR_MEMORY_MIB << 20);
}

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
    std::set_new_handler([] { _exit(OUT_OF_MEMORY_STATUS); });
}

// One end of the socket pair, blocking. MSG_NOSIGNAL: a peer that died leaves a write that
// fails, not a SIGPIPE that ends the writer.
class SocketEnd : public virtual BytePipe {
  public:
    explicit SocketEnd(int fd) : fd_(fd) {}
    ~SocketEnd() override { close(); }

    PipeState waitReadable(int ms) override { return waitFor(POLLIN, ms); }
    PipeState waitWritable(int ms) override { return waitFor(POLLOUT, ms); }

    std::size_t readSome(char* buffer, std::size_t size) override {
        for (;;) {
            const ssize_t n = read(fd_, buffer, size);
            if (n >= 0 || errno != EINTR) {
                return n > 0 ? static_cast<std::size_t>(n) : 0;
            }
        }
    }

    std::size_t writeSome(const char* data, std::size_t size) override {
        for (;;) {
            const ssize_t n = send(fd_, data, size, MSG_NOSIGNAL);
            if (n >= 0 || (errno != EINTR && errno != EAGAIN)) {
                return n > 0 ? static_cast<std::size_t>(n) : 0;
            }
        }
    }

    void close() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }

  private:
    PipeState waitFor(short events, int ms) {
        pollfd p{fd_, events, 0};
        const int ready = poll(&p, 1, ms);
        if (ready < 0) {
            return errno == EINTR ? PipeState::Waiting : PipeState::Closed;
        }
        return ready > 0 ? PipeState::Ready : PipeState::Waiting;
    }

    int fd_;
};

// The child's life: warm up, then one translation per request until the program closes its end.
// Nothing of the program's (its windows, its buffered output, its exit handlers) may be touched.
[[noreturn]] void serve(int fd, pid_t program) {
    // So that ps and top tell it from the program.
    prctl(PR_SET_NAME, "cg-translator");
    // The program may go while the child translates, and then cannot end it: the child ends with
    // it (the program's thread that forked, strictly; the program forks from its main thread).
    // The program may also have gone before this line.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != program) {
        _exit(0);
    }
    limitMemory();
    // A crash here is reported as a compile error already: no core file besides.
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    SocketEnd toProgram(fd);
    _exit(serveRequests(toProgram, toProgram, [](const Request& r) {
        return translate(r.source, r.name, r.stage, r.entry);
    }));
}

// How a child ended without a result.
ChildEnding howEnded(int status) {
    if (WIFEXITED(status) && WEXITSTATUS(status) == OUT_OF_MEMORY_STATUS) {
        return {true, ""};
    }
    if (WIFSIGNALED(status)) {
        return {false, strsignal(WTERMSIG(status))};
    }
    // Under a sanitizer a crash ends the child with a status rather than a signal.
    return {false,
            "it ended with status " + std::to_string(WEXITSTATUS(status)) + " and no result"};
}

// A closed descriptor of 0-2 goes to the next file or socket opened: the translator's socket
// would then take whatever the program (or its GL library) writes to that stream.
void keepStandardStreamsTaken() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) < 0 && errno == EBADF) {
            open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        }
    }
}

// Reaps a child as soon as it ends, so that one killed from outside between translations is no
// zombie until the next translation or the program's end. It is signalled only while not
// reaped: from then on its pid may be another process's.
class Reaper {
  public:
    explicit Reaper(pid_t pid) : pid_(pid), thread_([this] { waitForEnd(); }) {}
    ~Reaper() {
        kill();
        status();
    }

    void kill() {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!reaped_) {
            ::kill(pid_, SIGKILL);
        }
    }

    // The wait status, once the child has ended.
    int status() {
        if (thread_.joinable()) {
            thread_.join();
        }
        return status_;
    }

  private:
    void waitForEnd() {
        siginfo_t info{};
        while (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT) < 0 &&
               errno == EINTR) {
        }
        const std::lock_guard<std::mutex> lock(mutex_);
        while (waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {
        }
        reaped_ = true;
    }

    const pid_t pid_;
    std::mutex mutex_;
    bool reaped_ = false;
    int status_ = 0;
    std::thread thread_;
};

class ForkedChild : public TranslatorChild, public SocketEnd {
  public:
    ForkedChild(pid_t pid, int fd) : SocketEnd(fd), pid_(pid), reaper_(pid) {}
    ~ForkedChild() override { close(); }

    bool stopped() override { return isStopped(pid_); }
    bool overMemory() override { return overBudget(pid_); }

    ChildEnding finish() override {
        close();
        return howEnded(reaper_.status());
    }

  private:
    const pid_t pid_;
    // Ends the child and waits for it, once the pipe is closed (~ForkedChild).
    Reaper reaper_;
};

}  // namespace

const bool TRANSLATOR_STARTS_AHEAD = true;

std::unique_ptr<TranslatorChild> startTranslatorChild(std::string& why) {
    keepStandardStreamsTaken();
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        why = std::strerror(errno);
        return nullptr;
    }
    const pid_t program = getpid();
    const pid_t pid = fork();
    if (pid < 0) {
        why = std::strerror(errno);
        close(ends[0]);
        close(ends[1]);
        return nullptr;
    }
    if (pid == 0) {
        // The program's end stays open in here only if it is closed nowhere: then the child
        // would never see the program go.
        close(ends[0]);
        serve(ends[1], program);
    }
    close(ends[1]);
    return std::make_unique<ForkedChild>(pid, ends[0]);
}

}  // namespace cgrt
