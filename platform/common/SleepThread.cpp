// Linux and Windows let the program's thread sleep: the frame pause stops it until the time is up.
#include <chrono>
#include <thread>

#include "Clock.h"

void sleepMillis(std::int64_t milliseconds) {
    if (milliseconds > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
}
