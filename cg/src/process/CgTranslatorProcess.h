// The translator child's protocol, the same on every platform that has processes: one child
// serves every translation of a run, over a byte pipe that carries framed requests and
// translations (CgWire.h). Deadlines, the replacement of a child that died or was stopped before
// it could answer, start-ahead and the messages live here; a platform supplies only the child
// and its pipe (startTranslatorChild), and what only it can tell about the child.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "CgWire.h"

namespace cgrt {

// What a wait on a pipe found: bytes (or room) are there, the other end is gone, or nothing yet.
enum class PipeState { Ready, Closed, Waiting };

// One end of a byte stream to the other process.
class BytePipe {
  public:
    virtual ~BytePipe() = default;
    // Waits at most `ms` milliseconds (-1: as long as it takes) for bytes to read.
    virtual PipeState waitReadable(int ms) = 0;
    // Waits at most `ms` milliseconds (-1: as long as it takes) for room to write.
    virtual PipeState waitWritable(int ms) = 0;
    // Reads up to `size` bytes; 0 once the other end is gone (or the pipe failed).
    virtual std::size_t readSome(char* buffer, std::size_t size) = 0;
    // Writes up to `size` bytes; 0 once the other end is gone (or the pipe failed).
    virtual std::size_t writeSome(const char* data, std::size_t size) = 0;
};

// How a child ended without a result: out of its memory, or crashed in the way `how` says.
struct ChildEnding {
    bool outOfMemory = false;
    std::string how;
};

// A started translator child, seen from the program: its pipe, and what the platform can tell.
// Destroying it ends the child and reaps it.
class TranslatorChild : public virtual BytePipe {
  public:
    // Stopped from outside (SIGSTOP, a debugger); false where the platform cannot tell.
    virtual bool stopped() { return false; }
    // Past TRANSLATOR_MEMORY_MIB; false where the platform bounds the child itself.
    virtual bool overMemory() { return false; }
    // Closes the program's end, waits for the child to end (one still alive ends on seeing its
    // end closed) and says how it ended.
    virtual ChildEnding finish() = 0;
    // Closes the program's end and nothing more: in a copy of the program made by fork, whose
    // child is the original's to end and reap (never called where there is no fork).
    virtual void abandon() {}
};

// The platform's: starts a translator child that serves translations (serveRequests) over
// the pipe it returns; nullptr with `why` set when it cannot.
std::unique_ptr<TranslatorChild> startTranslatorChild(std::string& why);

// Whether the platform may start its child before the first translation asks for it (see
// prepareTranslations): where a program that ends without translating ends a half-started child
// at no cost.
extern const bool TRANSLATOR_STARTS_AHEAD;

// Around a fork() of the program (where the platform has it; pthread_atfork's three handlers): no
// translation is under way while it forks, and the copy lets go of the original's child, starting
// its own should it translate.
void holdTranslationsForFork();
void releaseTranslationsAfterFork();
void forgetTheChildInTheCopy();

// The child's side: gets glslang ready, then answers each request from `in` with
// `translateOne`'s result on `out` until the program closes its end. Returns the status the child
// ends with: 0 then, 1 when the answer could not be written, 2 for a request the program did not
// make.
int serveRequests(BytePipe& in, BytePipe& out,
                  const std::function<Translation(const Request&)>& translateOne);

}  // namespace cgrt
