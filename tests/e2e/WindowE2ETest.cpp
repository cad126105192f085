#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "Harness.h"

using namespace e2e;

namespace {

void pause(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

bool isSky(const Image& image, int x, int y) {
    return isSkyColour(image.r(x, y), image.g(x, y), image.b(x, y));
}

// The first row from the top, at the window's left edge, that is not sky: the foot of the far
// border. It drops about 47 rows for each unit the viewer rises (346, 440 and 533 at heights 2, 4
// and 6); from high enough there is only sky, and the window's height is returned.
int horizonRow(const Image& image) {
    for (int y = 0; y < image.height; ++y) {
        if (!isSky(image, 5, y)) {
            return y;
        }
    }
    return image.height;
}
constexpr int ROWS_PER_UNIT = 47;

// Processor time the process has used, in clock ticks: user and system, from /proc.
long cpuTicks(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    // The fields after the command name, which is in parentheses and may hold spaces.
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    long user = 0, system = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) {
            user = std::stol(field);
        } else if (i == 15) {
            system = std::stol(field);
        }
    }
    return user + system;
}

long ticksOver(pid_t pid, double seconds) {
    const long before = cpuTicks(pid);
    pause(seconds);
    return cpuTicks(pid) - before;
}

// Stops the program for `seconds`: the frame it is in lasts that long. `keys` (an xdotool command
// line) are typed `after` seconds into it; the server stamps them, the program handles them later.
void typeInsideOneLongFrame(pid_t pid, double seconds, double after, const std::string& keys) {
    const auto start = std::chrono::steady_clock::now();
    kill(pid, SIGSTOP);
    pause(after);
    xdotool(keys);
    std::this_thread::sleep_until(start + std::chrono::duration<double>(seconds));
    kill(pid, SIGCONT);
}

// The window's size as the X server has it: "WIDTHxHEIGHT", or "" when xdotool cannot tell.
std::string windowGeometry(const std::string& window) {
    std::string out;
    xdotool("getwindowgeometry " + window, &out);
    const size_t at = out.find("Geometry: ");
    return at == std::string::npos ? "" : out.substr(at + 10, out.find('\n', at) - at - 10);
}

}  // namespace

TEST(WindowE2E, OpensItsWindowAndShowsTheSkyAboveTheHorizon) {
    ShownDemo run;
    ASSERT_FALSE(run.window.empty()) << "no window titled 'Navigation Example'";
    const Image image = captureFirstFrame(run.window);
    ASSERT_EQ(image.width, 800);
    ASSERT_EQ(image.height, 600);
    // The viewer stands 2 units up looking level: the top of the picture is sky.
    for (int x : {5, 400, 795}) {
        EXPECT_TRUE(isSky(image, x, 5)) << "x " << x;
    }
    EXPECT_TRUE(run.demo->running());
}

TEST(WindowE2E, WalksWithHeldKeysIgnoresOthersAndEscapeEndsIt) {
    ShownDemo run;
    ASSERT_FALSE(run.window.empty());
    for (const char* key : {"Up", "Left", "Prior", "Down", "Right", "Next"}) {
        xdotool(std::string("keydown --window ") + run.window + " " + key);
        pause(0.3);
        xdotool(std::string("keyup --window ") + run.window + " " + key);
    }
    for (const char* key : {"F1", "Home", "End", "Insert", "a", "q", "Return", "space"}) {
        xdotool(std::string("key --window ") + run.window + " " + key);
    }
    pause(0.5);
    EXPECT_TRUE(run.demo->running()) << "the program ended on a key that is not Esc";

    // Esc while keys are held still ends it, with status 0.
    xdotool("keydown --window " + run.window + " Up");
    xdotool("keydown --window " + run.window + " Next");
    pause(0.3);
    xdotool("key --window " + run.window + " Escape");
    const bool ended = run.demo->waitExit(10);
    xdotool("keyup --window " + run.window + " Up");
    xdotool("keyup --window " + run.window + " Next");
    ASSERT_TRUE(ended) << "Esc did not end the program";
    EXPECT_FALSE(run.demo->signalled());
    EXPECT_EQ(run.demo->exitStatus(), 0);
    EXPECT_EQ(run.demo->output(), "");
}

TEST(WindowE2E, ExtraCommandLineArgumentsChangeNothing) {
    ShownDemo plain;
    ASSERT_FALSE(plain.window.empty());
    const Image before = captureFirstFrame(plain.window);
    xdotool("key --window " + plain.window + " Escape");
    ASSERT_TRUE(plain.demo->waitExit(10));

    ShownDemo withArgs({"extra-argument", "another one"});
    ASSERT_FALSE(withArgs.window.empty());
    const Image after = captureFirstFrame(withArgs.window);
    ASSERT_EQ(after.width, 800) << "window " << withArgs.window << ", running "
                                << withArgs.demo->running() << ", status "
                                << withArgs.demo->exitStatus()
                                << ", output: " << withArgs.demo->output()
                                << ", errors: " << withArgs.demo->errors();
    ASSERT_EQ(after.height, 600);
    EXPECT_TRUE(isSky(after, 400, 5));
    // Same place, same view: the pictures differ at most where the fountain moves. The two runs'
    // fountains are out of phase, so up to 2 x 500 points of 6x6 pixels and their specks of shadow
    // may differ: at most about 45,000 pixels. A changed view or window moves nearly all of them.
    int differing = 0;
    for (size_t i = 0; i + 2 < before.rgb.size() && i + 2 < after.rgb.size(); i += 3) {
        differing += std::abs(before.rgb[i] - after.rgb[i]) > 40 ||
                     std::abs(before.rgb[i + 1] - after.rgb[i + 1]) > 40 ||
                     std::abs(before.rgb[i + 2] - after.rgb[i + 2]) > 40;
    }
    EXPECT_LT(differing, 800 * 600 / 8);
    xdotool("key --window " + withArgs.window + " Escape");
    EXPECT_TRUE(withArgs.demo->waitExit(10));
    EXPECT_EQ(withArgs.demo->exitStatus(), 0);
    EXPECT_EQ(withArgs.demo->output(), "");
}

TEST(WindowE2E, AHiddenWindowWaitsAndDrawsAgainWhenShown) {
    ShownDemo run;
    ASSERT_FALSE(run.window.empty());
    const long visible = ticksOver(run.demo->pid(), 2.0);
    ASSERT_EQ(xdotool("windowunmap --sync " + run.window), 0);
    const long hidden = ticksOver(run.demo->pid(), 2.0);
    // Drawing nothing, it must not use more than while drawing (it spun at 96% of a core).
    EXPECT_LE(hidden, visible) << "ticks hidden " << hidden << ", visible " << visible;

    ASSERT_EQ(xdotool("windowmap --sync " + run.window), 0);
    pause(0.3);
    const Image first = capture(run.window);
    pause(0.3);
    const Image second = capture(run.window);
    EXPECT_TRUE(isSky(second, 400, 5));
    EXPECT_NE(first.rgb, second.rgb)
        << "the fountain stands still: no frames since the window came back";
    EXPECT_TRUE(run.demo->running());
}

TEST(WindowE2E, AKeyHeldWhileTheWindowIsHiddenMovesTheViewerNoFurtherThanTheTimeHeld) {
    ShownDemo run;
    ASSERT_FALSE(run.window.empty());
    const int start = horizonRow(captureFirstFrame(run.window));
    xdotool("keydown Prior");
    xdotool("windowunmap --sync " + run.window);
    pause(1.0);
    xdotool("windowmap --sync " + run.window);
    xdotool("keyup Prior");
    pause(0.5);
    const int after = horizonRow(capture(run.window));
    // Page Up raises the viewer 2 units a second; a hide that takes the focus may stop it sooner.
    // Allowed: 2.5 units, for the frames around the press and the release.
    EXPECT_LE(after - start, ROWS_PER_UNIT * 5 / 2)
        << "horizon from row " << start << " to " << after;
    EXPECT_TRUE(run.demo->running());
}

TEST(WindowE2E, AKeyReleasedWhileAnotherWindowHasTheFocusStopsTheViewer) {
    ShownDemo run;
    ASSERT_FALSE(run.window.empty());
    std::string pid;
    shell("xlogo -geometry 100x100+900+0 >/dev/null 2>&1 & echo $!", &pid);
    std::string other;
    for (int tries = 0; tries < 100 && other.empty(); ++tries) {
        xdotool("search --onlyvisible --class xlogo", &other);
        other = other.substr(0, other.find('\n'));
        if (other.find_first_not_of("0123456789") != std::string::npos) {
            other.clear();
            pause(0.1);
        }
    }
    if (other.empty()) {
        shell("kill " + pid);
    }
    ASSERT_FALSE(other.empty()) << "no xlogo window to take the focus";

    xdotool("keydown Prior");
    pause(0.3);
    xdotool("windowfocus --sync " + other);
    xdotool("keyup Prior");
    xdotool("windowfocus --sync " + run.window);
    pause(0.3);
    const int before = horizonRow(capture(run.window));
    pause(1.0);
    const int after = horizonRow(capture(run.window));
    shell("kill " + pid);
    // Still rising, it would have gone 2 units (94 rows) meanwhile.
    EXPECT_LE(after - before, ROWS_PER_UNIT / 4)
        << "horizon from row " << before << " to " << after;
    EXPECT_TRUE(run.demo->running());
}

TEST(WindowE2E, KeysInsideALongFrameMoveTheViewerForTheTimeTheyWereHeld) {
    ShownDemo run;
    ASSERT_FALSE(run.window.empty());
    const int start = horizonRow(captureFirstFrame(run.window));
    // Page Up raises the viewer 2 units a second. xdotool makes each hold a little longer than
    // it sleeps (about 20 ms here). Counted from when the program handles them, both keys of a
    // tap inside the frame come after it: it moved nothing, or a whole frame's 2 units.
    typeInsideOneLongFrame(run.demo->pid(), 1.0, 0.3, "keydown Prior sleep 0.1 keyup Prior");
    pause(0.5);
    const int tapped = horizonRow(capture(run.window));
    EXPECT_GE(tapped - start, ROWS_PER_UNIT * 15 / 100) << "a 100 ms tap: 0.2 units";
    EXPECT_LE(tapped - start, ROWS_PER_UNIT * 35 / 100) << "a 100 ms tap: 0.2 units";
    // Pressed 0.62 s into a second's frame and held to its end: 0.76 units.
    typeInsideOneLongFrame(run.demo->pid(), 1.0, 0.62, "keydown Prior sleep 0.38 keyup Prior");
    pause(0.5);
    const int held = horizonRow(capture(run.window));
    EXPECT_GE(held - tapped, ROWS_PER_UNIT * 66 / 100) << "0.38 s held: 0.76 units";
    EXPECT_LE(held - tapped, ROWS_PER_UNIT * 96 / 100) << "0.38 s held: 0.76 units";
    EXPECT_TRUE(run.demo->running());
}

TEST(WindowE2E, AWindowDestroyedByAnotherClientEndsTheProgram) {
    ShownDemo run;
    ASSERT_FALSE(run.window.empty());
    ASSERT_EQ(xdotool("windowclose " + run.window), 0);
    ASSERT_TRUE(run.demo->waitExit(5)) << "the program lives on without its window";
    EXPECT_FALSE(run.demo->signalled());
    EXPECT_EQ(run.demo->exitStatus(), 1);
    EXPECT_EQ(run.demo->output(), "");
    EXPECT_EQ(run.demo->errors(), "Navigation Example: the window was destroyed\n");

    // Its message lost in a pipe whose reader has gone, the status stays.
    ShownDemo unread({}, ClosedPipe::Errors);
    ASSERT_FALSE(unread.window.empty());
    ASSERT_EQ(xdotool("windowclose " + unread.window), 0);
    ASSERT_TRUE(unread.demo->waitExit(5));
    EXPECT_FALSE(unread.demo->signalled()) << "status " << unread.demo->exitStatus();
    EXPECT_EQ(unread.demo->exitStatus(), 1);
}

// Mesa's software renderer says it draws at most 16384x16384 and crashed in its own buffers
// (SIGSEGV) when the window was made 32767x32767. The program asks its window back to the size the
// driver says it can draw, and goes on drawing at that size.
TEST(WindowE2E, AWindowLargerThanTheDriverCanDrawIsMadeSmallerAndDrawnAtItsLimit) {
    ShownDemo run;
    ASSERT_FALSE(run.window.empty());
    captureFirstFrame(run.window);
    ASSERT_EQ(xdotool("windowsize " + run.window + " 32767 32767"), 0);
    std::string size;
    for (int tries = 0; tries < 100 && (size.empty() || size == "32767x32767"); ++tries) {
        pause(0.2);
        size = windowGeometry(run.window);
    }
    const std::string prefix =
        "Navigation Example: a 32767x32767 window is larger than the driver "
        "can draw; it is made ";
    EXPECT_EQ(run.demo->errors(), prefix + size + "\n");
    const int side = std::atoi(size.c_str());
    EXPECT_GE(side, 800);
    EXPECT_LT(side, 32767);
    EXPECT_EQ(size, std::to_string(side) + "x" + std::to_string(side));
    ASSERT_TRUE(run.demo->running()) << "status " << run.demo->exitStatus();

    // A frame at that size takes seconds here. Its top-left corner, all the screen shows, is sky:
    // the horizon lies half the window's height down.
    Image image = capture(run.window);
    for (int tries = 0; tries < 120 && !isSky(image, image.width - 5, image.height - 5); ++tries) {
        pause(0.5);
        image = capture(run.window);
    }
    ASSERT_GT(image.width, 800);
    ASSERT_GT(image.height, 600);
    for (int x : {5, image.width / 2, image.width - 5}) {
        for (int y : {5, image.height / 2, image.height - 5}) {
            EXPECT_TRUE(isSky(image, x, y)) << x << "," << y;
        }
    }
    capture(run.window, buildDir() + "/huge-window.png");
    xdotool("key --window " + run.window + " Escape");
    ASSERT_TRUE(run.demo->waitExit(60)) << "Esc did not end the program";
    EXPECT_FALSE(run.demo->signalled());
    EXPECT_EQ(run.demo->exitStatus(), 0);
    EXPECT_EQ(run.demo->output(), "");
}
