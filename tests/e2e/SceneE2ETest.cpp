#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <thread>

#include "Harness.h"

using namespace e2e;

namespace {

using Vec3 = std::array<double, 3>;

const Vec3 LIGHT = {0, 10, -1};
const Vec3 START_EYE = {-3.6, 2.0, 0.0};
const Vec3 SPHERE_CENTRE = {4.3, 1.0, -0.8};
const double SPHERE_RADIUS = 0.9;
const Vec3 RED_CUBE_LOW = {-0.5, 0.0, -0.5};
const Vec3 RED_CUBE_HIGH = {0.5, 1.0, 0.5};
const int WIDTH = 800;
const int HEIGHT = 600;

Vec3 sub(const Vec3& a, const Vec3& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
double dot(const Vec3& a, const Vec3& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// Where the viewer standing at `eye`, looking along +x level, sees a world point: pixel column
// and row from the top-left, by the look-at and the 60-degree perspective of an 800x600 window.
struct Pixel {
    int x, y;
};
Pixel project(const Vec3& p, const Vec3& eye = START_EYE) {
    // Looking along +x with y up: the eye's right is +z, its forward +x.
    const Vec3 d = sub(p, eye);
    const double forward = d[0], right = d[2], up = d[1];
    const double f = 1.0 / std::tan(30.0 * M_PI / 180.0);
    const double aspect = double(WIDTH) / HEIGHT;
    const double xNdc = f / aspect * right / forward;
    const double yNdc = f * up / forward;
    return {static_cast<int>((xNdc + 1) / 2 * WIDTH),
            static_cast<int>((1 - (yNdc + 1) / 2) * HEIGHT)};
}

// Does the segment from a to b pass within `radius` of `centre`?
bool segmentNearSphere(const Vec3& a, const Vec3& b, const Vec3& centre, double radius) {
    const Vec3 ab = sub(b, a);
    double t = dot(sub(centre, a), ab) / dot(ab, ab);
    t = std::fmax(0.0, std::fmin(1.0, t));
    const Vec3 closest = {a[0] + t * ab[0], a[1] + t * ab[1], a[2] + t * ab[2]};
    const Vec3 off = sub(centre, closest);
    return dot(off, off) < radius * radius;
}

// Does the segment from a to b pass through the axis-aligned box (grown by a small margin)?
bool segmentHitsBox(const Vec3& a, const Vec3& b, const Vec3& low, const Vec3& high) {
    const double margin = 0.05;
    double enter = 0, leave = 1;
    for (int i = 0; i < 3; ++i) {
        const double d = b[i] - a[i];
        const double lo = low[i] - margin, hi = high[i] + margin;
        if (std::fabs(d) < 1e-12) {
            if (a[i] < lo || a[i] > hi) {
                return false;
            }
            continue;
        }
        double t0 = (lo - a[i]) / d, t1 = (hi - a[i]) / d;
        if (t0 > t1) {
            std::swap(t0, t1);
        }
        enter = std::fmax(enter, t0);
        leave = std::fmin(leave, t1);
    }
    return enter <= leave;
}

double brightness(const Image& image, Pixel p) {
    return image.r(p.x, p.y) + image.g(p.x, p.y) + image.b(p.x, p.y);
}

bool isGround(int r, int g, int b) {
    return r > g && g > b && r > 60 && b < 60;
}
// Faces turned from the light keep the ambient share of their colour: 0.3 * 255.
bool isRed(int r, int g, int b) {
    return r > 60 && r > 3 * g && r > 3 * b;
}
bool isGreen(int r, int g, int b) {
    return g > 60 && g > 3 * r && g > 3 * b;
}
bool isParticle(int r, int g, int b) {
    return r > 120 && g > 120 && b < 90;
}

bool isParticleAt(const Image& image, Pixel p) {
    return isParticle(image.r(p.x, p.y), image.g(p.x, p.y), image.b(p.x, p.y));
}

// Most of the pixels around `p` that the fountain's points do not cover satisfy `test`.
template <typename Test>
bool mostAround(const Image& image, Pixel p, Test test) {
    EXPECT_TRUE(image.contains(p.x - 4, p.y - 4) && image.contains(p.x + 4, p.y + 4))
        << p.x << "," << p.y << " is out of the picture";
    int hits = 0, seen = 0;
    for (int dy = -4; dy <= 4; ++dy) {
        for (int dx = -4; dx <= 4; ++dx) {
            const Pixel q = {p.x + dx, p.y + dy};
            if (isParticleAt(image, q)) {
                continue;
            }
            ++seen;
            hits += test(image.r(q.x, q.y), image.g(q.x, q.y), image.b(q.x, q.y));
        }
    }
    return seen >= 20 && hits * 3 > seen * 2;
}

// The program from its start position, after the fountain has had time to rise.
struct SceneRun : ShownDemo {
    SceneRun() {
        if (!window.empty()) {
            captureFirstFrame(window);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    }
    ~SceneRun() { xdotool("key --window " + window + " Escape"); }
};

}  // namespace

TEST(SceneE2E, StartViewShowsSkyGroundSolidsAndFountainInTheirColours) {
    SceneRun run;
    ASSERT_FALSE(run.window.empty());
    const Image image = capture(run.window, buildDir() + "/e2e-start-view.png");
    ASSERT_EQ(image.width, WIDTH);
    ASSERT_EQ(image.height, HEIGHT);

    EXPECT_TRUE(mostAround(image, {400, 20}, isSkyColour));
    // Open ground beyond the red cube, to its left and right (nearer ground is out of view).
    EXPECT_TRUE(mostAround(image, project({1.5, 0, -2.5}), isGround));
    EXPECT_TRUE(mostAround(image, project({1.5, 0, 2.5}), isGround));
    // The red cube's face towards the viewer, low down where the fountain seldom passes.
    EXPECT_TRUE(mostAround(image, project({-0.5, 0.4, -0.25}), isRed));
    // The green sphere's near side.
    EXPECT_TRUE(mostAround(image, project({4.3 - 0.85, 1.0, -0.8}), isGreen));

    // The fountain above the cube's top.
    const Pixel top = project({0, 1.0, 0});
    int particles = 0;
    for (int y = top.y - 120; y < top.y; ++y) {
        for (int x = top.x - 120; x < top.x + 120; ++x) {
            particles += isParticle(image.r(x, y), image.g(x, y), image.b(x, y));
        }
    }
    EXPECT_GT(particles, 100) << "no yellow-green points above the red cube";
    EXPECT_TRUE(run.demo->running());
    EXPECT_EQ(run.demo->output(), "");
}

TEST(SceneE2E, GroundBehindTheSphereFromTheLightIsDarkAndOpenGroundIsNot) {
    SceneRun run;
    ASSERT_FALSE(run.window.empty());
    const Image image = capture(run.window);
    ASSERT_EQ(image.width, WIDTH);

    // Ground points near the sphere: blocked from the light by it (with a margin), or clearly
    // not; all in view of the eye.
    std::vector<Pixel> shadowed, lit;
    for (double x = 3.0; x <= 7.5; x += 0.1) {
        for (double z = -3.5; z <= 2.0; z += 0.1) {
            const Vec3 ground = {x, 0, z};
            const Pixel p = project(ground);
            if (segmentNearSphere(START_EYE, ground, SPHERE_CENTRE, SPHERE_RADIUS + 0.05) ||
                segmentHitsBox(START_EYE, ground, RED_CUBE_LOW, RED_CUBE_HIGH) ||
                !image.contains(p.x, p.y)) {
                continue;
            }
            if (segmentNearSphere(ground, LIGHT, SPHERE_CENTRE, SPHERE_RADIUS - 0.15)) {
                shadowed.push_back(p);
            } else if (!segmentNearSphere(ground, LIGHT, SPHERE_CENTRE, SPHERE_RADIUS + 0.3)) {
                lit.push_back(p);
            }
        }
    }
    ASSERT_GE(shadowed.size(), 3u);
    ASSERT_GE(lit.size(), 100u);

    // The fountain's small shadows may fall on a few of the lit points: go by the median.
    std::vector<double> litBrightness;
    for (Pixel p : lit) {
        litBrightness.push_back(brightness(image, p));
    }
    std::sort(litBrightness.begin(), litBrightness.end());
    const double litMedian = litBrightness[litBrightness.size() / 2];
    // Lit ground is evenly lit: hardly any of it is darkened.
    const size_t dark = std::count_if(litBrightness.begin(), litBrightness.end(),
                                      [&](double v) { return v < 0.75 * litMedian; });
    EXPECT_LT(dark * 10, lit.size()) << dark << " of " << lit.size() << " lit points are dark";
    size_t seen = 0, darkened = 0;
    for (Pixel p : shadowed) {
        if (isParticleAt(image, p)) {
            continue;  // a point of the fountain in front of the ground
        }
        ++seen;
        darkened += brightness(image, p) < 0.7 * litMedian;
    }
    ASSERT_GE(seen, 3u);
    EXPECT_GE(darkened * 10, seen * 9) << darkened << " of " << seen << " shadowed points are dark";
}

TEST(SceneE2E, WalkingForwardBringsTheRedCubeCloser) {
    SceneRun run;
    ASSERT_FALSE(run.window.empty());
    // How many columns of the picture show some of the red cube: its apparent width.
    const auto redColumns = [](const Image& image) {
        int columns = 0;
        for (int x = 0; x < image.width; ++x) {
            bool red = false;
            for (int y = 0; y < image.height && !red; ++y) {
                red = isRed(image.r(x, y), image.g(x, y), image.b(x, y));
            }
            columns += red;
        }
        return columns;
    };
    const Image before = capture(run.window);
    xdotool("keydown --window " + run.window + " Up");
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    xdotool("keyup --window " + run.window + " Up");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const Image after = capture(run.window);
    // About 1.4 units walked towards the cube's face 3.1 away: it looks much wider.
    EXPECT_GT(redColumns(after), redColumns(before) * 13 / 10);

    // Turning right by more than half the field of view takes the cube out of the picture.
    xdotool("keydown --window " + run.window + " Right");
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    xdotool("keyup --window " + run.window + " Right");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const Image turned = capture(run.window);
    EXPECT_LT(redColumns(turned), redColumns(after) / 4);
}
