// Translation in a child process: the same result as in this one, and a crash of the compiler
// turned into a compile error.
#include <gtest/gtest.h>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>
#else
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#endif

#include <chrono>
#include <cstdlib>
#include <string>
#include <tuple>

#include "CgIsolation.h"

#include <Cg/cg.h>
#include <Cg/cgGL.h>

using cgrt::Stage;
using cgrt::Translation;

namespace {

// Declares a uniform of each kind the runtime tells apart, so that every field crosses over.
const char* const FRAGMENT =
    "uniform float4 tint;\n"
    "uniform float4x4 warp;\n"
    "uniform sampler2D picture;\n"
    "uniform int count;\n"
    "float4 fp_main(float4 color : COLOR0, float4 uv : TEXCOORD0) : COLOR\n"
    "{\n"
    "    return color * tint * tex2D(picture, mul(warp, uv).xy) * count;\n"
    "}\n";

// glslang parses nested expressions by recursion, one set of stack frames a level: 100,000
// parentheses overflow the stack.
std::string crashesGlslang() {
    const std::size_t depth = 100000;
    return "float4 fp_shadowMapping() : COLOR { return " + std::string(depth, '(') + "1" +
           std::string(depth, ')') + "; }";
}

void expectSameTranslation(const Translation& apart, const Translation& here) {
    EXPECT_EQ(apart.ok, here.ok);
    EXPECT_EQ(apart.glsl, here.glsl);
    EXPECT_EQ(apart.listing, here.listing);
    ASSERT_EQ(apart.uniforms.size(), here.uniforms.size());
    for (std::size_t i = 0; i < here.uniforms.size(); ++i) {
        EXPECT_EQ(apart.uniforms[i].name, here.uniforms[i].name);
        EXPECT_EQ(apart.uniforms[i].glslName, here.uniforms[i].glslName);
        EXPECT_EQ(apart.uniforms[i].kind, here.uniforms[i].kind);
        EXPECT_EQ(apart.uniforms[i].components, here.uniforms[i].components);
        EXPECT_EQ(apart.uniforms[i].samplerTarget, here.uniforms[i].samplerTarget);
        EXPECT_EQ(apart.uniforms[i].semantic, here.uniforms[i].semantic);
    }
    ASSERT_EQ(apart.parameters.size(), here.parameters.size());
    for (std::size_t i = 0; i < here.parameters.size(); ++i) {
        const cgrt::EntryParameter& a = apart.parameters[i];
        const cgrt::EntryParameter& h = here.parameters[i];
        EXPECT_EQ(std::tie(a.name, a.type, a.semantic, a.direction, a.uniform, a.structure,
                           a.arraySize, a.depth, a.result),
                  std::tie(h.name, h.type, h.semantic, h.direction, h.uniform, h.structure,
                           h.arraySize, h.depth, h.result));
    }
}

#if !defined(_WIN32)
// Runs `work` in a fresh folder with core dumps allowed as far as this process may allow them;
// returns how many files it left there.
template <typename Work>
int filesLeftWithCoreDumpsOn(Work work) {
    rlimit saved{};
    getrlimit(RLIMIT_CORE, &saved);
    const rlimit allowed{saved.rlim_max, saved.rlim_max};
    setrlimit(RLIMIT_CORE, &allowed);
    char folder[] = "/tmp/cg-core-XXXXXX";
    char* const before = getcwd(nullptr, 0);
    if (mkdtemp(folder) == nullptr || before == nullptr || chdir(folder) != 0) {
        std::free(before);
        return -1;
    }
    work();
    const int chdirBack = chdir(before);
    std::free(before);
    setrlimit(RLIMIT_CORE, &saved);
    const int files = std::system((std::string("exit $(ls -A ") + folder + " | wc -l)").c_str());
    std::system((std::string("rm -rf ") + folder).c_str());
    return chdirBack == 0 && WIFEXITED(files) ? WEXITSTATUS(files) : -1;
}

// A child process of this one by its name as /proc/PID/stat gives it: "PID (NAME) STATE PPID".
pid_t childNamed(const std::string& name) {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        const std::string wanted = " (" + name + ") ";
        if (!std::getline(stat, line) || line.find(wanted) == std::string::npos) {
            continue;
        }
        std::istringstream rest(line.substr(line.find(wanted) + wanted.size()));
        char state = 0;
        pid_t parent = 0;
        if (rest >> state >> parent && parent == getpid()) {
            return static_cast<pid_t>(std::stol(entry.path().filename().string()));
        }
    }
    return -1;
}
#endif

}  // namespace

TEST(CgIsolationTest, GivesWhatTranslationInThisProcessGives) {
    const Translation here = cgrt::translate(FRAGMENT, "f.cg", Stage::Fragment, "fp_main");
    ASSERT_TRUE(here.ok) << here.listing;
    ASSERT_EQ(here.uniforms.size(), 4u);
    ASSERT_EQ(here.parameters.size(), 3u);  // the two inputs and the result
    expectSameTranslation(cgrt::translateApart(FRAGMENT, "f.cg", Stage::Fragment, "fp_main"), here);

    const std::string broken = std::string(FRAGMENT) + "float4 x = ;\n";
    const Translation failedHere = cgrt::translate(broken, "b.cg", Stage::Fragment, "fp_main");
    ASSERT_FALSE(failedHere.ok);
    expectSameTranslation(cgrt::translateApart(broken, "b.cg", Stage::Fragment, "fp_main"),
                          failedHere);
}

TEST(CgIsolationTest, ACompilerCrashBecomesACompileErrorOfTheSourceAndLeavesNoCoreFile) {
    Translation t;
    const auto translateCrash = [&t] {
        t = cgrt::translateApart(crashesGlslang(), "crash.cg", Stage::Fragment, "fp_shadowMapping");
    };
#if defined(_WIN32)
    // Windows writes no core files.
    translateCrash();
#else
    rlimit limit{};
    getrlimit(RLIMIT_CORE, &limit);
    ASSERT_GT(limit.rlim_max, 0u) << "core dumps are off for good here: nothing to check";
    EXPECT_EQ(filesLeftWithCoreDumpsOn(translateCrash), 0);
#endif
    EXPECT_FALSE(t.ok);
    EXPECT_EQ(t.listing.rfind("crash.cg : error: the shader compiler crashed on this source (", 0),
              0u)
        << t.listing;
    EXPECT_TRUE(t.glsl.empty());
    EXPECT_TRUE(t.uniforms.empty());
    // The compiler still works for the next source.
    EXPECT_TRUE(cgrt::translateApart(FRAGMENT, "f.cg", Stage::Fragment, "fp_main").ok);
}

#if defined(_WIN32)
using Pid = DWORD;

// The translator child: a copy of this program that it started, as Windows' list of processes
// tells it (Wine's console host may be another child).
Pid translatorChild() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring self(path, length);
    const std::wstring exe = self.substr(self.find_last_of(L"\\/") + 1);
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    DWORD found = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && found == 0;
         more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID == GetCurrentProcessId() &&
            _wcsicmp(entry.szExeFile, exe.c_str()) == 0) {
            found = entry.th32ProcessID;
        }
    }
    CloseHandle(snapshot);
    return found;
}

// Ends the process `pid` as another program would, and waits until it is gone.
bool killFromOutside(Pid pid) {
    const HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    const bool killed = process != nullptr && TerminateProcess(process, 9) &&
                        WaitForSingleObject(process, 2000) == WAIT_OBJECT_0;
    if (process != nullptr) {
        CloseHandle(process);
    }
    return killed;
}
#else
using Pid = pid_t;

Pid translatorChild() {
    return childNamed("cg-translator");
}

// True once `pid` is gone for good: dead and reaped, no zombie left.
bool reapedWithin(pid_t pid, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (kill(pid, 0) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return errno == ESRCH;
}

// Ends the process `pid` as another program would; true once it is gone and reaped.
bool killFromOutside(pid_t pid) {
    return kill(pid, SIGKILL) == 0 && reapedWithin(pid, std::chrono::seconds(2));
}

// A macro that doubles forty times: glslang's tree of it grows by some hundred megabytes a
// second, with no end in sight.
std::string growsWithoutBound() {
    std::string source = "#define A0 x +\n";
    for (int i = 1; i < 40; ++i) {
        const std::string before = "A" + std::to_string(i - 1);
        source += "#define A" + std::to_string(i) + " " + before + " " + before + "\n";
    }
    return source +
           "float4 fp_main(float4 c : COLOR0) : COLOR { float x = 1.0; return c * (A39 x); }\n";
}

#endif

// One child serves the whole run; where the platform starts it ahead (Linux), that child takes the
// first translation. One killed from outside between translations is replaced, and the next
// source is not blamed for it.
TEST(CgIsolationTest, TheTranslatorChildServesTheRunAndIsReplacedWhenKilledFromOutside) {
    cgrt::prepareTranslations();
#if !defined(_WIN32)
    const Pid ahead = translatorChild();
    ASSERT_GT(ahead, Pid{0}) << "no translator child started ahead";
    // A program of its own, not a copy of this one: a host's other threads cannot leave it locked.
    EXPECT_EQ(std::filesystem::read_symlink("/proc/" + std::to_string(ahead) + "/exe").filename(),
              "cg-translator");
#endif
    ASSERT_TRUE(cgrt::translateApart(FRAGMENT, "f.cg", Stage::Fragment, "fp_main").ok);
    const Pid translator = translatorChild();
    ASSERT_GT(translator, Pid{0}) << "no translator child to kill";
#if !defined(_WIN32)
    EXPECT_EQ(translator, ahead);
#endif
    EXPECT_TRUE(cgrt::translateApart(FRAGMENT, "f.cg", Stage::Fragment, "fp_main").ok);
    EXPECT_EQ(translatorChild(), translator) << "the second translation started another child";

    ASSERT_TRUE(killFromOutside(translator)) << "the child was not ended (or left a zombie)";
    const Translation t = cgrt::translateApart(FRAGMENT, "f.cg", Stage::Fragment, "fp_main");
    EXPECT_TRUE(t.ok) << t.listing;
    EXPECT_GT(translatorChild(), Pid{0});
}

#if !defined(_WIN32)
// A host may translate first from a thread that then ends: the child it started serves on.
TEST(CgIsolationTest, TheTranslatorChildOutlivesTheThreadThatStartedIt) {
    if (const Pid running = translatorChild(); running > 0) {
        ASSERT_TRUE(killFromOutside(running));
    }
    std::thread([] {
        EXPECT_TRUE(cgrt::translateApart(FRAGMENT, "f.cg", Stage::Fragment, "fp_main").ok);
    }).join();
    const Pid started = translatorChild();
    ASSERT_GT(started, 0) << "the thread started no child";
    EXPECT_TRUE(cgrt::translateApart(FRAGMENT, "f.cg", Stage::Fragment, "fp_main").ok);
    EXPECT_EQ(translatorChild(), started) << "the child ended with the thread that started it";
}

// A host that forks after translating (to become a daemon, say): the copy translates with a child
// of its own and ends without ending the original's, which serves on.
TEST(CgIsolationTest, AForkedCopyOfTheProgramLeavesTheOriginalsChildAlone) {
    ASSERT_TRUE(cgrt::translateApart(FRAGMENT, "f.cg", Stage::Fragment, "fp_main").ok);
    const Pid original = translatorChild();
    ASSERT_GT(original, 0);
    const pid_t copy = fork();
    if (copy == 0) {
        const bool ok = cgrt::translateApart(FRAGMENT, "f.cg", Stage::Fragment, "fp_main").ok &&
                        translatorChild() > 0;
        std::exit(ok ? 0 : 1);
    }
    ASSERT_GT(copy, 0);
    int status = -1;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (waitpid(copy, &status, WNOHANG) == 0 && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!WIFEXITED(status)) {
        kill(copy, SIGKILL);
        waitpid(copy, &status, 0);
        FAIL() << "the copy did not end by itself";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the copy could not translate";
    EXPECT_EQ(kill(original, 0), 0) << "the copy ended the original's child";
    EXPECT_TRUE(cgrt::translateApart(FRAGMENT, "f.cg", Stage::Fragment, "fp_main").ok);
    EXPECT_EQ(translatorChild(), original);
}

// One stopped from outside is ended, reaped at once and replaced, and the source is not blamed for
// it; one that takes more memory than any real source needs is ended and says so.
TEST(CgIsolationTest, TheTranslatorChildIsReplacedWhenStoppedAndBoundedInMemory) {
    ASSERT_TRUE(cgrt::translateApart(FRAGMENT, "f.cg", Stage::Fragment, "fp_main").ok);
    const Pid translator = translatorChild();
    ASSERT_GT(translator, 0) << "no translator child to stop";
    ASSERT_EQ(kill(translator, SIGSTOP), 0);
    const auto start = std::chrono::steady_clock::now();
    Translation t = cgrt::translateApart(FRAGMENT, "f.cg", Stage::Fragment, "fp_main");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_TRUE(t.ok) << t.listing;
    EXPECT_TRUE(reapedWithin(translator, std::chrono::seconds(2))) << "the stopped child lives on";

    t = cgrt::translateApart(growsWithoutBound(), "m.cg", Stage::Fragment, "fp_main");
    EXPECT_EQ(t.listing,
              "m.cg : error: the shader compiler ran out of memory on this source (it may take "
              "1024 MiB)\n");
    EXPECT_TRUE(cgrt::translateApart(FRAGMENT, "f.cg", Stage::Fragment, "fp_main").ok);
}
#endif

TEST(CgIsolationTest, ACompilerPastItsTimeIsStoppedAndSaysSo) {
    const Translation t = cgrt::translateApart(FRAGMENT, "slow.cg", Stage::Fragment, "fp_main",
                                               std::chrono::milliseconds(0));
    EXPECT_FALSE(t.ok);
    EXPECT_EQ(t.listing,
              "slow.cg : error: the shader compiler took longer than 0 s on this source\n");
}

// A host may create programs before it has GL, and destroy them without it: the runtime touches GL
// only for what GL was given (destroying aborted in libepoxy before).
TEST(CgIsolationTest, ProgramsLiveAndDieWithoutAGlContext) {
    CGcontext context = cgCreateContext();
    const char* source = "float4 main(uniform float4 tint) : COLOR { return tint; }";
    CGprogram program =
        cgCreateProgram(context, CG_SOURCE, source, CG_PROFILE_GLSLF, "main", nullptr);
    ASSERT_NE(program, nullptr) << cgGetLastListing(context);
    EXPECT_STREQ(cgGetProgramString(program, CG_PROGRAM_SOURCE), source);
    EXPECT_FALSE(cgGLIsProgramLoaded(program));
    cgSetParameter4f(cgGetNamedParameter(program, "tint"), 1.0f, 2.0f, 3.0f, 4.0f);
    cgDestroyProgram(program);
    EXPECT_FALSE(cgIsProgram(program));
    EXPECT_EQ(cgGetFirstProgram(context), nullptr);
    CGprogram kept = cgCreateProgram(context, CG_SOURCE, source, CG_PROFILE_GLSLF, "main", nullptr);
    EXPECT_EQ(cgGetFirstProgram(context), kept);
    cgDestroyContext(context);
    EXPECT_FALSE(cgIsContext(context));
    EXPECT_EQ(cgGetError(), CG_NO_ERROR);
}
