/* A client of the installed Cg libraries, built with pkg-config's flags as anyone's would be: it
 * creates a program while a thread of its own is busy, walks its parameters and says which program
 * its translator child runs. */
#define _DEFAULT_SOURCE
#include <Cg/cgGL.h>
#include <GL/freeglut.h>

#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static int running = 1;

static void* allocateWhileRunning(void* unused) {
    (void)unused;
    while (__atomic_load_n(&running, __ATOMIC_SEQ_CST)) {
        free(malloc(64));
    }
    return NULL;
}

/* The file that this process's child named cg-translator runs ("none" without one). */
static void printTranslator(void) {
    char exe[4096] = "none";
    for (int pid = 1; pid < 1 << 22; ++pid) {
        char path[64], line[256], name[32];
        int parent = 0;
        snprintf(path, sizeof path, "/proc/%d/stat", pid);
        FILE* stat = fopen(path, "r");
        if (stat == NULL) {
            continue;
        }
        const int read = fgets(line, sizeof line, stat) != NULL &&
                         sscanf(line, "%*d (%31[^)]) %*c %d", name, &parent) == 2;
        fclose(stat);
        if (read && parent == getpid() && strcmp(name, "cg-translator") == 0) {
            snprintf(path, sizeof path, "/proc/%d/exe", pid);
            const ssize_t n = readlink(path, exe, sizeof exe - 1);
            exe[n > 0 ? n : 0] = '\0';
            break;
        }
    }
    printf("translator: %s\n", exe);
}

int main(int argc, char** argv) {
    const char* const source =
        "uniform float4 tint;\n"
        "float4 main(float4 c : COLOR0) : COLOR { return c * tint; }\n";
    glutInit(&argc, argv);
    glutCreateWindow("Cg client");
    pthread_t busy;
    pthread_create(&busy, NULL, allocateWhileRunning, NULL);
    CGcontext context = cgCreateContext();
    CGprogram program = cgCreateProgram(context, CG_SOURCE, source,
                                        cgGLGetLatestProfile(CG_GL_FRAGMENT), "main", NULL);
    __atomic_store_n(&running, 0, __ATOMIC_SEQ_CST);
    pthread_join(busy, NULL);
    if (program == NULL) {
        printf("not created: %s\n", cgGetLastListing(context));
        return 1;
    }
    /* The entry's parameters, then the globals, as NVIDIA's runtime walks them. */
    const CGenum spaces[] = {CG_PROGRAM, CG_GLOBAL};
    for (int i = 0; i < 2; ++i) {
        for (CGparameter p = cgGetFirstParameter(program, spaces[i]); p != NULL;
             p = cgGetNextParameter(p)) {
            printf("parameter %s\n", cgGetParameterName(p));
        }
    }
    printTranslator();
    cgDestroyContext(context);
    return 0;
}
