// One child serves every translation of a run. The program forks it first thing, while it is small
// and has no threads, and the child gets glslang's tables ready (most of a first translation's
// time) while the program opens its window; each translation after that costs no process start.
// A child that crashes or hangs is ended, its source gets a compile error, and the next
// translation forks a fresh child.
#include "CgIsolation.h"

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
#include <optional>
#include <thread>

#include "CgWire.h"

namespace cgrt {
namespace {

using Deadline = std::optional<std::chrono::steady_clock::time_point>;

enum class Wait { Ready, Closed, TimedOut, Stopped, OutOfMemory };

// The status a child ends with when its memory ran out.
constexpr int OUT_OF_MEMORY_STATUS = 3;

// How often the program looks whether a child it waits for was stopped (SIGSTOP, a debugger).
constexpr int STOP_CHECK_MS = 100;

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

// What became of a child the program waits for, Ready when nothing.
Wait watch(pid_t pid) {
    if (pid <= 0) {
        return Wait::Ready;
    }
    return isStopped(pid) ? Wait::Stopped : overBudget(pid) ? Wait::OutOfMemory : Wait::Ready;
}

// No deadline: as long as it takes (the child's side, which the program ends if need be). With
// a deadline the program waits for the child `watched`, and no more once it is stopped or past its
// memory.
Wait waitFor(int fd, short events, const Deadline& deadline, pid_t watched = -1) {
    for (;;) {
        int timeout = -1;
        if (deadline) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                *deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                return Wait::TimedOut;
            }
            timeout = static_cast<int>(std::min<long long>(left.count(), STOP_CHECK_MS));
        }
        pollfd p{fd, events, 0};
        const int ready = poll(&p, 1, timeout);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready < 0) {
            return Wait::Closed;
        }
        if (ready > 0) {
            return Wait::Ready;
        }
        if (const Wait w = watch(watched); w != Wait::Ready) {
            return w;
        }
    }
}

// MSG_NOSIGNAL: a child that died leaves a write that fails, not a SIGPIPE that ends the writer.
Wait writeAll(int fd, const std::string& data, const Deadline& deadline, pid_t watched = -1) {
    std::size_t done = 0;
    while (done < data.size()) {
        const Wait w = waitFor(fd, POLLOUT, deadline, watched);
        if (w != Wait::Ready) {
            return w;
        }
        const ssize_t n = send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (n <= 0) {
            return Wait::Closed;
        }
        done += static_cast<std::size_t>(n);
    }
    return Wait::Ready;
}

Wait readExactly(int fd, std::size_t size, std::string& out, const Deadline& deadline,
                 pid_t watched) {
    out.clear();
    char buffer[65536];
    while (out.size() < size) {
        const Wait w = waitFor(fd, POLLIN, deadline, watched);
        if (w != Wait::Ready) {
            return w;
        }
        const ssize_t n = read(fd, buffer, std::min(sizeof buffer, size - out.size()));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return Wait::Closed;
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
    return Wait::Ready;
}

Wait readMessage(int fd, std::string& message, const Deadline& deadline, pid_t watched = -1) {
    std::string header;
    const Wait w = readExactly(fd, sizeof(std::uint64_t), header, deadline, watched);
    if (w != Wait::Ready) {
        return w;
    }
    return readExactly(fd, *Reader(header).number(), message, deadline, watched);
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
    warmUpTranslator();
    std::string message;
    while (readMessage(fd, message, std::nullopt) == Wait::Ready) {
        const std::optional<Request> r = deserializeRequest(message);
        if (!r) {
            _exit(2);
        }
        const Translation t = translate(r->source, r->name, r->stage, r->entry);
        if (writeAll(fd, framed(serialize(t)), std::nullopt) != Wait::Ready) {
            _exit(1);
        }
    }
    _exit(0);
}

// Why a child ended without a result.
std::string whyEnded(int status) {
    if (WIFEXITED(status) && WEXITSTATUS(status) == OUT_OF_MEMORY_STATUS) {
        return ranOutOfMemory();
    }
    if (WIFSIGNALED(status)) {
        return crashed(strsignal(WTERMSIG(status)));
    }
    // Under a sanitizer a crash ends the child with a status rather than a signal.
    return crashed("it ended with status " + std::to_string(WEXITSTATUS(status)) +
                   " and no result");
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

class Child {
  public:
    ~Child() { end(); }

    bool running() const { return pid_ > 0; }

    // Empty on success, else why not.
    std::string start() {
        keepStandardStreamsTaken();
        int ends[2];
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
            return std::strerror(errno);
        }
        const pid_t program = getpid();
        pid_ = fork();
        if (pid_ < 0) {
            const int error = errno;
            close(ends[0]);
            close(ends[1]);
            return std::strerror(error);
        }
        if (pid_ == 0) {
            // The program's end stays open in here only if it is closed nowhere: then the child
            // would never see the program go.
            close(ends[0]);
            serve(ends[1], program);
        }
        close(ends[1]);
        fd_ = ends[0];
        reaper_ = std::make_unique<Reaper>(pid_);
        return "";
    }

    // The child's translation of one request; nullopt when it died, was stopped or its time ran
    // out (then it is ended, and `why` says which). `gone` tells a child that could not take the
    // request (killed or stopped from outside, say), which is no fault of the source.
    std::optional<Translation> ask(const Request& request, std::chrono::milliseconds limit,
                                   std::string& why, bool& gone) {
        const Deadline deadline = std::chrono::steady_clock::now() + limit;
        std::string reply;
        Wait w = writeAll(fd_, framed(serialize(request)), deadline, pid_);
        gone = w == Wait::Closed;
        if (w == Wait::Ready) {
            w = readMessage(fd_, reply, deadline, pid_);
        }
        if (w == Wait::Ready) {
            if (std::optional<Translation> t = deserialize(reply)) {
                return t;
            }
        }
        gone = gone || w == Wait::Stopped;
        if (w == Wait::TimedOut) {
            why = timeRanOut(limit);
        } else if (w == Wait::Stopped) {
            why = wasStopped();
        } else if (w == Wait::OutOfMemory) {
            why = ranOutOfMemory();
        } else {
            // A child still alive (one that answered nonsense) ends on seeing its end closed.
            close(fd_);
            fd_ = -1;
            why = whyEnded(reap());
        }
        end();
        return std::nullopt;
    }

    void end() {
        if (fd_ >= 0) {
            close(fd_);
            fd_ = -1;
        }
        if (pid_ > 0) {
            reaper_->kill();
            reap();
        }
    }

  private:
    // The child's wait status, once it has ended.
    int reap() {
        const int status = reaper_->status();
        reaper_.reset();
        pid_ = -1;
        return status;
    }

    pid_t pid_ = -1;
    int fd_ = -1;
    std::unique_ptr<Reaper> reaper_;
};

Child child;

}  // namespace

// A child that cannot start now is tried again by the first translation, which reports why.
void prepareTranslations() {
    if (!child.running()) {
        child.start();
    }
}

Translation translateApart(std::string_view source, const std::string& name, Stage stage,
                           const std::string& entry, std::chrono::milliseconds limit) {
    const Request request{stage, name, entry, std::string(source)};
    std::string why;
    for (bool retried = false;; retried = true) {
        if (!child.running()) {
            const std::string startFailure = child.start();
            if (!startFailure.empty()) {
                return failedApart(name, notStarted(startFailure));
            }
        }
        bool gone = false;
        if (std::optional<Translation> t = child.ask(request, limit, why, gone)) {
            return std::move(*t);
        }
        if (!gone || retried) {
            return failedApart(name, why);
        }
    }
}

}  // namespace cgrt
