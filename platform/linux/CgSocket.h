// One end of the socket pair between the program and its translator child, used by both sides
// (CgChild.cpp in the program, CgTranslatorMain.cpp in the child).
#pragma once

#include "CgTranslatorProcess.h"

namespace cgrt {

// The status the child ends with when its memory ran out.
constexpr int TRANSLATOR_OUT_OF_MEMORY_STATUS = 3;

// Blocking. MSG_NOSIGNAL: a peer that died leaves a write that fails, not a SIGPIPE that ends the
// writer.
class SocketEnd : public virtual BytePipe {
  public:
    explicit SocketEnd(int fd) : fd_(fd) {}
    ~SocketEnd() override { close(); }

    PipeState waitReadable(int ms) override;
    PipeState waitWritable(int ms) override;
    std::size_t readSome(char* buffer, std::size_t size) override;
    std::size_t writeSome(const char* data, std::size_t size) override;
    void close();

  private:
    PipeState waitFor(short events, int ms);

    int fd_;
};

}  // namespace cgrt
