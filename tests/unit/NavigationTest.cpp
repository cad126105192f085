#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>

#include "FrameDriver.h"
#include "Navigation.h"

namespace {

class Viewer : public ::testing::Test {
  protected:
    void SetUp() override {
        cameraX = -3.6;
        cameraY = 2.0;
        cameraZ = 0.0;
        cameraAngle = 0.0;
        releaseKeysAt(0);
        for (KeyHold* hold :
             {&turnLeftHold, &turnRightHold, &forwardHold, &backwardHold, &riseHold, &sinkHold}) {
            *hold = KeyHold{};
        }
        lastFrameClock = 0;
    }

    // A frame that starts at `millis`, moving the viewer as display does.
    static void frameAt(std::int64_t millis) { moveViewer(startFrame(millis)); }

    // Holds the keys for `seconds` in total, spread over frames of `frame` seconds; pressed as
    // a frame begins and released as another begins.
    static void hold(std::initializer_list<int> keys, double seconds, double frame = 0.05) {
        for (int key : keys) {
            pressKeyAt(key, lastFrameClock);
        }
        const auto frameMillis = std::llround(frame * 1000);
        const int frames = static_cast<int>(std::lround(seconds / frame));
        for (int i = 0; i < frames; ++i) {
            frameAt(lastFrameClock + frameMillis);
        }
        for (int key : keys) {
            releaseKeyAt(key, lastFrameClock);
        }
    }
};

}  // namespace

TEST_F(Viewer, RightArrowForNinetyDegreesLooksAlongPlusZ) {
    hold({GLUT_KEY_RIGHT}, 1.8);
    EXPECT_NEAR(cameraAngle, M_PI / 2, 1e-9);
    // The position does not change while only turning.
    EXPECT_EQ(cameraX, -3.6);
    EXPECT_EQ(cameraZ, 0.0);
    // Forward now goes along +z.
    hold({GLUT_KEY_UP}, 0.5);
    EXPECT_NEAR(cameraX, -3.6, 1e-9);
    EXPECT_NEAR(cameraZ, 1.0, 1e-9);
}

TEST_F(Viewer, LeftArrowTurnsTheOtherWay) {
    hold({GLUT_KEY_LEFT}, 1.8);
    EXPECT_NEAR(cameraAngle, -M_PI / 2, 1e-9);
}

TEST_F(Viewer, UpArrowForOneSecondWalksTwoUnitsAhead) {
    hold({GLUT_KEY_UP}, 1.0);
    EXPECT_NEAR(cameraX, -1.6, 1e-9);
    EXPECT_EQ(cameraZ, 0.0);
    EXPECT_EQ(cameraY, 2.0);
    hold({GLUT_KEY_DOWN}, 0.5);
    EXPECT_NEAR(cameraX, -2.6, 1e-9);
}

TEST_F(Viewer, PageKeysRaiseAndLowerWithoutLimit) {
    hold({GLUT_KEY_PAGE_DOWN}, 1.5);
    EXPECT_NEAR(cameraY, -1.0, 1e-9);
    hold({GLUT_KEY_PAGE_UP}, 0.25);
    EXPECT_NEAR(cameraY, -0.5, 1e-9);
}

TEST_F(Viewer, KeysOfAPairHeldTogetherCancel) {
    hold({GLUT_KEY_LEFT, GLUT_KEY_RIGHT, GLUT_KEY_UP, GLUT_KEY_DOWN, GLUT_KEY_PAGE_UP,
          GLUT_KEY_PAGE_DOWN},
         2.0);
    EXPECT_NEAR(cameraAngle, 0.0, 1e-12);
    EXPECT_NEAR(cameraX, -3.6, 1e-12);
    EXPECT_NEAR(cameraY, 2.0, 1e-12);
    EXPECT_NEAR(cameraZ, 0.0, 1e-12);
}

TEST_F(Viewer, TurningComesBeforeMovingInTheSameStep) {
    pressKeyAt(GLUT_KEY_RIGHT, 0);
    pressKeyAt(GLUT_KEY_UP, 0);
    frameAt(1000);
    // The move follows the heading reached in this same step.
    EXPECT_NEAR(cameraAngle, TURN_RATE, 1e-12);
    EXPECT_NEAR(cameraX, -3.6 + 2.0 * std::cos(TURN_RATE), 1e-12);
    EXPECT_NEAR(cameraZ, 2.0 * std::sin(TURN_RATE), 1e-12);
}

TEST_F(Viewer, ReleaseStopsAndRepeatedPressesChangeNothing) {
    pressKeyAt(GLUT_KEY_UP, 0);
    pressKeyAt(GLUT_KEY_UP, 200);  // the browser's auto-repeat: no release between
    frameAt(500);
    releaseKeyAt(GLUT_KEY_UP, 500);
    releaseKeyAt(GLUT_KEY_UP, 700);  // a release of a key that is up
    frameAt(1000);
    EXPECT_NEAR(cameraX, -2.6, 1e-12);
}

TEST_F(Viewer, XAutoRepeatPairsNeitherLoseNorAddTime) {
    hold({GLUT_KEY_UP, GLUT_KEY_LEFT}, 0.5);
    const double steadyX = cameraX, steadyZ = cameraZ, steadyAngle = cameraAngle;

    SetUp();
    pressKeyAt(GLUT_KEY_UP, 0);
    pressKeyAt(GLUT_KEY_LEFT, 0);
    for (std::int64_t frame = 50; frame <= 500; frame += 50) {
        // X repeats a held key as a release and a press at the same moment, inside the frame.
        for (int key : {GLUT_KEY_UP, GLUT_KEY_LEFT}) {
            releaseKeyAt(key, frame - 17);
            pressKeyAt(key, frame - 17);
        }
        frameAt(frame);
    }
    EXPECT_EQ(cameraX, steadyX);
    EXPECT_EQ(cameraZ, steadyZ);
    EXPECT_EQ(cameraAngle, steadyAngle);
}

TEST_F(Viewer, KeysMoveOnlyForThePartOfALongFrameTheyWereHeld) {
    frameAt(1000);
    // A 100 ms tap inside a one-second frame walks 0.2 units, not nothing, not two units.
    pressKeyAt(GLUT_KEY_UP, 1300);
    releaseKeyAt(GLUT_KEY_UP, 1400);
    frameAt(2000);
    EXPECT_NEAR(cameraX, -3.6 + 0.2, 1e-12);
    // Pressed 0.62 s into a one-second frame: 0.38 s of rising in it.
    pressKeyAt(GLUT_KEY_PAGE_UP, 2620);
    frameAt(3000);
    EXPECT_NEAR(cameraY, 2.0 + 0.76, 1e-12);
    // Held through the next frame: all of it, exactly as frames always moved.
    const double before = cameraY;
    frameAt(3050);
    EXPECT_EQ(cameraY, before + MOVE_SPEED * 0.05);
    // Released 30 ms into a frame; then it stands.
    releaseKeyAt(GLUT_KEY_PAGE_UP, 3080);
    frameAt(3100);
    frameAt(3150);
    EXPECT_NEAR(cameraY, 2.0 + 0.76 + 0.1 + 0.06, 1e-12);
    // Two taps of one key in one frame add up.
    pressKeyAt(GLUT_KEY_DOWN, 3160);
    releaseKeyAt(GLUT_KEY_DOWN, 3170);
    pressKeyAt(GLUT_KEY_DOWN, 3180);
    releaseKeyAt(GLUT_KEY_DOWN, 3200);
    frameAt(4000);
    EXPECT_NEAR(cameraX, -3.6 + 0.2 - 0.06, 1e-12);
}

TEST_F(Viewer, ALostFocusStopsTheKeysAsHandledAndAHiddenWindowsTimeIsNotWalked) {
    frameAt(1000);
    pressKeyAt(GLUT_KEY_PAGE_DOWN, 1000);
    pressKeyAt(GLUT_KEY_RIGHT, 1100);
    releaseKeysAt(1250);
    EXPECT_FALSE(keySink || keyTurnRight);
    frameAt(2000);
    frameAt(3000);
    EXPECT_NEAR(cameraY, 2.0 - 0.5, 1e-12);
    EXPECT_NEAR(cameraAngle, 0.15 * TURN_RATE, 1e-12);

    // While the window is hidden idle puts the count of time forward, and a key held meanwhile
    // walks only from there.
    pressKeyAt(GLUT_KEY_PAGE_UP, 3000);
    lastFrameClock = 9000;
    frameAt(9100);
    EXPECT_NEAR(cameraY, 2.0 - 0.5 + 0.2, 1e-12);
    lastFrameClock = 12000;
    releaseKeyAt(GLUT_KEY_PAGE_UP, 12040);
    frameAt(12050);
    EXPECT_NEAR(cameraY, 2.0 - 0.5 + 0.2 + 0.08, 1e-12);
}

TEST_F(Viewer, OtherKeysAndZeroTimeChangeNothing) {
    for (int key :
         {GLUT_KEY_F1, GLUT_KEY_HOME, GLUT_KEY_END, GLUT_KEY_INSERT, 0, -1, 99, 106, 1000}) {
        specialKeyDown(key, 0, 0);
    }
    EXPECT_FALSE(keyTurnLeft || keyTurnRight || keyForward || keyBackward || keyRise || keySink);
    keyboard('a', 0, 0);
    keyboard(' ', 0, 0);
    frameAt(1000);
    pressKeyAt(GLUT_KEY_UP, 1000);
    pressKeyAt(GLUT_KEY_RIGHT, 1000);
    frameAt(1000);  // no time has passed
    EXPECT_EQ(cameraX, -3.6);
    EXPECT_EQ(cameraY, 2.0);
    EXPECT_EQ(cameraZ, 0.0);
    EXPECT_EQ(cameraAngle, 0.0);
}

TEST_F(Viewer, HeadingIsNeverWrapped) {
    hold({GLUT_KEY_RIGHT}, 10.0);
    EXPECT_NEAR(cameraAngle, 10.0 * TURN_RATE, 1e-9);
    EXPECT_GT(cameraAngle, 2 * M_PI);
}

TEST(ViewerExit, EscapeEndsTheProcessWithStatusZero) {
    specialKeyDown(GLUT_KEY_UP, 0, 0);
    EXPECT_EXIT(keyboard(ESCAPE_KEY, 5, 5), ::testing::ExitedWithCode(0), "");
}
