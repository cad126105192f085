// One frame per display call: timing, the viewer's move, the shadow pass, the lit pass, the swap
// and the pacing that keeps the program at 20 frames a second at most.
#pragma once

#include <cstdint>

constexpr std::int64_t FRAME_MILLIS = 50;

// Clock reading at the start of the latest frame, in milliseconds since start-up.
extern std::int64_t lastFrameClock;
// Seconds between the starts of the two latest frames; 0 before the first.
extern double frameSeconds;
// True exactly while the scene is drawn from the light into the shadow map.
extern bool shadowPass;

void display();
// The scene's depth from the light into the shadow map; shadowPass is true meanwhile.
void drawShadowPass();
// The scene from the viewer, shaded with the shadow map.
void drawLitPass();

// Seconds since the previous frame's start; stores `now` as the new frame start.
double startFrame(std::int64_t now);
// How long to sleep after the swap so that the frame lasts FRAME_MILLIS. `afterSwap` is the
// reading taken after the swap; only when it shows a quick frame is the clock read again, and
// the pause is computed from that fresher reading (0 when it already shows FRAME_MILLIS).
std::int64_t framePause(std::int64_t frameStart, std::int64_t afterSwap,
                        std::int64_t (*readClock)());
