// Preloaded into the demo by scripts/memcheck. The program prints nothing and has no options, so
// the script learns how many frames it has shown from here: each swap of the window's buffers
// rewrites the count in the file named by FRAME_COUNT_FILE.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

static void (*realSwapBuffers)(void);
static int countFd = -1;
static unsigned long frames;

void glutSwapBuffers(void) {
    if (realSwapBuffers == NULL) {
        realSwapBuffers = (void (*)(void))dlsym(RTLD_NEXT, "glutSwapBuffers");
        const char* path = getenv("FRAME_COUNT_FILE");
        if (realSwapBuffers == NULL || path == NULL) {
            // Counting nothing would let the script wait for frames that never come.
            abort();
        }
        countFd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (countFd < 0) {
            abort();
        }
    }
    realSwapBuffers();
    ++frames;
    // Fixed width, so that each count overwrites the whole of the one before.
    char text[24];
    const int length = snprintf(text, sizeof text, "%20lu\n", frames);
    if (pwrite(countFd, text, (size_t)length, 0) != length) {
        abort();
    }
}
