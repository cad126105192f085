#include "CgSocket.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace cgrt {

PipeState SocketEnd::waitReadable(int ms) {
    return waitFor(POLLIN, ms);
}

PipeState SocketEnd::waitWritable(int ms) {
    return waitFor(POLLOUT, ms);
}

std::size_t SocketEnd::readSome(char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = read(fd_, buffer, size);
        if (n >= 0 || errno != EINTR) {
            return n > 0 ? static_cast<std::size_t>(n) : 0;
        }
    }
}

std::size_t SocketEnd::writeSome(const char* data, std::size_t size) {
    for (;;) {
        const ssize_t n = send(fd_, data, size, MSG_NOSIGNAL);
        if (n >= 0 || (errno != EINTR && errno != EAGAIN)) {
            return n > 0 ? static_cast<std::size_t>(n) : 0;
        }
    }
}

void SocketEnd::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

PipeState SocketEnd::waitFor(short events, int ms) {
    pollfd p{fd_, events, 0};
    const int ready = poll(&p, 1, ms);
    if (ready < 0) {
        return errno == EINTR ? PipeState::Waiting : PipeState::Closed;
    }
    return ready > 0 ? PipeState::Ready : PipeState::Waiting;
}

}  // namespace cgrt
