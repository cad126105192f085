// Preloaded into the demo by scripts/memcheck and scripts/gltrace. The program prints nothing and
// has no options, so the scripts learn how many frames it has shown from here: each swap of the
// window's buffers rewrites the count in the file named by FRAME_COUNT_FILE (when set).
// For scripts/gltrace two more settings make a run repeatable:
//   FRAME_LIMIT=N  the process exits with status 0 right after its Nth swap;
//   FRAME_STEP_MS=M  the program's own clock (std::chrono::steady_clock, read through the C++
//                    library) stands still within a frame and moves on by M ms at each swap, so
//                    that what it draws does not depend on how fast this machine is.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static void (*realSwapBuffers)(void);
static int (*realClockGettime)(clockid_t, struct timespec*);
static int countFd = -1;
static unsigned long frames;
static unsigned long frameLimit;
static long long stepNanos = -1;
static long long clockStart = -1;

static void loadSettings(void) {
    realSwapBuffers = (void (*)(void))dlsym(RTLD_NEXT, "glutSwapBuffers");
    if (realSwapBuffers == NULL) {
        abort();
    }
    const char* path = getenv("FRAME_COUNT_FILE");
    if (path != NULL) {
        countFd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (countFd < 0) {
            abort();
        }
    }
    const char* limit = getenv("FRAME_LIMIT");
    if (limit != NULL) {
        frameLimit = strtoul(limit, NULL, 10);
    }
    if (path == NULL && frameLimit == 0) {
        // Counting for nobody would let a script wait for frames that never come.
        abort();
    }
}

void glutSwapBuffers(void) {
    if (realSwapBuffers == NULL) {
        loadSettings();
    }
    realSwapBuffers();
    ++frames;
    if (countFd >= 0) {
        // Fixed width, so that each count overwrites the whole of the one before.
        char text[24];
        const int length = snprintf(text, sizeof text, "%20lu\n", frames);
        if (pwrite(countFd, text, (size_t)length, 0) != length) {
            abort();
        }
    }
    if (frameLimit != 0 && frames >= frameLimit) {
        exit(0);
    }
}

// Called from the C++ library: the program's steady_clock. The graphics driver and the toolkit
// keep the real clock.
static int fromCxxLibrary(const void* caller) {
    Dl_info info;
    return dladdr(caller, &info) != 0 && info.dli_fname != NULL &&
           strstr(info.dli_fname, "libstdc++") != NULL;
}

int clock_gettime(clockid_t clock, struct timespec* time) {
    if (realClockGettime == NULL) {
        realClockGettime = (int (*)(clockid_t, struct timespec*))dlsym(RTLD_NEXT, "clock_gettime");
        const char* step = getenv("FRAME_STEP_MS");
        stepNanos = step != NULL ? strtoll(step, NULL, 10) * 1000000LL : -1;
    }
    const int result = realClockGettime(clock, time);
    if (stepNanos < 0 || clock != CLOCK_MONOTONIC || result != 0 ||
        !fromCxxLibrary(__builtin_return_address(0))) {
        return result;
    }
    if (clockStart < 0) {
        clockStart = time->tv_sec * 1000000000LL + time->tv_nsec;
    }
    const long long now = clockStart + (long long)frames * stepNanos;
    time->tv_sec = now / 1000000000LL;
    time->tv_nsec = now % 1000000000LL;
    return 0;
}
