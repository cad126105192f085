// Real time in whole milliseconds since the process started. The C library's clock() counts
// processor time on Linux (the software renderer's threads included), so frames are timed
// with a steady clock instead; 64 bits, so it never wraps.
#pragma once

#include <cstdint>

std::int64_t clockMillis();
// Sleeps for a whole number of milliseconds; nothing for zero or less. Each platform has its own
// (a page's thread may not stop: there the page's loop waits instead).
void sleepMillis(std::int64_t milliseconds);
