// Preloaded into Irrlicht's example 10 by scripts/irrlicht-cg, so that two runs of it (one on
// NVIDIA's Cg libraries, one on ours) draw the same frame and can be compared picture for picture.
//   FRAME_STEP_MS=M  the engine's clock (gettimeofday, called from the program itself) stands
//                    still within a frame and moves on by M ms at each swap, so that the cubes'
//                    rotation depends on the frame's number, not on how fast this machine is;
//   FRAME_LIMIT=N    the Nth frame is read back before it is shown and saved as a binary PPM in
//   FRAME_FILE=PATH  PATH; the window is then asked to close as its window manager would ask,
//                    so that the engine, and the Cg runtime under it, shut down as they normally
//                    do.
#define _GNU_SOURCE
#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/auxv.h>
#include <sys/time.h>

static unsigned long frames;
static long long stepMicros = -1;
static long long clockStart = -1;
static const void* programBase;

static long long settingOf(const char* name) {
    const char* text = getenv(name);
    return text != NULL ? strtoll(text, NULL, 10) : -1;
}

// Called from the example or the engine linked into it, rather than from Mesa or Xlib, which keep
// the real clock.
static int fromProgram(const void* caller) {
    Dl_info info;
    if (programBase == NULL) {
        if (dladdr((const void*)getauxval(AT_PHDR), &info) == 0) {
            abort();
        }
        programBase = info.dli_fbase;
    }
    return dladdr(caller, &info) != 0 && info.dli_fbase == programBase;
}

int gettimeofday(struct timeval* restrict time, void* restrict zone) {
    static int (*realGettimeofday)(struct timeval* restrict, void* restrict);
    if (realGettimeofday == NULL) {
        realGettimeofday =
            (int (*)(struct timeval* restrict, void* restrict))dlsym(RTLD_NEXT, "gettimeofday");
        stepMicros = settingOf("FRAME_STEP_MS") * 1000;
    }
    const int result = realGettimeofday(time, zone);
    if (stepMicros < 0 || result != 0 || !fromProgram(__builtin_return_address(0))) {
        return result;
    }
    if (clockStart < 0) {
        clockStart = time->tv_sec * 1000000LL + time->tv_usec;
    }
    const long long now = clockStart + (long long)frames * stepMicros;
    time->tv_sec = now / 1000000;
    time->tv_usec = now % 1000000;
    return 0;
}

// The back buffer as the frame will show, bottom row last as PPM has it.
static void saveFrame(const char* path) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int width = viewport[2], height = viewport[3];
    unsigned char* pixels = malloc((size_t)width * (size_t)height * 3);
    FILE* file = fopen(path, "wb");
    if (pixels == NULL || file == NULL) {
        abort();
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    fprintf(file, "P6\n%d %d\n255\n", width, height);
    for (int row = height - 1; row >= 0; --row) {
        fwrite(pixels + (size_t)row * (size_t)width * 3, 3, (size_t)width, file);
    }
    if (fclose(file) != 0) {
        abort();
    }
    free(pixels);
}

// The drawable is the GLX window, not the X window a window manager would talk to; the X window
// is the one with the focus, without which the example draws nothing.
static void askToClose(Display* display) {
    Window window;
    int revert;
    XGetInputFocus(display, &window, &revert);
    XEvent event = {0};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

void glXSwapBuffers(Display* display, GLXDrawable drawable) {
    static void (*realSwapBuffers)(Display*, GLXDrawable);
    if (realSwapBuffers == NULL) {
        realSwapBuffers = (void (*)(Display*, GLXDrawable))dlsym(RTLD_NEXT, "glXSwapBuffers");
    }
    if ((long long)frames + 1 == settingOf("FRAME_LIMIT")) {
        const char* path = getenv("FRAME_FILE");
        if (path == NULL) {
            abort();
        }
        saveFrame(path);
        askToClose(display);
    }
    realSwapBuffers(display, drawable);
    ++frames;
}
