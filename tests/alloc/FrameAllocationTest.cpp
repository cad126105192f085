// Counts the heap allocations that our code makes while frames are drawn. A frame that
// allocates grows the heap or stalls on it twenty times a second for as long as the program runs.
#include <epoxy/gl.h>
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "FrameDriver.h"
#include "Navigation.h"
#include "Window.h"

extern "C" {
extern char __executable_start;
extern char etext;
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void __libc_free(void* pointer);
}

namespace {

std::atomic<bool> counting{false};
std::atomic<long> newCalls{0};
std::atomic<long> mallocCalls{0};

// The program's own code, the shader layer included, is linked into this executable; the
// system's libraries (the GL driver among them) are not.
bool calledFromThisExecutable(const void* caller) {
    const char* address = static_cast<const char*>(caller);
    return address >= &__executable_start && address < &etext;
}

void countMalloc(const void* caller) {
    if (counting.load(std::memory_order_relaxed) && calledFromThisExecutable(caller)) {
        mallocCalls.fetch_add(1, std::memory_order_relaxed);
    }
}

void* countedNew(std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) {
        newCalls.fetch_add(1, std::memory_order_relaxed);
    }
    if (void* pointer = __libc_malloc(size == 0 ? 1 : size)) {
        return pointer;
    }
    throw std::bad_alloc();
}

}  // namespace

// C++ allocations are counted wherever they come from: while frames are drawn nothing else in
// the process makes them. C allocations are counted when this executable's code asks for them,
// since the GL driver and the toolkit keep their own C heaps busy.
extern "C" void* malloc(size_t size) {
    countMalloc(__builtin_return_address(0));
    return __libc_malloc(size);
}
extern "C" void* calloc(size_t count, size_t size) {
    countMalloc(__builtin_return_address(0));
    return __libc_calloc(count, size);
}
extern "C" void* realloc(void* pointer, size_t size) {
    countMalloc(__builtin_return_address(0));
    return __libc_realloc(pointer, size);
}
extern "C" void free(void* pointer) {
    __libc_free(pointer);
}
void* operator new(std::size_t size) {
    return countedNew(size);
}
void* operator new[](std::size_t size) {
    return countedNew(size);
}
void operator delete(void* pointer) noexcept {
    __libc_free(pointer);
}
void operator delete[](void* pointer) noexcept {
    __libc_free(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept {
    __libc_free(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept {
    __libc_free(pointer);
}

TEST(FrameAllocations, HundredFramesAfterTheFirstAllocateNothing) {
    initGL();
    reshape(glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));
    // Walking and turning take the viewer's paths through the frame too.
    specialKeyDown(GLUT_KEY_UP, 0, 0);
    specialKeyDown(GLUT_KEY_LEFT, 0, 0);
    keyboard('a', 0, 0);
    display();

    counting = true;
    for (int frame = 0; frame < 100; ++frame) {
        idle();
        display();
    }
    counting = false;
    specialKeyUp(GLUT_KEY_UP, 0, 0);
    specialKeyUp(GLUT_KEY_LEFT, 0, 0);

    EXPECT_EQ(newCalls.load(), 0) << "C++ allocations during 100 frames";
    EXPECT_EQ(mallocCalls.load(), 0) << "C allocations by our code during 100 frames";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The counters themselves must see an allocation, or the test above proves nothing.
TEST(FrameAllocations, TheCountersSeeAllocations) {
    counting = true;
    // Kept in volatile pointers, so that the compiler cannot leave out the allocations.
    int* volatile fromNew = new int(1);
    void* volatile fromMalloc = std::malloc(16);
    counting = false;
    EXPECT_EQ(newCalls.load(), 1);
    EXPECT_EQ(mallocCalls.load(), 1);
    delete fromNew;
    std::free(fromMalloc);
    newCalls = 0;
    mallocCalls = 0;
}
