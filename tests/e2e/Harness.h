// Runs the built program as a user would: in a working directory that is a sibling of a `src/`
// tree, on the X display of the test run, with its standard output captured.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace e2e {

// A temporary tree laid out like the project: <root>/src/ShadowMapping/resource/cg/ holds copies
// of the real shader sources and <root>/run is where the program starts. Removed on destruction.
class TempTree {
  public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& root() const { return root_; }
    const std::string& runDir() const { return runDir_; }
    const std::string& cgDir() const { return cgDir_; }
    // Replaces (or creates) a file in the shader folder.
    void writeShader(const std::string& name, const std::string& contents) const;
    void removeShader(const std::string& name) const;
    std::string readShader(const std::string& name) const;

  private:
    std::string root_, runDir_, cgDir_;
};

// Which of the program's streams writes into a pipe whose reader has gone, as in
// `shadow-demo | true`; what it writes there is lost.
enum class ClosedPipe { None, Output, Errors };

// The program, started in `workDir` with extra arguments; killed on destruction if still running.
class DemoProcess {
  public:
    explicit DemoProcess(const std::string& workDir, const std::vector<std::string>& args = {},
                         ClosedPipe closed = ClosedPipe::None);
    ~DemoProcess();
    DemoProcess(const DemoProcess&) = delete;
    DemoProcess& operator=(const DemoProcess&) = delete;

    pid_t pid() const { return pid_; }
    // Waits up to `seconds` for the process to end; true when it ended.
    bool waitExit(double seconds);
    bool running();
    // The exit status as the shell sees it (0..255), or 128 + signal when it was killed.
    int exitStatus() const { return status_; }
    bool signalled() const { return signalled_; }
    // Everything written to standard output so far (standard error goes to the test's own).
    std::string output() const;
    // Everything written to standard error so far.
    std::string errors() const;
    // Resident set size in KiB from /proc, or -1 when the process is gone.
    long residentKiB() const;

  private:
    pid_t pid_ = -1;
    int status_ = -1;
    bool signalled_ = false;
    std::string outPath_;
    std::string errPath_;
};

// The program started in a fresh tree, its window found, placed and focused.
struct ShownDemo {
    explicit ShownDemo(const std::vector<std::string>& args = {},
                       ClosedPipe closed = ClosedPipe::None);

    TempTree tree;
    std::unique_ptr<DemoProcess> demo;
    std::string window;  // empty when no window appeared
};

// Runs the program to its end (at most `seconds`) and returns its status; output in `out`.
int runToExit(const std::string& workDir, std::string& out, double seconds = 30.0);

// The window titled "Navigation Example" (of `demo`, the only run on the display), found by
// xdotool within `seconds`;
// "" when none, or as soon as `demo` has ended.
std::string findWindow(DemoProcess& demo, double seconds = 20.0);
// Moves the window to (0, 0) (no window manager places it) and gives it the keyboard focus.
void prepareWindow(const std::string& window);
// Runs an xdotool command line, e.g. "keydown Up"; returns its exit status. What it prints
// (standard output and error) goes to `out` when given.
int xdotool(const std::string& args, std::string* out = nullptr);

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // row-major, top row first
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    // Colour at (x, y), x to the right and y downwards from the top-left corner; 0 outside.
    std::uint8_t r(int x, int y) const { return at(x, y, 0); }
    std::uint8_t g(int x, int y) const { return at(x, y, 1); }
    std::uint8_t b(int x, int y) const { return at(x, y, 2); }

  private:
    std::uint8_t at(int x, int y, int channel) const {
        return contains(x, y) ? rgb[3 * (y * width + x) + channel] : 0;
    }
};
// Captures the window's contents from outside the process; saves a PNG too when `png` is given.
Image capture(const std::string& window, const std::string& png = "");
// The clear colour (0.8, 0.8, 1.0) as captured.
bool isSkyColour(int r, int g, int b);
// The window once it shows a frame (the sky at its top centre), waited for up to `seconds`.
// Windows shows the window before the shaders are compiled; X maps it only after the first frame.
Image captureFirstFrame(const std::string& window, double seconds = 10.0);

// Runs a shell command, returns its exit status; its standard output goes to `out` if given.
int shell(const std::string& command, std::string* out = nullptr);

std::string demoBinary();
std::string sourceDir();
// This build's folder, where the tests leave what they saw.
std::string buildDir();

}  // namespace e2e
