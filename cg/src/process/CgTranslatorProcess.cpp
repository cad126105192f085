// One child serves every translation of a run: each translation after the first costs no process
// start and no rebuilding of glslang's tables. A child that crashes or hangs is ended, its source
// gets a compile error, and the next translation starts a fresh child.
#include "CgTranslatorProcess.h"

#include <algorithm>
#include <mutex>
#include <optional>

#include "CgIsolation.h"

namespace cgrt {
namespace {

using Deadline = std::optional<std::chrono::steady_clock::time_point>;

enum class Wait { Ready, Closed, TimedOut, Stopped, OutOfMemory };

// What the child says first on taking a request, before it translates it: an empty message.
constexpr const char TAKEN[] = "";

// How often the program looks whether a child it waits for was stopped or grew past its memory.
constexpr int WATCH_EVERY_MS = 100;

// What became of the child `watched` (none: nothing to watch), Ready when nothing.
Wait watch(TranslatorChild* watched) {
    if (watched == nullptr) {
        return Wait::Ready;
    }
    return watched->stopped()      ? Wait::Stopped
           : watched->overMemory() ? Wait::OutOfMemory
                                   : Wait::Ready;
}

// No deadline: as long as it takes (the child's side, which the program ends if need be). With
// a deadline the program waits for the child `watched`, and no more once it is stopped or past its
// memory.
Wait waitFor(BytePipe& pipe, bool toWrite, const Deadline& deadline, TranslatorChild* watched) {
    for (;;) {
        int timeout = -1;
        if (deadline) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                *deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                return Wait::TimedOut;
            }
            timeout = static_cast<int>(std::min<long long>(left.count(), WATCH_EVERY_MS));
        }
        const PipeState state = toWrite ? pipe.waitWritable(timeout) : pipe.waitReadable(timeout);
        if (state != PipeState::Waiting) {
            return state == PipeState::Ready ? Wait::Ready : Wait::Closed;
        }
        if (const Wait w = watch(watched); w != Wait::Ready) {
            return w;
        }
    }
}

Wait writeAll(BytePipe& pipe, const std::string& data, const Deadline& deadline,
              TranslatorChild* watched) {
    std::size_t done = 0;
    while (done < data.size()) {
        const Wait w = waitFor(pipe, true, deadline, watched);
        if (w != Wait::Ready) {
            return w;
        }
        const std::size_t n = pipe.writeSome(data.data() + done, data.size() - done);
        if (n == 0) {
            return Wait::Closed;
        }
        done += n;
    }
    return Wait::Ready;
}

Wait readExactly(BytePipe& pipe, std::size_t size, std::string& out, const Deadline& deadline,
                 TranslatorChild* watched) {
    out.clear();
    char buffer[65536];
    while (out.size() < size) {
        const Wait w = waitFor(pipe, false, deadline, watched);
        if (w != Wait::Ready) {
            return w;
        }
        const std::size_t n = pipe.readSome(buffer, std::min(sizeof buffer, size - out.size()));
        if (n == 0) {
            return Wait::Closed;
        }
        out.append(buffer, n);
    }
    return Wait::Ready;
}

Wait readMessage(BytePipe& pipe, std::string& message, const Deadline& deadline,
                 TranslatorChild* watched) {
    std::string header;
    const Wait w = readExactly(pipe, sizeof(std::uint64_t), header, deadline, watched);
    if (w != Wait::Ready) {
        return w;
    }
    return readExactly(pipe, *Reader(header).number(), message, deadline, watched);
}

// Why a child that was not ended by the program gave no result.
std::string whyEnded(const ChildEnding& ending) {
    return ending.outOfMemory ? ranOutOfMemory() : crashed(ending.how);
}

class TranslatorProcess {
  public:
    // A child that cannot start now is tried again by the first translation, which reports why.
    void prepare() {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!child_) {
            std::string why;
            child_ = startTranslatorChild(why);
        }
    }

    Translation translate(const Request& request, std::chrono::milliseconds limit) {
        const std::lock_guard<std::mutex> lock(mutex_);
        std::string why;
        for (bool retried = false;; retried = true) {
            if (!child_) {
                child_ = startTranslatorChild(why);
                if (!child_) {
                    return failedApart(request.name, notStarted(why));
                }
            }
            bool gone = false;
            if (std::optional<Translation> t = ask(request, limit, why, gone)) {
                return std::move(*t);
            }
            if (!gone || retried) {
                return failedApart(request.name, why);
            }
        }
    }

    void holdForFork() { mutex_.lock(); }
    void releaseAfterFork() { mutex_.unlock(); }
    // The object is left behind: destroying it would end and wait for the original's child.
    void forgetChild() {
        if (child_) {
            child_->abandon();
            static_cast<void>(child_.release());
        }
        mutex_.unlock();
    }

  private:
    // The child's translation of one request; nullopt when it died, was stopped or its time ran
    // out (then it is ended, and `why` says which). `gone` tells a child that could not take the
    // request (killed or stopped from outside, say), which is no fault of the source.
    std::optional<Translation> ask(const Request& request, std::chrono::milliseconds limit,
                                   std::string& why, bool& gone) {
        const Deadline deadline = std::chrono::steady_clock::now() + limit;
        std::string reply;
        Wait w = writeAll(*child_, framed(serialize(request)), deadline, child_.get());
        if (w == Wait::Ready) {
            w = readMessage(*child_, reply, deadline, child_.get());
        }
        // A write into a dead child's pipe may still succeed (under Wine, for a moment after it
        // ended): only the child's word that it took the request tells that it was alive.
        gone = w == Wait::Closed;
        if (w == Wait::Ready) {
            w = readMessage(*child_, reply, deadline, child_.get());
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
            why = whyEnded(child_->finish());
        }
        child_.reset();
        return std::nullopt;
    }

    // A host may create programs from several threads: one request at a time on the pipe.
    std::mutex mutex_;
    std::unique_ptr<TranslatorChild> child_;
};

TranslatorProcess process;

}  // namespace

int serveRequests(BytePipe& in, BytePipe& out,
                  const std::function<Translation(const Request&)>& translateOne) {
    warmUpTranslator();
    std::string message;
    while (readMessage(in, message, std::nullopt, nullptr) == Wait::Ready) {
        const std::optional<Request> r = deserializeRequest(message);
        if (!r) {
            return 2;
        }
        if (writeAll(out, framed(TAKEN), std::nullopt, nullptr) != Wait::Ready) {
            return 1;
        }
        if (writeAll(out, framed(serialize(translateOne(*r))), std::nullopt, nullptr) !=
            Wait::Ready) {
            return 1;
        }
    }
    return 0;
}

void holdTranslationsForFork() {
    process.holdForFork();
}

void releaseTranslationsAfterFork() {
    process.releaseAfterFork();
}

void forgetTheChildInTheCopy() {
    process.forgetChild();
}

void prepareTranslations() {
    if (TRANSLATOR_STARTS_AHEAD) {
        process.prepare();
    }
}

Translation translateApart(std::string_view source, const std::string& name, Stage stage,
                           const std::string& entry, std::chrono::milliseconds limit) {
    return process.translate(Request{stage, name, entry, std::string(source)}, limit);
}

}  // namespace cgrt
