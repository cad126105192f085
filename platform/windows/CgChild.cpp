// One child serves every translation of a run: starting a process costs a quarter of a second
// under Wine, so the program's two shaders share one. A child that crashes or hangs is ended,
// its source gets a compile error, and the next translation starts a fresh child.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <new>
#include <optional>
#include <string>

#include "CgChild.h"
#include "CgIsolation.h"
#include "CgWire.h"

namespace cgrt {
namespace {

// Each message, a request or a translation, crosses as its length and then its bytes.
bool writeAll(HANDLE pipe, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1 << 20));
        if (!WriteFile(pipe, data.data() + done, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

bool writeMessage(HANDLE pipe, const std::string& message) {
    return writeAll(pipe, framed(message));
}

enum class ReadResult { Done, Closed, TimedOut };

// Anonymous pipes have no waiting with a time limit, so the parent looks at its end now and then.
ReadResult readExactly(HANDLE pipe, std::size_t size, std::string& out, ULONGLONG deadline) {
    out.clear();
    char buffer[65536];
    while (out.size() < size) {
        if (deadline != 0) {
            if (GetTickCount64() >= deadline) {
                return ReadResult::TimedOut;
            }
            DWORD available = 0;
            if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) {
                return ReadResult::Closed;
            }
            if (available == 0) {
                Sleep(1);
                continue;
            }
        }
        const DWORD want =
            static_cast<DWORD>(std::min<std::size_t>(size - out.size(), sizeof buffer));
        DWORD got = 0;
        if (!ReadFile(pipe, buffer, want, &got, nullptr) || got == 0) {
            return ReadResult::Closed;
        }
        out.append(buffer, got);
    }
    return ReadResult::Done;
}

// deadline 0: wait as long as it takes (the child's side, which the parent ends if need be).
ReadResult readMessage(HANDLE pipe, std::string& message, ULONGLONG deadline) {
    std::string header;
    const ReadResult result = readExactly(pipe, sizeof(std::uint64_t), header, deadline);
    if (result != ReadResult::Done) {
        return result;
    }
    return readExactly(pipe, *Reader(header).number(), message, deadline);
}

std::string lastError() {
    return "Windows error " + std::to_string(GetLastError());
}

std::string describeExit(DWORD code) {
    switch (code) {
        case EXCEPTION_ACCESS_VIOLATION:
            return "access violation";
        case EXCEPTION_STACK_OVERFLOW:
            return "stack overflow";
        case STATUS_HEAP_CORRUPTION:
            return "heap corruption";
        case STATUS_NO_MEMORY:
            return "no memory";
        default:
            char text[32];
            std::snprintf(text, sizeof text, "exit code 0x%08lx", static_cast<unsigned long>(code));
            return text;
    }
}

class Child {
  public:
    ~Child() { end(); }

    bool running() const { return process_ != nullptr; }

    // Starts this program again as a translator; empty on success, else why not.
    std::string start() {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE childIn = nullptr, childOut = nullptr;
        if (!CreatePipe(&childIn, &toChild_, &inherit, 0)) {
            return lastError();
        }
        if (!CreatePipe(&fromChild_, &childOut, &inherit, 0)) {
            const std::string why = lastError();
            CloseHandle(childIn);
            end();
            return why;
        }
        // Only the child's ends may be inherited.
        SetHandleInformation(toChild_, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(fromChild_, HANDLE_FLAG_INHERIT, 0);

        wchar_t path[MAX_PATH];
        const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring commandLine = L"\"" + std::wstring(path, length) + L"\" ";
        for (const char* c = TRANSLATOR_OPTION; *c != '\0'; ++c) {
            commandLine += static_cast<wchar_t>(*c);
        }
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = childIn;
        startup.hStdOutput = childOut;
        startup.hStdError = nullptr;
        PROCESS_INFORMATION info{};
        const bool started =
            length > 0 && length < MAX_PATH &&
            CreateProcessW(path, commandLine.data(), nullptr, nullptr, TRUE,
                           CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr, nullptr, &startup, &info);
        const std::string why = started ? "" : lastError();
        CloseHandle(childIn);
        CloseHandle(childOut);
        if (!started) {
            end();
            return why;
        }
        process_ = info.hProcess;
        bound();
        ResumeThread(info.hThread);
        CloseHandle(info.hThread);
        return "";
    }

    // The child's translation of one request; nullopt when it died or its time ran out (then it
    // is ended, and `why` says which).
    std::optional<Translation> ask(const std::string& request, std::chrono::milliseconds limit,
                                   std::string& why) {
        const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(limit.count());
        std::string reply;
        ReadResult result = ReadResult::Closed;
        if (writeMessage(toChild_, request)) {
            result = readMessage(fromChild_, reply, deadline);
        }
        if (result == ReadResult::Done) {
            if (std::optional<Translation> t = deserialize(reply)) {
                return t;
            }
        }
        if (result == ReadResult::TimedOut) {
            why = timeRanOut(limit);
        } else {
            DWORD code = 0;
            WaitForSingleObject(process_, 5000);
            GetExitCodeProcess(process_, &code);
            why = code == STATUS_NO_MEMORY ? ranOutOfMemory() : crashed(describeExit(code));
        }
        end();
        return std::nullopt;
    }

    void end() {
        for (HANDLE* h : {&toChild_, &fromChild_}) {
            if (*h != nullptr) {
                CloseHandle(*h);
                *h = nullptr;
            }
        }
        if (process_ != nullptr) {
            TerminateProcess(process_, 1);
            CloseHandle(process_);
            process_ = nullptr;
        }
        if (job_ != nullptr) {
            CloseHandle(job_);
            job_ = nullptr;
        }
    }

  private:
    // The child, still suspended, goes into a job of its own: the job's last handle, which only
    // this program holds, closes however the program ends and takes the child with it; and the
    // memory it commits is bounded. Where jobs cannot be had, the child runs without.
    void bound() {
        job_ = CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags =
            JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_PROCESS_MEMORY;
        limits.ProcessMemoryLimit = static_cast<SIZE_T>(TRANSLATOR_MEMORY_MIB << 20);
        if (job_ != nullptr && (!SetInformationJobObject(job_, JobObjectExtendedLimitInformation,
                                                         &limits, sizeof limits) ||
                                !AssignProcessToJobObject(job_, process_))) {
            CloseHandle(job_);
            job_ = nullptr;
        }
    }

    HANDLE job_ = nullptr;
    HANDLE process_ = nullptr;
    HANDLE toChild_ = nullptr;
    HANDLE fromChild_ = nullptr;
};

Child child;

// A crash in the translator ends the child at once with the exception's code, with no error
// dialog and no debugger (Wine would start its own and print its backtrace).
LONG WINAPI endOnCrash(EXCEPTION_POINTERS* exception) {
    TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

// The stack a Linux process has, so that the same sources translate on both.
constexpr SIZE_T TRANSLATOR_STACK_BYTES = 8 * 1024 * 1024;

struct Job {
    Request request;
    Translation result;
    bool finished = false;
};

DWORD WINAPI translateJob(void* data) {
    Job& job = *static_cast<Job*>(data);
    const Request& r = job.request;
    job.result = translate(r.source, r.name, r.stage, r.entry);
    job.finished = true;
    return 0;
}

}  // namespace

// The child starts with the first translation. Started ahead, it was ended half-started by
// programs that translate nothing (most unit tests), and Wine's console host then waited for it
// for good, holding the test's output open.
void prepareTranslations() {}

Translation translateApart(std::string_view source, const std::string& name, Stage stage,
                           const std::string& entry, std::chrono::milliseconds limit) {
    if (!child.running()) {
        const std::string why = child.start();
        if (!why.empty()) {
            return failedApart(name, notStarted(why));
        }
    }
    std::string why;
    std::optional<Translation> t =
        child.ask(serialize(Request{stage, name, entry, std::string(source)}), limit, why);
    return t ? std::move(*t) : failedApart(name, why);
}

int serveTranslations() {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(endOnCrash);
    // glslang takes its memory with new: running out past the job's bound ends the child with a
    // code that says so.
    std::set_new_handler([] { TerminateProcess(GetCurrentProcess(), STATUS_NO_MEMORY); });
    const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    std::string request;
    while (readMessage(in, request, 0) == ReadResult::Done) {
        std::optional<Request> r = deserializeRequest(request);
        if (!r) {
            return 2;
        }
        Job job{std::move(*r), {}, false};
        const HANDLE worker = CreateThread(nullptr, TRANSLATOR_STACK_BYTES, translateJob, &job,
                                           STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
        if (worker == nullptr) {
            return 1;
        }
        WaitForSingleObject(worker, INFINITE);
        DWORD code = 0;
        GetExitCodeThread(worker, &code);
        CloseHandle(worker);
        // A crash ends the process through endOnCrash; but when the stack has no room left to
        // raise its overflow in, Wine ends only the thread, with no code.
        if (!job.finished) {
            TerminateProcess(GetCurrentProcess(), code != 0 ? code : EXCEPTION_STACK_OVERFLOW);
        }
        if (!writeMessage(out, serialize(job.result))) {
            return 1;
        }
    }
    return 0;
}

}  // namespace cgrt
