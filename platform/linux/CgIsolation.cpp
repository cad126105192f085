// One child serves every translation of a run. The program forks it first thing, while it is small
// and has no threads, and the child gets glslang's tables ready (most of a first translation's
// time) while the program opens its window; each translation after that costs no process start.
// A child that crashes or hangs is ended, its source gets a compile error, and the next
// translation forks a fresh child.
#include "CgIsolation.h"

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "CgWire.h"

namespace cgrt {
namespace {

using Deadline = std::optional<std::chrono::steady_clock::time_point>;

enum class Wait { Ready, Closed, TimedOut };

// No deadline: as long as it takes (the child's side, which the program ends if need be).
Wait waitFor(int fd, short events, const Deadline& deadline) {
    for (;;) {
        int timeout = -1;
        if (deadline) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                *deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                return Wait::TimedOut;
            }
            timeout = static_cast<int>(left.count());
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
    }
}

// MSG_NOSIGNAL: a child that died leaves a write that fails, not a SIGPIPE that ends the writer.
Wait writeAll(int fd, const std::string& data, const Deadline& deadline) {
    std::size_t done = 0;
    while (done < data.size()) {
        const Wait w = waitFor(fd, POLLOUT, deadline);
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

Wait readExactly(int fd, std::size_t size, std::string& out, const Deadline& deadline) {
    out.clear();
    char buffer[65536];
    while (out.size() < size) {
        const Wait w = waitFor(fd, POLLIN, deadline);
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

Wait readMessage(int fd, std::string& message, const Deadline& deadline) {
    std::string header;
    const Wait w = readExactly(fd, sizeof(std::uint64_t), header, deadline);
    if (w != Wait::Ready) {
        return w;
    }
    return readExactly(fd, *Reader(header).number(), message, deadline);
}

// The child's life: warm up, then one translation per request until the program closes its end.
// Nothing of the program's (its windows, its buffered output, its exit handlers) may be touched.
[[noreturn]] void serve(int fd) {
    // So that ps and top tell it from the program.
    prctl(PR_SET_NAME, "cg-translator");
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

std::string describeEnd(int status) {
    if (WIFSIGNALED(status)) {
        return strsignal(WTERMSIG(status));
    }
    // Under a sanitizer a crash ends the child with a status rather than a signal.
    return "it ended with status " + std::to_string(WEXITSTATUS(status)) + " and no result";
}

class Child {
  public:
    ~Child() { end(); }

    bool running() const { return pid_ > 0; }

    // Empty on success, else why not.
    std::string start() {
        int ends[2];
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
            return std::strerror(errno);
        }
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
            serve(ends[1]);
        }
        close(ends[1]);
        fd_ = ends[0];
        return "";
    }

    // The child's translation of one request; nullopt when it died or its time ran out (then it
    // is ended, and `why` says which). `gone` tells a child that was dead before it could take
    // the request (killed from outside, say), which is no fault of the source.
    std::optional<Translation> ask(const Request& request, std::chrono::milliseconds limit,
                                   std::string& why, bool& gone) {
        const Deadline deadline = std::chrono::steady_clock::now() + limit;
        std::string reply;
        Wait w = writeAll(fd_, framed(serialize(request)), deadline);
        gone = w == Wait::Closed;
        if (w == Wait::Ready) {
            w = readMessage(fd_, reply, deadline);
        }
        if (w == Wait::Ready) {
            if (std::optional<Translation> t = deserialize(reply)) {
                return t;
            }
        }
        if (w == Wait::TimedOut) {
            why = timeRanOut(limit);
        } else {
            // A child still alive (one that answered nonsense) ends on seeing its end closed.
            close(fd_);
            fd_ = -1;
            why = crashed(describeEnd(reap()));
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
            kill(pid_, SIGKILL);
            reap();
        }
    }

  private:
    // The child's wait status, once it has ended.
    int reap() {
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        return status;
    }

    pid_t pid_ = -1;
    int fd_ = -1;
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
