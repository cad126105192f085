// How a request crosses from the program to the child process that translates, and the
// translation back: length-prefixed fields, in the byte order of the machine both run on.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "CgTranslator.h"

namespace cgrt {

void putNumber(std::string& out, std::uint64_t n);
void putText(std::string& out, const std::string& text);

// Takes the fields back out in the order they were put; nullopt once the data runs short.
class Reader {
  public:
    explicit Reader(const std::string& data) : data_(data) {}

    std::optional<std::uint64_t> number();
    std::optional<std::string> text();
    bool atEnd() const { return at_ == data_.size(); }

  private:
    const std::string& data_;
    std::size_t at_ = 0;
};

// What translate() takes.
struct Request {
    Stage stage = Stage::Vertex;
    std::string name;
    std::string entry;
    std::string source;
};

std::string serialize(const Request& r);
// nullopt for anything serialize() did not make.
std::optional<Request> deserializeRequest(const std::string& data);

// One message on a stream, a request or a translation: its length, then its bytes.
std::string framed(const std::string& message);

std::string serialize(const Translation& t);

// What the program reports in place of a translation the child did not deliver: a failed
// translation of `name` whose listing is "<name> : error: <why>", `why` one of these.
Translation failedApart(const std::string& name, const std::string& why);
std::string notStarted(const std::string& reason);
std::string timeRanOut(std::chrono::milliseconds limit);
std::string crashed(const std::string& how);
// What a translation may take: far more than the largest real source needs, far less than a
// macro that doubles itself forty times would. A child past it is ended.
constexpr unsigned long long TRANSLATOR_MEMORY_MIB = 1024;
std::string ranOutOfMemory();
// The child was stopped from outside (SIGSTOP, a debugger) and ended: no fault of the source.
std::string wasStopped();
// nullopt for anything serialize() did not make (a child that died half way, say).
std::optional<Translation> deserialize(const std::string& data);

}  // namespace cgrt
