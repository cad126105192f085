#include "CgIsolation.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "CgWire.h"

namespace cgrt {
namespace {

void writeAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        done += static_cast<std::size_t>(n);
    }
}

// Reads until the child closes its end; false when the limit passes first.
bool readAll(int fd, std::string& data, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    char buffer[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return false;
        }
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return true;
        }
        data.append(buffer, static_cast<std::size_t>(n));
    }
}

Translation failed(const std::string& name, const std::string& why) {
    Translation t;
    t.listing = name + " : error: " + why + "\n";
    return t;
}

}  // namespace

Translation translateApart(std::string_view source, const std::string& name, Stage stage,
                           const std::string& entry, std::chrono::milliseconds limit) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        return failed(
            name, std::string("the shader compiler could not be started: ") + std::strerror(errno));
    }
    const pid_t child = fork();
    if (child < 0) {
        const int error = errno;
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        return failed(
            name, std::string("the shader compiler could not be started: ") + std::strerror(error));
    }
    if (child == 0) {
        // A crash here is reported as a compile error already: no core file besides.
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        close(pipeEnds[0]);
        writeAll(pipeEnds[1], serialize(translate(source, name, stage, entry)));
        // Nothing of the parent's (its windows, its buffered output) may be touched on the way.
        _exit(0);
    }
    close(pipeEnds[1]);
    std::string data;
    const bool finished = readAll(pipeEnds[0], data, limit);
    close(pipeEnds[0]);
    if (!finished) {
        kill(child, SIGKILL);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!finished) {
        return failed(name, "the shader compiler took longer than " +
                                std::to_string(limit.count() / 1000) + " s on this source");
    }
    if (WIFSIGNALED(status)) {
        return failed(name, std::string("the shader compiler crashed on this source (") +
                                strsignal(WTERMSIG(status)) + ")");
    }
    std::optional<Translation> result = deserialize(data);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !result) {
        // Under a sanitizer a crash ends the child with a status rather than a signal.
        return failed(name, "the shader compiler crashed on this source (it ended with status " +
                                std::to_string(WEXITSTATUS(status)) + " and no result)");
    }
    return std::move(*result);
}

}  // namespace cgrt
