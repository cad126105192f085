// The translator child on Linux: the program cg-translator (CgTranslatorMain.cpp), started with
// posix_spawn over a socket pair. A library may live in a program with threads of its own, where a
// fork without exec is unsafe; the child is found beside the library itself, so that no host has
// to say where it is. The protocol is cg/src/process/CgTranslatorProcess.cpp's; this file starts,
// watches, ends and reaps the child.
#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "CgSocket.h"

extern char** environ;

namespace cgrt {
namespace {

// Where the child may be, from the folder of the file that holds this code: libCg.so, in the build
// tree and installed alike, or a program of the build linked with the runtime statically (in the
// build's root or one folder down).
const char* const TRANSLATOR_PLACES[] = {"cg/cg-translator", "lib/cg/cg-translator",
                                         "../lib/cg/cg-translator"};

bool isStopped(pid_t pid) {
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(pid), &info, WSTOPPED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == pid && info.si_code == CLD_STOPPED;
}

// The program watches the child's resident memory while it waits (the second of /proc/PID/statm's
// numbers, in pages).
bool overBudget(pid_t pid) {
    unsigned long long size = 0, resident = 0;
    std::FILE* statm = std::fopen(("/proc/" + std::to_string(pid) + "/statm").c_str(), "r");
    if (statm == nullptr) {
        return false;
    }
    const bool read = std::fscanf(statm, "%llu %llu", &size, &resident) == 2;
    std::fclose(statm);
    return read && resident * static_cast<unsigned long long>(getpagesize()) >
                       (TRANSLATOR_MEMORY_MIB << 20);
}

// The folder of the file this code was loaded from, symbolic links resolved; empty if unknown.
std::string thisModulesFolder() {
    Dl_info info{};
    link_map* module = nullptr;
    if (dladdr1(reinterpret_cast<void*>(&thisModulesFolder), &info,
                reinterpret_cast<void**>(&module), RTLD_DL_LINKMAP) == 0 ||
        module == nullptr) {
        return "";
    }
    // The program itself has no name in its map; argv[0] may not be a path.
    const char* const name = module->l_name[0] != '\0' ? module->l_name : "/proc/self/exe";
    std::unique_ptr<char, decltype(&std::free)> real(realpath(name, nullptr), &std::free);
    if (!real) {
        return "";
    }
    const std::string path = real.get();
    return path.substr(0, path.rfind('/') + 1);
}

// The child's path, or empty with `why` set.
std::string findTranslator(std::string& why) {
    const std::string folder = thisModulesFolder();
    if (folder.empty()) {
        why = "the Cg library cannot tell which folder it was loaded from";
        return "";
    }
    for (const char* place : TRANSLATOR_PLACES) {
        if (access((folder + place).c_str(), X_OK) == 0) {
            return folder + place;
        }
    }
    why = "the translator program " + folder + TRANSLATOR_PLACES[0] + " is not there";
    return "";
}

// How a child ended without a result.
ChildEnding howEnded(int status) {
    if (WIFEXITED(status) && WEXITSTATUS(status) == TRANSLATOR_OUT_OF_MEMORY_STATUS) {
        return {true, ""};
    }
    if (WIFSIGNALED(status)) {
        return {false, strsignal(WTERMSIG(status))};
    }
    // Under a sanitizer a crash ends the child with a status rather than a signal.
    return {false,
            "it ended with status " + std::to_string(WEXITSTATUS(status)) + " and no result"};
}

// A closed descriptor of 0-2 goes to the next file or socket opened: the translator's socket
// would then take whatever the program (or its GL library) writes to that stream.
void keepStandardStreamsTaken() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) < 0 && errno == EBADF) {
            open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        }
    }
}

// Starts `path` with `socket` as its standard input, with the signal handling and mask a fresh
// program has (the host's own may ignore or block what ends a crashed child); its pid, or -1 with
// `why` set.
pid_t spawnWithSocket(const std::string& path, int socket, std::string& why) {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_adddup2(&actions, socket, STDIN_FILENO);
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, path.c_str(), &actions, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        why = path + ": " + std::strerror(failed);
        return -1;
    }
    return pid;
}

// Reaps a child as soon as it ends, so that one killed from outside between translations is no
// zombie until the next translation or the program's end. It is signalled only while not
// reaped: from then on its pid may be another process's.
class Reaper {
  public:
    explicit Reaper(pid_t pid) : pid_(pid), thread_([this] { waitForEnd(); }) {}
    ~Reaper() {
        kill();
        status();
    }

    void kill() {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!reaped_) {
            ::kill(pid_, SIGKILL);
        }
    }

    // The wait status, once the child has ended.
    int status() {
        if (thread_.joinable()) {
            thread_.join();
        }
        return status_;
    }

  private:
    void waitForEnd() {
        siginfo_t info{};
        while (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT) < 0 &&
               errno == EINTR) {
        }
        const std::lock_guard<std::mutex> lock(mutex_);
        while (waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {
        }
        reaped_ = true;
    }

    const pid_t pid_;
    std::mutex mutex_;
    bool reaped_ = false;
    int status_ = 0;
    std::thread thread_;
};

class SpawnedChild : public TranslatorChild, public SocketEnd {
  public:
    SpawnedChild(pid_t pid, int fd) : SocketEnd(fd), pid_(pid), reaper_(pid) {}
    ~SpawnedChild() override { close(); }

    bool stopped() override { return isStopped(pid_); }
    bool overMemory() override { return overBudget(pid_); }

    ChildEnding finish() override {
        close();
        return howEnded(reaper_.status());
    }

    void abandon() override { close(); }

  private:
    const pid_t pid_;
    // Ends the child and waits for it, once the pipe is closed (~SpawnedChild).
    Reaper reaper_;
};

}  // namespace

const bool TRANSLATOR_STARTS_AHEAD = true;

std::unique_ptr<TranslatorChild> startTranslatorChild(std::string& why) {
    // A host may fork without exec after this (to become a daemon, say), and its copy go on
    // translating or end: that copy must neither share the original's child nor end it.
    static const int forkHandled = pthread_atfork(
        holdTranslationsForFork, releaseTranslationsAfterFork, forgetTheChildInTheCopy);
    static_cast<void>(forkHandled);
    const std::string path = findTranslator(why);
    if (path.empty()) {
        return nullptr;
    }
    keepStandardStreamsTaken();
    // Both ends close on exec: the child gets its end as a copy, and no other program started
    // from the host keeps the program's end open (the child would never see the program go).
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        why = std::strerror(errno);
        return nullptr;
    }
    const pid_t pid = spawnWithSocket(path, ends[1], why);
    close(ends[1]);
    if (pid < 0) {
        close(ends[0]);
        return nullptr;
    }
    return std::make_unique<SpawnedChild>(pid, ends[0]);
}

}  // namespace cgrt
