#include <gtest/gtest.h>

#include <chrono>
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
