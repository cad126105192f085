#include "Harness.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace e2e {

namespace {

const char* const CG_SUBDIR = "/src/ShadowMapping/resource/cg";

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

void writeFile(const std::string& path, const std::string& contents) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::string makeTempDir() {
    char pattern[] = "/tmp/shadow-e2e-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    return pattern;
}

}  // namespace

// This build's program, or another that takes the same arguments and gives the same status (the
// Windows build under Wine), named by SHADOW_E2E_PROGRAM.
std::string demoBinary() {
    const char* other = std::getenv("SHADOW_E2E_PROGRAM");
    return other != nullptr && *other != '\0' ? other : SHADOW_DEMO_BINARY;
}
std::string sourceDir() {
    return SHADOW_SOURCE_DIR;
}
std::string buildDir() {
    return SHADOW_BINARY_DIR;
}

int shell(const std::string& command, std::string* out) {
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return -1;
    }
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        if (out != nullptr) {
            out->append(buffer, n);
        }
    }
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TempTree::TempTree() : root_(makeTempDir()) {
    runDir_ = root_ + "/run";
    cgDir_ = root_ + CG_SUBDIR;
    if (shell("mkdir -p '" + runDir_ + "' '" + cgDir_ + "'") != 0) {
        throw std::runtime_error("cannot lay out " + root_);
    }
    for (const char* name : {"vp_ShadowMapping.cg", "fp_ShadowMapping.cg"}) {
        writeFile(cgDir_ + "/" + name, readFile(sourceDir() + CG_SUBDIR + "/" + name));
    }
}

TempTree::~TempTree() {
    shell("rm -rf '" + root_ + "'");
}

void TempTree::writeShader(const std::string& name, const std::string& contents) const {
    writeFile(cgDir_ + "/" + name, contents);
}

void TempTree::removeShader(const std::string& name) const {
    std::remove((cgDir_ + "/" + name).c_str());
}

std::string TempTree::readShader(const std::string& name) const {
    return readFile(cgDir_ + "/" + name);
}

namespace {
// xdotool types into the focused window through the server's test extension, but it checks the
// focus again for each release: a key whose press ended the program (Esc) is then released into
// the window that has gone, and stays down in the server, auto-repeating into the next window
// that takes the focus. Released here, without a window, so that the server's state is cleared.
void releaseTestKeys() {
    xdotool("keyup Escape Up Down Left Right Prior Next");
}
}  // namespace

// Every start clears the keys an earlier run may have left down, also for a program that is not
// shown through ShownDemo: a left-over Esc would end it at once.
DemoProcess::DemoProcess(const std::string& workDir, const std::vector<std::string>& args,
                         ClosedPipe closed) {
    releaseTestKeys();
    const std::string dir = makeTempDir();
    outPath_ = dir + "/stdout";
    errPath_ = dir + "/stderr";
    const int outFd = open(outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int errFd = open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (outFd < 0 || errFd < 0) {
        throw std::runtime_error("cannot create " + outPath_);
    }
    const std::string binary = demoBinary();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(binary.c_str()));
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);

    pid_ = fork();
    if (pid_ == 0) {
        // A test that dies must not leave the program running (and the test run waiting).
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        dup2(outFd, STDOUT_FILENO);
        dup2(errFd, STDERR_FILENO);
        if (closed != ClosedPipe::None) {
            int ends[2];
            if (pipe(ends) != 0) {
                _exit(125);
            }
            close(ends[0]);
            dup2(ends[1], closed == ClosedPipe::Output ? STDOUT_FILENO : STDERR_FILENO);
        }
        // As a shell starts it: a test runner that ignores SIGPIPE would hand that on through exec.
        signal(SIGPIPE, SIG_DFL);
        const int nullFd = open("/dev/null", O_RDONLY);
        dup2(nullFd, STDIN_FILENO);
        if (chdir(workDir.c_str()) != 0) {
            _exit(126);
        }
        execv(binary.c_str(), argv.data());
        _exit(127);
    }
    close(outFd);
    close(errFd);
    if (pid_ < 0) {
        throw std::runtime_error("fork failed");
    }
}

DemoProcess::~DemoProcess() {
    if (status_ < 0 && pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    const std::string dir = outPath_.substr(0, outPath_.rfind('/'));
    shell("rm -rf '" + dir + "'");
}

bool DemoProcess::waitExit(double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (status_ < 0) {
        int status = 0;
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            signalled_ = WIFSIGNALED(status);
            status_ = signalled_ ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

bool DemoProcess::running() {
    return !waitExit(0.0);
}

std::string DemoProcess::output() const {
    return readFile(outPath_);
}

std::string DemoProcess::errors() const {
    return readFile(errPath_);
}

long DemoProcess::residentKiB() const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

int runToExit(const std::string& workDir, std::string& out, double seconds) {
    DemoProcess demo(workDir);
    const bool ended = demo.waitExit(seconds);
    out = demo.output();
    return ended ? demo.exitStatus() : -1;
}

int xdotool(const std::string& args, std::string* out) {
    return shell("xdotool " + args + " 2>&1", out);
}

namespace {

// The first visible window titled "Navigation Example", or "" when there is none.
std::string firstDemoWindow() {
    std::string out;
    xdotool("search --onlyvisible --name '^Navigation Example$'", &out);
    std::istringstream ids(out);
    std::string id;
    if (ids >> id && id.find_first_not_of("0123456789") == std::string::npos) {
        return id;
    }
    return "";
}

// The window of a run that has just ended can outlive it for a moment on the server, with the
// same title; the toolkit does not name its process on the window, so a new run waits for it to go.
void waitUntilNoDemoWindow(double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline && !firstDemoWindow().empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

}  // namespace

std::string findWindow(DemoProcess& demo, double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline && demo.running()) {
        const std::string id = firstDemoWindow();
        if (!id.empty()) {
            return id;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return "";
}

ShownDemo::ShownDemo(const std::vector<std::string>& args, ClosedPipe closed) {
    waitUntilNoDemoWindow(10.0);
    demo = std::make_unique<DemoProcess>(tree.runDir(), args, closed);
    window = findWindow(*demo);
    if (!window.empty()) {
        prepareWindow(window);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
}

void prepareWindow(const std::string& window) {
    // With no window manager freeglut leaves the window at (-1, -1): captures would be cut.
    xdotool("windowmove --sync " + window + " 0 0");
    // Not --sync: xdotool then waits for the pointer to leave where it stands, for ever when an
    // earlier run on this display left it there already.
    xdotool("mousemove 400 300");
    xdotool("windowfocus --sync " + window);
}

Image capture(const std::string& window, const std::string& png) {
    std::string ppm;
    shell("xwd -silent -id " + window + " | convert xwd:- ppm:-", &ppm);
    if (!png.empty()) {
        shell("xwd -silent -id " + window + " | convert xwd:- '" + png + "'");
    }
    Image image;
    std::istringstream in(ppm);
    std::string magic;
    in >> magic;
    // The header's numbers may be separated by comment lines (convert writes the window's name).
    auto nextNumber = [&in]() {
        in >> std::ws;
        while (in.peek() == '#') {
            std::string comment;
            std::getline(in, comment);
            in >> std::ws;
        }
        int value = 0;
        in >> value;
        return value;
    };
    image.width = nextNumber();
    image.height = nextNumber();
    const int maxValue = nextNumber();
    in.get();
    if (magic != "P6" || maxValue != 255 || image.width <= 0 || image.height <= 0) {
        return Image{};
    }
    image.rgb.resize(static_cast<size_t>(3) * image.width * image.height);
    in.read(reinterpret_cast<char*>(image.rgb.data()),
            static_cast<std::streamsize>(image.rgb.size()));
    if (!in) {
        return Image{};
    }
    return image;
}

bool isSkyColour(int r, int g, int b) {
    return std::abs(r - 204) <= 2 && std::abs(g - 204) <= 2 && b >= 253;
}

Image captureFirstFrame(const std::string& window, double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    Image image = capture(window);
    while (!isSkyColour(image.r(400, 5), image.g(400, 5), image.b(400, 5)) &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        image = capture(window);
    }
    return image;
}

}  // namespace e2e
