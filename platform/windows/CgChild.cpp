// The translator child on Windows, which has no fork(): the program itself, started again with
// TRANSLATOR_OPTION, over a pipe each way and in a job that bounds it. The protocol is
// cg/src/process/CgTranslatorProcess.cpp's; this file starts, ends and judges the child.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>
#include <string>

#include "CgChild.h"
#include "CgTranslatorProcess.h"

namespace cgrt {
namespace {

// A pair of anonymous pipes, one each way, blocking. They have no waiting with a time limit, so
// a wait for bytes looks at the pipe now and then; a write waits as long as the pipe is full.
class PipePair : public virtual BytePipe {
  public:
    PipePair(HANDLE in, HANDLE out) : in_(in), out_(out) {}
    ~PipePair() override { close(); }

    PipeState waitReadable(int ms) override {
        const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(ms);
        for (;;) {
            DWORD available = 0;
            if (ms < 0 || !PeekNamedPipe(in_, nullptr, 0, nullptr, &available, nullptr)) {
                // ReadFile then waits, or says that the pipe is gone.
                return PipeState::Ready;
            }
            if (available > 0) {
                return PipeState::Ready;
            }
            if (GetTickCount64() >= end) {
                return PipeState::Waiting;
            }
            Sleep(1);
        }
    }

    PipeState waitWritable(int) override { return PipeState::Ready; }

    std::size_t readSome(char* buffer, std::size_t size) override {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1 << 20));
        return ReadFile(in_, buffer, want, &got, nullptr) ? got : 0;
    }

    std::size_t writeSome(const char* data, std::size_t size) override {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1 << 20));
        return WriteFile(out_, data, chunk, &written, nullptr) ? written : 0;
    }

    void close() {
        for (HANDLE* h : {&in_, &out_}) {
            if (*h != nullptr) {
                CloseHandle(*h);
                *h = nullptr;
            }
        }
    }

  private:
    HANDLE in_;
    HANDLE out_;
};

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

// The child, still suspended, goes into a job of its own: the job's last handle, which only this
// program holds, closes however the program ends and takes the child with it; and the memory it
// commits is bounded. Where jobs cannot be had, the child runs without (nullptr).
HANDLE boundingJob(HANDLE process) {
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags =
        JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_PROCESS_MEMORY;
    limits.ProcessMemoryLimit = static_cast<SIZE_T>(TRANSLATOR_MEMORY_MIB << 20);
    if (job != nullptr &&
        (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits) ||
         !AssignProcessToJobObject(job, process))) {
        CloseHandle(job);
        job = nullptr;
    }
    return job;
}

class StartedChild : public TranslatorChild, public PipePair {
  public:
    StartedChild(HANDLE process, HANDLE job, HANDLE fromChild, HANDLE toChild)
        : PipePair(fromChild, toChild), process_(process), job_(job) {}

    ~StartedChild() override {
        close();
        TerminateProcess(process_, 1);
        CloseHandle(process_);
        if (job_ != nullptr) {
            CloseHandle(job_);
        }
    }

    ChildEnding finish() override {
        close();
        DWORD code = 0;
        WaitForSingleObject(process_, 5000);
        GetExitCodeProcess(process_, &code);
        return {code == STATUS_NO_MEMORY, describeExit(code)};
    }

  private:
    const HANDLE process_;
    const HANDLE job_;
};

// This program, started again with TRANSLATOR_OPTION and the pipes' other ends as its standard
// input and output; false with nothing started when it cannot be.
bool startAsTranslator(HANDLE childIn, HANDLE childOut, PROCESS_INFORMATION& info) {
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
    return length > 0 && length < MAX_PATH &&
           CreateProcessW(path, commandLine.data(), nullptr, nullptr, TRUE,
                          CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr, nullptr, &startup, &info);
}

// A crash in the translator ends the child at once with the exception's code, with no error
// dialog and no debugger (Wine would start its own and print its backtrace).
LONG WINAPI endOnCrash(EXCEPTION_POINTERS* exception) {
    TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

// The stack a Linux process has, so that the same sources translate on both.
constexpr SIZE_T TRANSLATOR_STACK_BYTES = 8 * 1024 * 1024;

struct Job {
    const Request& request;
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

Translation translateOnBigStack(const Request& request) {
    Job job{request, {}, false};
    const HANDLE worker = CreateThread(nullptr, TRANSLATOR_STACK_BYTES, translateJob, &job,
                                       STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (worker == nullptr) {
        TerminateProcess(GetCurrentProcess(), 1);
    }
    WaitForSingleObject(worker, INFINITE);
    DWORD code = 0;
    GetExitCodeThread(worker, &code);
    CloseHandle(worker);
    // A crash ends the process through endOnCrash; but when the stack has no room left to raise
    // its overflow in, Wine ends only the thread, with no code.
    if (!job.finished) {
        TerminateProcess(GetCurrentProcess(), code != 0 ? code : EXCEPTION_STACK_OVERFLOW);
    }
    return std::move(job.result);
}

}  // namespace

// Started ahead, the child was ended half-started by programs that translate nothing (most unit
// tests), and Wine's console host then waited for it for good, holding the test's output open.
const bool TRANSLATOR_STARTS_AHEAD = false;

std::unique_ptr<TranslatorChild> startTranslatorChild(std::string& why) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE childIn = nullptr, toChild = nullptr, fromChild = nullptr, childOut = nullptr;
    if (!CreatePipe(&childIn, &toChild, &inherit, 0)) {
        why = lastError();
        return nullptr;
    }
    PROCESS_INFORMATION info{};
    const bool started = CreatePipe(&fromChild, &childOut, &inherit, 0) &&
                         // Only the child's ends may be inherited.
                         SetHandleInformation(toChild, HANDLE_FLAG_INHERIT, 0) &&
                         SetHandleInformation(fromChild, HANDLE_FLAG_INHERIT, 0) &&
                         startAsTranslator(childIn, childOut, info);
    why = started ? "" : lastError();
    for (HANDLE h :
         {childIn, childOut, started ? nullptr : toChild, started ? nullptr : fromChild}) {
        if (h != nullptr) {
            CloseHandle(h);
        }
    }
    if (!started) {
        return nullptr;
    }
    auto child = std::make_unique<StartedChild>(info.hProcess, boundingJob(info.hProcess),
                                                fromChild, toChild);
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    return child;
}

int serveTranslations() {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(endOnCrash);
    // glslang takes its memory with new: running out past the job's bound ends the child with a
    // code that says so.
    std::set_new_handler([] { TerminateProcess(GetCurrentProcess(), STATUS_NO_MEMORY); });
    PipePair toProgram(GetStdHandle(STD_INPUT_HANDLE), GetStdHandle(STD_OUTPUT_HANDLE));
    return serveRequests(toProgram, toProgram, translateOnBigStack);
}

}  // namespace cgrt
