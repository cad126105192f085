#include "CgIsolation.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>

namespace cgrt {
namespace {

// The result crosses the pipe as length-prefixed fields.
void putNumber(std::string& out, std::uint64_t n) {
    out.append(reinterpret_cast<const char*>(&n), sizeof n);
}

void putText(std::string& out, const std::string& text) {
    putNumber(out, text.size());
    out += text;
}

std::string serialize(const Translation& t) {
    std::string out;
    putNumber(out, t.ok ? 1 : 0);
    putText(out, t.glsl);
    putText(out, t.listing);
    putNumber(out, t.uniforms.size());
    for (const Uniform& u : t.uniforms) {
        putText(out, u.name);
        putText(out, u.glslName);
        putNumber(out, static_cast<std::uint64_t>(u.kind));
        putNumber(out, static_cast<std::uint64_t>(u.components));
        putNumber(out, static_cast<std::uint64_t>(u.samplerTarget));
    }
    return out;
}

class Reader {
  public:
    explicit Reader(const std::string& data) : data_(data) {}

    std::optional<std::uint64_t> number() {
        std::uint64_t n = 0;
        if (data_.size() - at_ < sizeof n) {
            return std::nullopt;
        }
        std::memcpy(&n, data_.data() + at_, sizeof n);
        at_ += sizeof n;
        return n;
    }

    std::optional<std::string> text() {
        const auto length = number();
        if (!length || *length > data_.size() - at_) {
            return std::nullopt;
        }
        std::string t = data_.substr(at_, *length);
        at_ += *length;
        return t;
    }

    bool atEnd() const { return at_ == data_.size(); }

  private:
    const std::string& data_;
    std::size_t at_ = 0;
};

std::optional<Translation> deserialize(const std::string& data) {
    Reader in(data);
    Translation t;
    const auto ok = in.number();
    auto glsl = in.text();
    auto listing = in.text();
    const auto count = in.number();
    if (!ok || !glsl || !listing || !count) {
        return std::nullopt;
    }
    t.ok = *ok == 1;
    t.glsl = std::move(*glsl);
    t.listing = std::move(*listing);
    for (std::uint64_t i = 0; i < *count; ++i) {
        auto uniformName = in.text();
        auto glslName = in.text();
        const auto kind = in.number();
        const auto components = in.number();
        const auto target = in.number();
        if (!uniformName || !glslName || !kind || !components || !target ||
            *kind > static_cast<std::uint64_t>(UniformKind::Other) ||
            *target > static_cast<std::uint64_t>(SamplerTarget::TextureCube)) {
            return std::nullopt;
        }
        t.uniforms.push_back(Uniform{std::move(*uniformName), std::move(*glslName),
                                     static_cast<UniformKind>(*kind), static_cast<int>(*components),
                                     static_cast<SamplerTarget>(*target)});
    }
    if (!in.atEnd()) {
        return std::nullopt;
    }
    return t;
}

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
