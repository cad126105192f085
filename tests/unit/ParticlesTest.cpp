#include <gtest/gtest.h>

#include <cstring>

#include "Particles.h"

namespace {

class Fountain : public ::testing::Test {
  protected:
    void SetUp() override { initParticles(); }

    static void expectAtSpawn(int i) {
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(particlePosition[i][k], particleSpawn[i][k]) << "particle " << i;
        }
    }
};

// The classic C runtime sequence, written out independently of the program's generator.
struct ReferenceGenerator {
    std::uint32_t state = 1;
    int next() {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 32767u);
    }
};

}  // namespace

TEST_F(Fountain, FirstParticleTakesTheFirstSevenDraws) {
    EXPECT_NEAR(particleSpawn[0][0], -0.0997498, 1e-7);
    EXPECT_NEAR(particleSpawn[0][1], 0.0563585, 1e-7);
    EXPECT_NEAR(particleSpawn[0][2], -0.0613392, 1e-7);
    EXPECT_NEAR(particleVelocity[0][0], 0.617481, 1e-6);
    EXPECT_NEAR(particleVelocity[0][1], 0.585009, 1e-6);
    EXPECT_NEAR(particleVelocity[0][2], -0.0402539, 1e-7);
    EXPECT_NEAR(particleAge[0], 1.050842, 1e-6);
    expectAtSpawn(0);
    EXPECT_EQ(gravity[0], 0.0f);
    EXPECT_EQ(gravity[1], -9.81f);
    EXPECT_EQ(gravity[2], 0.0f);
}

TEST_F(Fountain, EveryParticleTakesTheNextSevenDrawsInOrder) {
    ReferenceGenerator reference;
    for (int i = 0; i < PARTICLE_COUNT; ++i) {
        int draws[7];
        for (int& d : draws) {
            d = reference.next();
        }
        const auto unit = [](int r) { return static_cast<float>(2.0 * r / 32767.0 - 1.0); };
        EXPECT_FLOAT_EQ(particleSpawn[i][0], 0.1f * unit(draws[0])) << i;
        EXPECT_FLOAT_EQ(particleSpawn[i][2], 0.1f * unit(draws[2])) << i;
        EXPECT_FLOAT_EQ(particleVelocity[i][0], unit(draws[3])) << i;
        EXPECT_FLOAT_EQ(particleVelocity[i][2], unit(draws[5])) << i;
        EXPECT_FLOAT_EQ(particleAge[i], 3.0f * draws[6] / 32768.0f) << i;
    }
}

TEST_F(Fountain, StartStateLiesInItsRangesAndIsTheSameEveryTime) {
    for (int i = 0; i < PARTICLE_COUNT; ++i) {
        EXPECT_GE(particleSpawn[i][0], -0.1f);
        EXPECT_LE(particleSpawn[i][0], 0.1f);
        EXPECT_GE(particleSpawn[i][1], 0.0f);
        EXPECT_LE(particleSpawn[i][1], 0.1f);
        EXPECT_GE(particleVelocity[i][1], 0.0f);
        EXPECT_LE(particleVelocity[i][1], 1.0f);
        EXPECT_GE(particleAge[i], 0.0f);
        EXPECT_LT(particleAge[i], PARTICLE_LIFETIME);
    }
    float firstAges[PARTICLE_COUNT];
    std::memcpy(firstAges, particleAge, sizeof firstAges);
    updateParticles(0.4);
    initParticles();
    EXPECT_EQ(std::memcmp(firstAges, particleAge, sizeof firstAges), 0);
}

// The generator's state just before the draw that lies `ahead` draws before a draw of 32767.
std::uint32_t stateBeforeLargestDraw(int ahead) {
    ReferenceGenerator reference;
    std::uint32_t history[8] = {};
    for (int n = 0; n < 1 << 22; ++n) {
        history[n % 8] = reference.state;
        if (reference.next() == 32767 && n >= ahead) {
            return history[(n - ahead) % 8];
        }
    }
    ADD_FAILURE() << "no draw of 32767 found";
    return 1;
}

TEST(FountainRandom, TheLargestDrawGivesTheEndsOfTheRanges) {
    // First draw 32767: u = 1 exactly, so the spawn point's x is the box's edge.
    initParticlesFromState(stateBeforeLargestDraw(0));
    EXPECT_EQ(particleSpawn[0][0], 0.1f);
    // Seventh draw 32767: the age starts just under three seconds.
    initParticlesFromState(stateBeforeLargestDraw(6));
    EXPECT_NEAR(particleAge[0], 2.99990845, 1e-7);
    EXPECT_LT(particleAge[0], PARTICLE_LIFETIME);
}

TEST_F(Fountain, ZeroTimeChangesNothing) {
    float positions[PARTICLE_COUNT][3];
    float ages[PARTICLE_COUNT];
    std::memcpy(positions, particlePosition, sizeof positions);
    std::memcpy(ages, particleAge, sizeof ages);
    updateParticles(0.0);
    EXPECT_EQ(std::memcmp(positions, particlePosition, sizeof positions), 0);
    EXPECT_EQ(std::memcmp(ages, particleAge, sizeof ages), 0);
}

TEST_F(Fountain, StepIsVelocityTimesDtPlusGravityTimesDtSquaredInFloat) {
    const double dt = 0.05;
    // A particle young enough not to respawn in this step.
    int i = 0;
    while (particleAge[i] > 2.5f) {
        ++i;
    }
    float expected[3];
    const float dtSquared = static_cast<float>(dt * dt);
    for (int k = 0; k < 3; ++k) {
        const float gravityPart = gravity[k] * dtSquared;
        const float velocityPart = particleVelocity[i][k] * static_cast<float>(dt);
        expected[k] = particlePosition[i][k] + (gravityPart + velocityPart);
    }
    const float expectedAge = static_cast<float>(particleAge[i] + dt);
    updateParticles(dt);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(particlePosition[i][k], expected[k]) << k;
    }
    EXPECT_EQ(particleAge[i], expectedAge);
    // The downward drift is 9.81 * dt * dt a frame, with no factor one half.
    EXPECT_NEAR(particlePosition[i][1] - particleSpawn[i][1],
                particleVelocity[i][1] * dt - 9.81 * dt * dt, 1e-6);
}

TEST_F(Fountain, ThreeSecondsOrMoreRespawnEveryParticle) {
    for (double dt : {3.0, 7.5}) {
        updateParticles(0.3);
        updateParticles(dt);
        for (int i = 0; i < PARTICLE_COUNT; ++i) {
            EXPECT_EQ(particleAge[i], 0.0f) << i;
            expectAtSpawn(i);
        }
    }
}

TEST_F(Fountain, AnAgeReachingExactlyThreeRespawnsWithAgeZero) {
    particleAge[7] = 2.75f;
    particleAge[8] = 2.5f;
    updateParticles(0.25);
    EXPECT_EQ(particleAge[7], 0.0f);  // not the excess over three
    expectAtSpawn(7);
    EXPECT_EQ(particleAge[8], 2.75f);
    EXPECT_NE(particlePosition[8][1], particleSpawn[8][1]);
}

TEST_F(Fountain, VelocitiesNeverChange) {
    float velocities[PARTICLE_COUNT][3];
    std::memcpy(velocities, particleVelocity, sizeof velocities);
    for (int frame = 0; frame < 200; ++frame) {
        updateParticles(0.05);
    }
    EXPECT_EQ(std::memcmp(velocities, particleVelocity, sizeof velocities), 0);
}
