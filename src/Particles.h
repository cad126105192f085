// The fountain: 500 points rising from the top of the red cube, each on a fixed straight line
// from its own spawn point, respawning after three seconds.
#pragma once

#include <cstdint>

constexpr int PARTICLE_COUNT = 500;
constexpr float PARTICLE_LIFETIME = 3.0f;

// Positions relative to the fountain origin, the middle of the red cube's top face.
extern float particlePosition[PARTICLE_COUNT][3];
extern float particleVelocity[PARTICLE_COUNT][3];
extern float particleSpawn[PARTICLE_COUNT][3];
extern float particleAge[PARTICLE_COUNT];
extern float gravity[3];

// Gives every particle its start state; the same on every run (and on every call).
void initParticles();
// Advances every particle by `frameSeconds`.
void updateParticles(double frameSeconds);
// Draws the points: small and depth only in the shadow pass, lit in the viewer's pass.
void drawParticles();

// The start state drawn from the fountain's random source (the classic C runtime generator,
// 0..32767) beginning at `state`; initParticles begins at 1.
void initParticlesFromState(std::uint32_t state);
