#include "Clock.h"

#include <chrono>

namespace {
// Taken during static initialisation, before main: the closest we get to the process's start.
const std::chrono::steady_clock::time_point processStart = std::chrono::steady_clock::now();
}  // namespace

std::int64_t clockMillis() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 processStart)
        .count();
}
