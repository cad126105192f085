#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>

#include "Navigation.h"

namespace {

class Viewer : public ::testing::Test {
  protected:
    void SetUp() override {
        cameraX = -3.6;
        cameraY = 2.0;
        cameraZ = 0.0;
        cameraAngle = 0.0;
        for (int key = 0; key < 256; ++key) {
            specialKeyUp(key, 0, 0);
        }
    }

    // Holds the keys for `seconds` in total, spread over frames of `frame` seconds.
    static void hold(std::initializer_list<int> keys, double seconds, double frame = 0.05) {
        for (int key : keys) {
            specialKeyDown(key, 10, 20);
        }
        const int frames = static_cast<int>(std::lround(seconds / frame));
        for (int i = 0; i < frames; ++i) {
            moveViewer(frame);
        }
        for (int key : keys) {
            specialKeyUp(key, 10, 20);
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
    specialKeyDown(GLUT_KEY_RIGHT, 0, 0);
    specialKeyDown(GLUT_KEY_UP, 0, 0);
    moveViewer(1.0);
    // The move follows the heading reached in this same step.
    EXPECT_NEAR(cameraAngle, TURN_RATE, 1e-12);
    EXPECT_NEAR(cameraX, -3.6 + 2.0 * std::cos(TURN_RATE), 1e-12);
    EXPECT_NEAR(cameraZ, 2.0 * std::sin(TURN_RATE), 1e-12);
}

TEST_F(Viewer, ReleaseStopsAndRepeatedPressesChangeNothing) {
    specialKeyDown(GLUT_KEY_UP, 0, 0);
    specialKeyDown(GLUT_KEY_UP, 0, 0);  // the toolkit's auto-repeat
    moveViewer(0.5);
    specialKeyUp(GLUT_KEY_UP, 0, 0);
    moveViewer(0.5);
    EXPECT_NEAR(cameraX, -2.6, 1e-12);
}

TEST_F(Viewer, OtherKeysAndZeroTimeChangeNothing) {
    for (int key :
         {GLUT_KEY_F1, GLUT_KEY_HOME, GLUT_KEY_END, GLUT_KEY_INSERT, 0, -1, 99, 106, 1000}) {
        specialKeyDown(key, 0, 0);
    }
    EXPECT_FALSE(keyTurnLeft || keyTurnRight || keyForward || keyBackward || keyRise || keySink);
    keyboard('a', 0, 0);
    keyboard(' ', 0, 0);
    moveViewer(1.0);
    specialKeyDown(GLUT_KEY_UP, 0, 0);
    specialKeyDown(GLUT_KEY_RIGHT, 0, 0);
    moveViewer(0.0);  // before the first frame no time has passed
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
