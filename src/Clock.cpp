#include "Clock.h"

#include <chrono>
#include <thread>

namespace {
// Taken during static initialisation, before main: the closest we get to the process's start.
const std::chrono::steady_clock::time_point processStart = std::chrono::steady_clock::now();
}  // namespace

std::int64_t clockMillis() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 processStart)
        .count();
}

void sleepMillis(std::int64_t milliseconds) {
    if (milliseconds > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
}
