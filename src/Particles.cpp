#include <epoxy/gl.h>

#include "FrameDriver.h"
#include "Particles.h"

float particlePosition[PARTICLE_COUNT][3];
float particleVelocity[PARTICLE_COUNT][3];
float particleSpawn[PARTICLE_COUNT][3];
float particleAge[PARTICLE_COUNT];
float gravity[3];

namespace {

const double RANDOM_MAX = 32767.0;
const float SPAWN_BOX = 0.1f;
const GLfloat PARTICLE_COLOUR[4] = {0.9f, 1.0f, 0.0f, 1.0f};
const GLfloat SHADOW_POINT_SIZE = 2.0f;
const GLfloat LIT_POINT_SIZE = 6.0f;
const GLdouble FOUNTAIN_ORIGIN[3] = {0.0, 1.0, 0.0};

std::uint32_t randomState = 1;

int particleRandom() {
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int>((randomState >> 16) & 32767u);
}

// A draw spread evenly over -1..1, both ends included.
float signedUnitRandom() {
    return static_cast<float>(2.0 * particleRandom() / RANDOM_MAX - 1.0);
}

void spawnParticle(int i) {
    const float ux = signedUnitRandom();
    const float uy = signedUnitRandom();
    const float uz = signedUnitRandom();
    const float height = static_cast<float>(0.5 * uy + 0.5);
    particleSpawn[i][0] = SPAWN_BOX * ux;
    particleSpawn[i][1] = SPAWN_BOX * height;
    particleSpawn[i][2] = SPAWN_BOX * uz;

    const float wx = signedUnitRandom();
    const float wy = signedUnitRandom();
    const float wz = signedUnitRandom();
    particleVelocity[i][0] = wx;
    particleVelocity[i][1] = 0.5f * wy + 0.5f;
    particleVelocity[i][2] = wz;

    for (int k = 0; k < 3; ++k) {
        particlePosition[i][k] = particleSpawn[i][k];
    }
    // Divided by 32768, not 32767: no particle starts expired.
    particleAge[i] = static_cast<float>(particleRandom() * (1.0 / 32768.0) * PARTICLE_LIFETIME);
}

}  // namespace

void initParticles() {
    initParticlesFromState(1);
}

void initParticlesFromState(std::uint32_t state) {
    gravity[0] = 0.0f;
    gravity[1] = -9.81f;
    gravity[2] = 0.0f;
    randomState = state;
    for (int i = 0; i < PARTICLE_COUNT; ++i) {
        spawnParticle(i);
    }
}

void updateParticles(double frameSeconds) {
    const float dtSquared = static_cast<float>(frameSeconds * frameSeconds);
    const float dt = static_cast<float>(frameSeconds);
    for (int i = 0; i < PARTICLE_COUNT; ++i) {
        // Gravity adds dt squared a frame, without a half, and never changes the velocity.
        for (int k = 0; k < 3; ++k) {
            const float step = gravity[k] * dtSquared + particleVelocity[i][k] * dt;
            particlePosition[i][k] += step;
        }
        particleAge[i] = static_cast<float>(particleAge[i] + frameSeconds);
        if (particleAge[i] >= PARTICLE_LIFETIME) {
            particleAge[i] = 0.0f;
            for (int k = 0; k < 3; ++k) {
                particlePosition[i][k] = particleSpawn[i][k];
            }
        }
    }
}

void drawParticles() {
    glPointSize(shadowPass ? SHADOW_POINT_SIZE : LIT_POINT_SIZE);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, PARTICLE_COLOUR);
    glPushMatrix();
    glTranslated(FOUNTAIN_ORIGIN[0], FOUNTAIN_ORIGIN[1], FOUNTAIN_ORIGIN[2]);
    // Points have no surface: light them like an upward face, the same in every frame.
    glNormal3f(0.0f, 1.0f, 0.0f);
    glBegin(GL_POINTS);
    for (int i = 0; i < PARTICLE_COUNT; ++i) {
        glVertex3fv(particlePosition[i]);
    }
    glEnd();
    glPopMatrix();
}
