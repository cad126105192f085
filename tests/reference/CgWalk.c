/* Walks Cg programs through the runtime's calls alone and prints every answer, so that the same
 * binary, run once with NVIDIA's libCg/libCgGL and once with ours in their place
 * (LD_LIBRARY_PATH), gives two outputs that can be compared line by line. It is C99 and built
 * against NVIDIA's original headers, as the programs that use a Cg runtime are.
 *
 *   cg-walk [--root DIR]... CASES
 *
 * CASES has one case a line: "VFILE VENTRY FFILE FENTRY" ("=" as FFILE: the same file as VFILE;
 * "#" starts a comment). A file is looked for under each --root in turn and printed as given.
 * For each case the output has the runtime's answers to:
 *   - the compile of each entry with the latest profile cgGLGetLatestProfile gives its domain
 *     and with the GLSL profile of the domain (program or not, the error code: not the listing,
 *     whose words differ between compilers);
 *   - the parameter walk of each program under CG_PROGRAM and CG_GLOBAL, into structs and
 *     arrays, and the leaf walk: every property of each parameter, its default and its value;
 *   - values set through the cgSetParameter and cgGLSetParameter forms and read back;
 *   - a draw of the pair, fed through glVertex and through cgGLSetParameterPointer, read back.
 * Before the cases, the profiles; after them, the error answers of a few bad calls. Each of
 * these sections runs in a child process of its own (see isolated). Nothing printed depends on a
 * handle's value, an address, a path above the roots or the time. Status 0 when every line was
 * printed (whatever the runtime answered), 1 when standard output could not be written, 2 for bad
 * arguments or a case list that cannot be read. */
#include <Cg/cg.h>
#include <Cg/cgGL.h>
#include <GL/freeglut.h>

#include <errno.h>
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

enum {
    MAX_ROOTS = 8,
    MAX_VALUES = 64,   /* a float4x4 at most, with room for what a runtime writes past */
    MAX_ELEMENTS = 16, /* array elements walked; the rest are counted */
    TARGET_SIZE = 16,  /* the draw's window, in pixels */
    TEXTURE_SIZE = 4,
    PATH_LENGTH = 4096,
    CHILD_SECONDS = 300, /* a section that takes longer is stopped: a hang is an answer too */
    MAX_LINE = 1000,     /* characters of a case line */
    MAX_LIST = 1 << 20   /* bytes of the case list */
};

static const char* roots[MAX_ROOTS];
static int rootCount;
static CGcontext context;
static GLuint textures[2];
static int handlerCalls;
static CGerror handlerLast;

/* The error the last call left, "" when none, as " !code". Reading it clears it. The codes are
 * compared, not cgGetErrorString's words, which are each runtime's own. */
static const char* errorMark(void) {
    static char mark[32];
    CGerror error = cgGetError();
    if (error == CG_NO_ERROR) {
        return "";
    }
    snprintf(mark, sizeof mark, " !%d", (int)error);
    return mark;
}

/* A line for an error the calls before it left unreported, if any. */
static void reportPending(const char* where) {
    const char* mark = errorMark();
    if (*mark) {
        printf(" %s%s\n", where, mark);
    }
}

static const char* orNull(const char* text) {
    return text ? text : "(null)";
}

/* A string the runtime gave, quoted; "null" when it gave none. */
static const char* quoted(const char* text) {
    static char buffers[4][256];
    static int next;
    char* buffer = buffers[next++ % 4];
    if (!text) {
        return "null";
    }
    snprintf(buffer, sizeof buffers[0], "\"%s\"", text);
    return buffer;
}

static void printFloats(const char* label, const float* values, int count) {
    printf(" %s[", label);
    for (int i = 0; i < count; ++i) {
        printf(i ? " %.9g" : "%.9g", values[i]);
    }
    printf("]");
}

static void printDoubles(const char* label, const double* values, int count) {
    printf(" %s[", label);
    for (int i = 0; i < count; ++i) {
        printf(i ? " %.9g" : "%.9g", values[i]);
    }
    printf("]");
}

static void indent(int depth) {
    for (int i = 0; i < depth; ++i) {
        printf("  ");
    }
}

/* ---- The parameter walk ---- */

static void printEnumProperty(const char* label, CGenum value) {
    printf(" %s=%s(%d)", label, orNull(cgGetEnumString(value)), (int)value);
}

/* A struct's base type is its user type, numbered in the order the context met them: its name
 * is compared, not its number. */
static void printTypeProperties(CGparameter p) {
    CGtype type = cgGetParameterType(p);
    CGtype base = cgGetParameterBaseType(p);
    CGparameterclass kind = cgGetParameterClass(p);
    printf(" type=%s(%d)", orNull(cgGetTypeString(type)), (int)type);
    if (kind == CG_PARAMETERCLASS_STRUCT) {
        printf(" base=%s(user)", orNull(cgGetTypeString(base)));
    } else {
        printf(" base=%s(%d)", orNull(cgGetTypeString(base)), (int)base);
    }
    printf(" class=%s(%d)%s", orNull(cgGetParameterClassString(kind)), (int)kind, errorMark());
    printf(" rows=%d cols=%d%s", cgGetParameterRows(p), cgGetParameterColumns(p), errorMark());
}

static void printBindingProperties(CGparameter p) {
    printEnumProperty("dir", cgGetParameterDirection(p));
    printEnumProperty("var", cgGetParameterVariability(p));
    printf(" sem=%s%s", quoted(cgGetParameterSemantic(p)), errorMark());
    CGresource resource = cgGetParameterResource(p);
    CGresource base = cgGetParameterBaseResource(p);
    printf(" res=%s(%d)%s", orNull(cgGetResourceString(resource)), (int)resource, errorMark());
    printf(" index=%lu%s", cgGetParameterResourceIndex(p), errorMark());
    printf(" baseres=%s(%d)%s", orNull(cgGetResourceString(base)), (int)base, errorMark());
    printf(" ref=%d global=%d%s", (int)cgIsParameterReferenced(p), (int)cgIsParameterGlobal(p),
           errorMark());
}

static int isNumeric(CGparameter p) {
    CGparameterclass kind = cgGetParameterClass(p);
    return kind == CG_PARAMETERCLASS_SCALAR || kind == CG_PARAMETERCLASS_VECTOR ||
           kind == CG_PARAMETERCLASS_MATRIX;
}

static int valueCount(CGparameter p) {
    return cgGetParameterRows(p) * cgGetParameterColumns(p);
}

static void printValues(CGparameter p) {
    if (!isNumeric(p)) {
        return;
    }
    float values[MAX_VALUES] = {0};
    int count = valueCount(p);
    if (count <= 0 || count > 16) {
        printf(" values: %d", count);
        return;
    }
    int got = cgGetParameterDefaultValuefr(p, count, values);
    printf(" default=%d", got);
    printFloats("", values, got > 0 && got <= count ? got : 0);
    printf("%s", errorMark());
    memset(values, 0, sizeof values);
    got = cgGetParameterValuefr(p, count, values);
    printf(" value=%d", got);
    printFloats("", values, got > 0 && got <= count ? got : 0);
    printf("%s", errorMark());
}

static void printArrayProperties(CGparameter p) {
    int dimensions = cgGetArrayDimension(p);
    printf(" dims=%d", dimensions);
    for (int d = 0; d < dimensions; ++d) {
        printf(" size%d=%d", d, cgGetArraySize(p, d));
    }
    printf(" total=%d element=%s%s", cgGetArrayTotalSize(p),
           orNull(cgGetTypeString(cgGetArrayType(p))), errorMark());
}

static void printParameter(CGparameter p, int depth) {
    indent(depth);
    printf("param %s", quoted(cgGetParameterName(p)));
    printTypeProperties(p);
    printBindingProperties(p);
    if (cgGetParameterClass(p) == CG_PARAMETERCLASS_ARRAY) {
        printArrayProperties(p);
    }
    printValues(p);
    printf("%s\n", errorMark());
}

static void walkTree(CGparameter p, int depth);

static void walkChildren(CGparameter p, int depth) {
    CGparameterclass kind = cgGetParameterClass(p);
    if (kind == CG_PARAMETERCLASS_STRUCT) {
        walkTree(cgGetFirstStructParameter(p), depth + 1);
    } else if (kind == CG_PARAMETERCLASS_ARRAY) {
        int size = cgGetArraySize(p, 0);
        for (int i = 0; i < size && i < MAX_ELEMENTS; ++i) {
            CGparameter element = cgGetArrayParameter(p, i);
            if (element) {
                printParameter(element, depth + 1);
                walkChildren(element, depth + 1);
            }
        }
        if (size > MAX_ELEMENTS) {
            indent(depth + 1);
            printf("... %d elements more\n", size - MAX_ELEMENTS);
        }
    }
}

/* p and the parameters after it, each with what it holds. */
static void walkTree(CGparameter p, int depth) {
    for (; p; p = cgGetNextParameter(p)) {
        printParameter(p, depth);
        walkChildren(p, depth);
    }
    reportPending("walk");
}

/* The leaves in cgGetNextLeafParameter's order, and whether each is found again by name. */
static void walkLeaves(CGprogram program, CGenum space) {
    int count = 0;
    for (CGparameter p = cgGetFirstLeafParameter(program, space); p;
         p = cgGetNextLeafParameter(p)) {
        const char* name = cgGetParameterName(p);
        CGparameter named = name ? cgGetNamedParameter(program, name) : NULL;
        printf("  leaf %d %s byname=%s%s\n", count++, quoted(name),
               named == p ? "same"
               : named    ? "other"
                          : "null",
               errorMark());
    }
    printf("  leaves %d%s\n", count, errorMark());
}

static void walkProgram(CGprogram program) {
    static const struct {
        CGenum space;
        const char* name;
    } spaces[] = {{CG_PROGRAM, "CG_PROGRAM"}, {CG_GLOBAL, "CG_GLOBAL"}};
    for (size_t i = 0; i < sizeof spaces / sizeof spaces[0]; ++i) {
        printf(" walk %s\n", spaces[i].name);
        walkTree(cgGetFirstParameter(program, spaces[i].space), 1);
        printf(" leaves %s\n", spaces[i].name);
        walkLeaves(program, spaces[i].space);
    }
}

/* ---- Values set and read back ---- */

typedef void (*LeafVisitor)(CGparameter p, int index, void* data);

/* Every leaf of the program, its own (CG_PROGRAM) and then the globals it uses (CG_GLOBAL): the
 * corpus declares most uniforms and samplers globally. */
static void forEachLeaf(CGprogram program, LeafVisitor visit, void* data) {
    static const CGenum spaces[] = {CG_PROGRAM, CG_GLOBAL};
    int index = 0;
    for (size_t i = 0; i < sizeof spaces / sizeof spaces[0]; ++i) {
        for (CGparameter p = cgGetFirstLeafParameter(program, spaces[i]); p;
             p = cgGetNextLeafParameter(p)) {
            visit(p, index++, data);
        }
    }
    reportPending("leaves");
}

typedef void (*VectorSetter)(CGparameter, const float*);

static void setByGLVector(CGparameter p, const float* v) {
    static const VectorSetter setters[] = {cgGLSetParameter1fv, cgGLSetParameter2fv,
                                           cgGLSetParameter3fv, cgGLSetParameter4fv};
    setters[cgGetParameterColumns(p) - 1](p, v);
}

static void setByComponents(CGparameter p, const float* v) {
    switch (cgGetParameterColumns(p)) {
        case 1:
            cgSetParameter1f(p, v[0]);
            break;
        case 2:
            cgSetParameter2f(p, v[0], v[1]);
            break;
        case 3:
            cgSetParameter3f(p, v[0], v[1], v[2]);
            break;
        default:
            cgSetParameter4f(p, v[0], v[1], v[2], v[3]);
            break;
    }
}

static void setByDoubles(CGparameter p, const float* v) {
    double d[4] = {v[0], v[1], v[2], v[3]};
    switch (cgGetParameterColumns(p)) {
        case 1:
            cgGLSetParameter1d(p, d[0]);
            break;
        case 2:
            cgSetParameter2dv(p, d);
            break;
        case 3:
            cgGLSetParameter3dv(p, d);
            break;
        default:
            cgSetParameter4d(p, d[0], d[1], d[2], d[3]);
            break;
    }
}

static void setByIntegers(CGparameter p, const float* v) {
    int i[16];
    for (int k = 0; k < 16; ++k) {
        i[k] = (int)v[k];
    }
    cgSetParameterValueir(p, valueCount(p), i);
}

static void setByValuefr(CGparameter p, const float* v) {
    cgSetParameterValuefr(p, valueCount(p), v);
}

/* The ways of setting a value, each with its call for vectors and scalars and for matrices. */
static const struct {
    const char* name;
    VectorSetter set;
    const char* matrixName;
    VectorSetter setMatrix;
} FORMS[] = {
    {"cgSetParameterValuefr", setByValuefr, "cgSetParameterValuefr", setByValuefr},
    {"cgGLSetParameterNfv", setByGLVector, "cgGLSetMatrixParameterfr", cgGLSetMatrixParameterfr},
    {"cgSetParameterNf", setByComponents, "cgSetMatrixParameterfc", cgSetMatrixParameterfc},
    {"cgSetParameterNd", setByDoubles, "cgGLSetMatrixParameterfc", cgGLSetMatrixParameterfc},
    {"cgSetParameterValueir", setByIntegers, "cgSetParameterValueir", setByIntegers},
};

/* Sets p through the form-th way; gives back the way's name. */
static const char* setValues(CGparameter p, int form, const float* v) {
    form %= (int)(sizeof FORMS / sizeof FORMS[0]);
    if (cgGetParameterClass(p) == CG_PARAMETERCLASS_MATRIX) {
        FORMS[form].setMatrix(p, v);
        return FORMS[form].matrixName;
    }
    FORMS[form].set(p, v);
    return FORMS[form].name;
}

/* What the getters write is read over a buffer of UNWRITTEN, which shows what they leave. */
static const float UNWRITTEN = -7;

static void readBack(CGparameter p) {
    float values[MAX_VALUES] = {0};
    int got = cgGetParameterValuefr(p, valueCount(p), values);
    printf(" fr=%d", got);
    printFloats("", values, got > 0 && got <= 16 ? got : 0);
    for (int i = 0; i < MAX_VALUES; ++i) {
        values[i] = UNWRITTEN;
    }
    if (cgGetParameterClass(p) == CG_PARAMETERCLASS_MATRIX) {
        cgGLGetMatrixParameterfc(p, values);
        printFloats("glfc", values, 16);
    } else {
        double d[4] = {UNWRITTEN, UNWRITTEN, UNWRITTEN, UNWRITTEN};
        cgGLGetParameter4f(p, values);
        cgGLGetParameter4d(p, d);
        printFloats("gl4f", values, 4);
        printDoubles("gl4d", d, 4);
    }
    printf("%s", errorMark());
}

static int isNumericUniform(CGparameter p) {
    return isNumeric(p) && cgGetParameterVariability(p) == CG_UNIFORM && valueCount(p) <= 16;
}

/* When values are set (before or after the load) and what is added to them, so that each
 * setting differs from the one before. */
typedef struct {
    const char* when;
    float offset;
} Setting;

/* Sets a numeric uniform leaf to values of its own, the forms taken in turn. */
static void setAndReadLeaf(CGparameter p, int index, void* data) {
    const Setting* setting = data;
    if (!isNumericUniform(p)) {
        return;
    }
    float v[MAX_VALUES] = {0};
    for (int k = 0; k < 16; ++k) {
        v[k] = setting->offset + (float)(index + 1) + 0.25f * (float)k;
    }
    const char* form = setValues(p, index, v);
    printf("  set %s %s %s%s\n", setting->when, quoted(cgGetParameterName(p)), form, errorMark());
    printf("   read");
    readBack(p);
    printf("\n");
}

/* What a numeric uniform leaf holds now: after a load, what was set before it. */
static void readLeaf(CGparameter p, int index, void* data) {
    (void)index;
    (void)data;
    if (isNumericUniform(p)) {
        printf("  kept %s", quoted(cgGetParameterName(p)));
        readBack(p);
        printf("\n");
    }
}

typedef void (*ArraySetter)(CGparameter, long, long, const float*);
typedef void (*ArrayGetter)(CGparameter, long, long, float*);

/* A uniform array of numbers, set whole through cgGLSetParameterArray (or its matrix form) and
 * read back through the matching getter and cgGetParameterValuefr. */
static void setAndReadArray(CGparameter p) {
    static const ArraySetter setters[] = {cgGLSetParameterArray1f, cgGLSetParameterArray2f,
                                          cgGLSetParameterArray3f, cgGLSetParameterArray4f};
    static const ArrayGetter getters[] = {cgGLGetParameterArray1f, cgGLGetParameterArray2f,
                                          cgGLGetParameterArray3f, cgGLGetParameterArray4f};
    CGparameter first = cgGetArrayParameter(p, 0);
    int size = cgGetArraySize(p, 0), count = first ? valueCount(first) : 0;
    if (cgGetArrayDimension(p) != 1 || !first || !isNumeric(first) || size > MAX_ELEMENTS ||
        count < 1 || count > 16) {
        reportPending("array");
        return;
    }
    int matrix = cgGetParameterClass(first) == CG_PARAMETERCLASS_MATRIX;
    float values[MAX_ELEMENTS * 16], back[MAX_ELEMENTS * 16 + 16] = {0};
    for (int i = 0; i < size * count; ++i) {
        values[i] = 0.5f * (float)i - 3;
    }
    if (matrix) {
        cgGLSetMatrixParameterArrayfr(p, 0, size, values);
        cgGLGetMatrixParameterArrayfr(p, 0, size, back);
    } else if (cgGetParameterColumns(first) <= 4) {
        setters[cgGetParameterColumns(first) - 1](p, 0, size, values);
        getters[cgGetParameterColumns(first) - 1](p, 0, size, back);
    }
    printf("  array %s %d x %d%s\n   getter", quoted(cgGetParameterName(p)), size, count,
           errorMark());
    printFloats("", back, size * count);
    memset(back, 0, sizeof back);
    int got = cgGetParameterValuefr(p, size * count, back);
    printf(" fr=%d", got);
    printFloats("", back, got > 0 && got <= size * count ? got : 0);
    printf("%s\n", errorMark());
}

static void setAndReadArrays(CGprogram program) {
    static const CGenum spaces[] = {CG_PROGRAM, CG_GLOBAL};
    for (size_t i = 0; i < sizeof spaces / sizeof spaces[0]; ++i) {
        for (CGparameter p = cgGetFirstParameter(program, spaces[i]); p;
             p = cgGetNextParameter(p)) {
            if (cgGetParameterClass(p) == CG_PARAMETERCLASS_ARRAY &&
                cgGetParameterVariability(p) == CG_UNIFORM) {
                setAndReadArray(p);
            }
        }
    }
    reportPending("arrays");
}

/* ---- Compiling ---- */

static const char* findFile(const char* name, char* path, size_t size, const char** root) {
    for (int i = 0; i < rootCount; ++i) {
        snprintf(path, size, "%s/%s", roots[i], name);
        if (access(path, R_OK) == 0) {
            *root = roots[i];
            return path;
        }
    }
    return NULL;
}

/* The corpus's compile arguments: its parameters as uniforms, includes beside the file and
 * under its root. */
static CGprogram compileFile(const char* path, const char* root, const char* entry,
                             CGprofile profile) {
    char folder[PATH_LENGTH], folderArg[PATH_LENGTH + 2], rootArg[PATH_LENGTH + 2];
    snprintf(folder, sizeof folder, "%s", path);
    char* slash = strrchr(folder, '/');
    if (slash) {
        *slash = '\0';
    }
    snprintf(folderArg, sizeof folderArg, "-I%s", folder);
    snprintf(rootArg, sizeof rootArg, "-I%s", root);
    /* GLSL reserves the corpus's struct names input and output, which cgc's GLSL keeps. */
    const char* args[] = {
        "-DPARAMETER_UNIFORM", "-Dinput=cg_input", "-Doutput=cg_output", folderArg, rootArg, NULL};
    return cgCreateProgramFromFile(context, CG_SOURCE, path, profile, entry, args);
}

static void printCompile(CGprogram program) {
    CGerror error = cgGetError();
    printf(" compile: program=%s error=%d\n", program ? "yes" : "null", (int)error);
    if (!program) {
        return;
    }
    CGprofile profile = cgGetProgramProfile(program);
    printf(" profile=%s(%d) domains=%d compiled=%d%s\n", orNull(cgGetProfileString(profile)),
           (int)profile, cgGetNumProgramDomains(program), (int)cgIsProgramCompiled(program),
           errorMark());
}

static const char* profileName(CGprofile profile) {
    return orNull(cgGetProfileString(profile));
}

/* One entry with one profile: compiled, walked, set, loaded and set again, then destroyed. */
static void walkEntry(const char* path, const char* root, const char* entry, CGprofile profile) {
    printf("-- %s %s\n", entry, profileName(profile));
    CGprogram program = compileFile(path, root, entry, profile);
    printCompile(program);
    if (!program) {
        return;
    }
    walkProgram(program);
    Setting before = {"before-load", 0}, after = {"after-load", 100};
    forEachLeaf(program, setAndReadLeaf, &before);
    cgGLLoadProgram(program);
    printf(" load: loaded=%d%s\n", (int)cgGLIsProgramLoaded(program), errorMark());
    forEachLeaf(program, readLeaf, NULL);
    forEachLeaf(program, setAndReadLeaf, &after);
    setAndReadArrays(program);
    cgDestroyProgram(program);
    printf(" destroyed%s\n", errorMark());
}

/* ---- The draw ---- */

static const float CORNERS[4][4] = {{-1, -1, 0, 1}, {1, -1, 0, 1}, {1, 1, 0, 1}, {-1, 1, 0, 1}};
static const float TEXCOORDS[4][4] = {{0, 0, 0, 1}, {1, 0, 0, 1}, {1, 1, 0, 1}, {0, 1, 0, 1}};
static const float COLORS[4][4] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}, {1, 1, 1, 1}};

static void makeTextures(void) {
    unsigned char texels[2][TEXTURE_SIZE * TEXTURE_SIZE * 4];
    for (int t = 0; t < 2; ++t) {
        for (int i = 0; i < TEXTURE_SIZE * TEXTURE_SIZE * 4; ++i) {
            texels[t][i] = (unsigned char)((i * 37 + t * 101 + 11) % 256);
        }
    }
    glGenTextures(2, textures);
    for (int t = 0; t < 2; ++t) {
        glBindTexture(GL_TEXTURE_2D, textures[t]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, TEXTURE_SIZE, TEXTURE_SIZE, 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, texels[t]);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

static int isSampler(CGparameter p) {
    return cgGetParameterClass(p) == CG_PARAMETERCLASS_SAMPLER &&
           cgGetParameterVariability(p) == CG_UNIFORM;
}

/* The uniforms a frontend sets by name, as the emulator frontend the corpus comes from does. */
static void setFrontendUniforms(CGprogram program) {
    static const struct {
        const char* name;
        float x, y;
    } sizes[] = {{"IN.video_size", 16, 16},
                 {"IN.texture_size", TEXTURE_SIZE, TEXTURE_SIZE},
                 {"IN.output_size", TARGET_SIZE, TARGET_SIZE}};
    for (size_t i = 0; i < sizeof sizes / sizeof sizes[0]; ++i) {
        CGparameter p = cgGetNamedParameter(program, sizes[i].name);
        if (p) {
            cgGLSetParameter2f(p, sizes[i].x, sizes[i].y);
        }
    }
    CGparameter frame = cgGetNamedParameter(program, "IN.frame_count");
    if (frame) {
        cgGLSetParameter1f(frame, 7);
    }
    static const char* const matrices[] = {"modelViewProj", "IN.mvp_matrix"};
    for (size_t i = 0; i < sizeof matrices / sizeof matrices[0]; ++i) {
        CGparameter p = cgGetNamedParameter(program, matrices[i]);
        if (p) {
            cgGLSetStateMatrixParameter(p, CG_GL_MODELVIEW_PROJECTION_MATRIX,
                                        CG_GL_MATRIX_IDENTITY);
        }
    }
    printf(" uniforms set%s\n", errorMark());
}

/* Every sampler of the program gets one of the two textures, enabled; *units counts them. */
static void bindTexture(CGparameter p, int index, void* units) {
    (void)index;
    if (!isSampler(p)) {
        return;
    }
    int* count = units;
    cgGLSetTextureParameter(p, textures[(*count)++ % 2]);
    cgGLEnableTextureParameter(p);
    printf(" texture %s unit=%d%s\n", quoted(cgGetParameterName(p)),
           (int)cgGLGetTextureEnum(p) - GL_TEXTURE0, errorMark());
}

static void unbindTexture(CGparameter p, int index, void* data) {
    (void)index;
    (void)data;
    if (isSampler(p)) {
        cgGLDisableTextureParameter(p);
    }
}

static void drawImmediate(void) {
    glBegin(GL_QUADS);
    for (int i = 0; i < 4; ++i) {
        glColor4fv(COLORS[i]);
        glTexCoord4fv(TEXCOORDS[i]);
        glVertex4fv(CORNERS[i]);
    }
    glEnd();
}

/* The data a varying input of this semantic is fed; NULL for none. */
static const float* pointerData(const char* semantic) {
    if (!semantic) {
        return NULL;
    }
    if (strncmp(semantic, "POSITION", 8) == 0) {
        return &CORNERS[0][0];
    }
    if (strncmp(semantic, "TEXCOORD", 8) == 0) {
        return &TEXCOORDS[0][0];
    }
    if (strncmp(semantic, "COLOR", 5) == 0 || strncmp(semantic, "ATTR", 4) == 0) {
        return &COLORS[0][0];
    }
    return NULL;
}

static int isVaryingInput(CGparameter p) {
    return cgGetParameterVariability(p) == CG_VARYING && cgGetParameterDirection(p) == CG_IN;
}

/* Feeds a varying input of the vertex program through the runtime. */
static void feedPointer(CGparameter p, int index, void* data) {
    (void)index;
    (void)data;
    const float* values = isVaryingInput(p) ? pointerData(cgGetParameterSemantic(p)) : NULL;
    if (values) {
        cgGLSetParameterPointer(p, 4, GL_FLOAT, 0, values);
        cgGLEnableClientState(p);
        printf(" pointer %s%s\n", quoted(cgGetParameterName(p)), errorMark());
    }
}

static void stopPointer(CGparameter p, int index, void* data) {
    (void)index;
    (void)data;
    if (isVaryingInput(p) && pointerData(cgGetParameterSemantic(p))) {
        cgGLDisableClientState(p);
    }
}

/* The target's pixels, hashed (FNV-1a), and three of them. */
static void printPixels(const char* label) {
    unsigned char pixels[TARGET_SIZE * TARGET_SIZE * 4];
    glReadPixels(0, 0, TARGET_SIZE, TARGET_SIZE, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < sizeof pixels; ++i) {
        hash = (hash ^ pixels[i]) * 16777619u;
    }
    printf(" %s hash=%08x", label, (unsigned)hash);
    static const int samples[3][2] = {{0, 0}, {5, 9}, {TARGET_SIZE - 1, TARGET_SIZE - 1}};
    for (int s = 0; s < 3; ++s) {
        const unsigned char* px = pixels + 4 * (samples[s][1] * TARGET_SIZE + samples[s][0]);
        printf(" (%d,%d)=%d,%d,%d,%d", samples[s][0], samples[s][1], px[0], px[1], px[2], px[3]);
    }
    printf("\n");
}

/* What the runtime leaves bound in GL once the programs are unbound. */
static void printGLState(void) {
    GLint current = 0, active = 0, bound = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    printf(" gl: program=%s active-unit=%d texture-bound=%s vp=%d fp=%d error=0x%x\n",
           current ? "some" : "none", active - GL_TEXTURE0, bound ? "some" : "none",
           (int)glIsEnabled(GL_VERTEX_PROGRAM_ARB), (int)glIsEnabled(GL_FRAGMENT_PROGRAM_ARB),
           (unsigned)glGetError());
}

/* Gives a numeric uniform a value of its own, so that the draw shows what it reads. */
static void setDrawValue(CGparameter p, int index, void* data) {
    (void)data;
    if (!isNumericUniform(p)) {
        return;
    }
    float v[16];
    for (int k = 0; k < 16; ++k) {
        v[k] = 0.125f * (float)((index + k) % 8);
    }
    cgSetParameterValuefr(p, valueCount(p), v);
}

static void drawBound(CGprogram vertex, CGprogram fragment) {
    forEachLeaf(vertex, setDrawValue, NULL);
    forEachLeaf(fragment, setDrawValue, NULL);
    setFrontendUniforms(vertex);
    setFrontendUniforms(fragment);
    int units = 0;
    forEachLeaf(fragment, bindTexture, &units);
    glClearColor(0.5f, 0.25f, 0.125f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    drawImmediate();
    printPixels("immediate");
    glClear(GL_COLOR_BUFFER_BIT);
    forEachLeaf(vertex, feedPointer, NULL);
    glDrawArrays(GL_QUADS, 0, 4);
    forEachLeaf(vertex, stopPointer, NULL);
    printPixels("pointers");
    forEachLeaf(fragment, unbindTexture, NULL);
}

static void unbindProfiles(const CGprofile profiles[2]) {
    for (int i = 0; i < 2; ++i) {
        cgGLUnbindProgram(profiles[i]);
        cgGLDisableProfile(profiles[i]);
    }
    printf(" unbound%s\n", errorMark());
    printGLState();
}

/* The pair loaded and bound as two programs, as clients of the ARB profiles do. */
static void drawSeparate(CGprogram vertex, CGprogram fragment, const CGprofile profiles[2]) {
    cgGLLoadProgram(vertex);
    cgGLLoadProgram(fragment);
    printf(" load%s\n", errorMark());
    for (int i = 0; i < 2; ++i) {
        cgGLEnableProfile(profiles[i]);
    }
    cgGLBindProgram(vertex);
    cgGLBindProgram(fragment);
    printf(" bind%s\n", errorMark());
    drawBound(vertex, fragment);
    unbindProfiles(profiles);
}

/* The pair combined into one program: NVIDIA's runtime links a GLSL program on its own, which
 * leaves the other stage to the fixed-function pipeline, unless the two are combined. */
static void drawCombined(CGprogram vertex, CGprogram fragment, const CGprofile profiles[2]) {
    CGprogram both = cgCombinePrograms2(vertex, fragment);
    printf(" combine: program=%s domains=%d%s\n", both ? "yes" : "null",
           both ? cgGetNumProgramDomains(both) : 0, errorMark());
    if (!both) {
        return;
    }
    cgGLLoadProgram(both);
    printf(" load%s\n", errorMark());
    for (int i = 0; i < 2; ++i) {
        cgGLEnableProfile(profiles[i]);
    }
    cgGLBindProgram(both);
    printf(" bind%s\n", errorMark());
    drawBound(cgGetProgramDomainProgram(both, 0), cgGetProgramDomainProgram(both, 1));
    unbindProfiles(profiles);
    cgDestroyProgram(both);
}

static int isGLSL(CGprofile profile) {
    return profile == CG_PROFILE_GLSLV || profile == CG_PROFILE_GLSLF;
}

static void drawCase(const char* paths[2], const char* caseRoots[2], const char* entries[2],
                     const CGprofile profiles[2]) {
    printf("-- draw %s %s\n", profileName(profiles[0]), profileName(profiles[1]));
    CGprogram programs[2];
    for (int i = 0; i < 2; ++i) {
        programs[i] = compileFile(paths[i], caseRoots[i], entries[i], profiles[i]);
        printf(" compile %s: program=%s%s\n", entries[i], programs[i] ? "yes" : "null",
               errorMark());
    }
    if (programs[0] && programs[1]) {
        if (isGLSL(profiles[0])) {
            drawCombined(programs[0], programs[1], profiles);
        } else {
            drawSeparate(programs[0], programs[1], profiles);
        }
    }
    for (int i = 0; i < 2; ++i) {
        if (programs[i]) {
            cgDestroyProgram(programs[i]);
        }
    }
    reportPending("destroy");
}

/* ---- Cases ---- */

static void runCase(const char* files[2], const char* entries[2]) {
    printf("== %s %s %s %s\n", files[0], entries[0], files[1], entries[1]);
    char paths[2][PATH_LENGTH];
    const char* found[2];
    const char* caseRoots[2];
    for (int i = 0; i < 2; ++i) {
        found[i] = findFile(files[i], paths[i], sizeof paths[i], &caseRoots[i]);
        if (!found[i]) {
            printf("missing file %s\n", files[i]);
            return;
        }
    }
    const CGprofile latest[2] = {cgGLGetLatestProfile(CG_GL_VERTEX),
                                 cgGLGetLatestProfile(CG_GL_FRAGMENT)};
    const CGprofile glsl[2] = {CG_PROFILE_GLSLV, CG_PROFILE_GLSLF};
    for (int i = 0; i < 2; ++i) {
        walkEntry(found[i], caseRoots[i], entries[i], latest[i]);
        walkEntry(found[i], caseRoots[i], entries[i], glsl[i]);
    }
    drawCase(found, caseRoots, entries, latest);
    drawCase(found, caseRoots, entries, glsl);
}

/* GLUT's fatal errors (no display) end the child at once: exit would run the handlers the
 * parent's libraries registered, in a process that has only the forking thread. */
static void glutFailed(const char* format, va_list args) {
    fprintf(stderr, "cg-walk: ");
    vfprintf(stderr, format, args);
    fprintf(stderr, "\n");
    _exit(3);
}

static void startGL(void) {
    glutInitErrorFunc(glutFailed);
    int argc = 1;
    char name[] = "cg-walk";
    char* argv[] = {name, NULL};
    glutInit(&argc, argv);
    glutInitWindowSize(TARGET_SIZE, TARGET_SIZE);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE);
    glutCreateWindow("cg walk");
    glViewport(0, 0, TARGET_SIZE, TARGET_SIZE);
    glReadBuffer(GL_BACK);
    makeTextures();
}

/* Runs work in a process of its own, with its own window, GL context and Cg context: a crash or
 * a hang (the runtime's, or the GL driver's on what it was handed) ends that section only and
 * is printed as its last answer, and the sections after it still run. */
static void isolated(void (*work)(void*), void* data) {
    fflush(stdout);
    pid_t child = fork();
    if (child < 0) {
        printf("cannot start a process: %s\n", strerror(errno));
        return;
    }
    if (child == 0) {
        /* Whole lines reach the output before a crash, whatever the buffer held. */
        setvbuf(stdout, NULL, _IOLBF, 0);
        alarm(CHILD_SECONDS);
        startGL();
        context = cgCreateContext();
        if (!context) {
            printf("no context%s\n", errorMark());
        }
        work(data);
        cgDestroyContext(context);
        reportPending("context destroyed");
        _exit(fflush(stdout) == 0 ? 0 : 1);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            printf("lost the process: %s\n", strerror(errno));
            return;
        }
    }
    if (WIFSIGNALED(status)) {
        printf("crashed: signal %d\n", WTERMSIG(status));
    } else if (WEXITSTATUS(status) != 0) {
        printf("ended with status %d\n", WEXITSTATUS(status));
    }
}

typedef struct {
    const char* files[2];
    const char* entries[2];
} Case;

static void runCaseWork(void* data) {
    Case* walked = data;
    runCase(walked->files, walked->entries);
}

/* One line of the case list: runs its case, or says why it cannot. */
static void runCaseLine(char* line) {
    char* hash = strchr(line, '#');
    if (hash) {
        *hash = '\0';
    }
    char vfile[256], ventry[128], ffile[256], fentry[128], extra[2];
    int words = sscanf(line, "%255s %127s %255s %127s %1s", vfile, ventry, ffile, fentry, extra);
    if (words <= 0) {
        return;
    }
    if (words != 4) {
        printf("bad case line: %s\n", line);
        return;
    }
    Case walked = {{vfile, strcmp(ffile, "=") == 0 ? vfile : ffile}, {ventry, fentry}};
    isolated(runCaseWork, &walked);
}

/* Runs the cases of the list, "VFILE VENTRY FFILE FENTRY" a line; a line too long for that is
 * reported and passed over. */
static void runCases(char* text, size_t length) {
    char* end = text + length;
    for (char* line = text; line < end;) {
        char* next = memchr(line, '\n', (size_t)(end - line));
        next = next ? next : end;
        *next = '\0';
        if (next - line > MAX_LINE) {
            printf("bad case line: longer than %d characters\n", MAX_LINE);
        } else {
            runCaseLine(line);
        }
        line = next + 1;
    }
}

/* The whole case list, read before any section starts: a child shares the parent's file offset,
 * and its exit would move it. NULL (said on standard error) when it cannot be read whole. */
static char* readList(const char* path, size_t* length) {
    FILE* file = fopen(path, "r");
    if (!file) {
        fprintf(stderr, "cg-walk: cannot read %s: %s\n", path, strerror(errno));
        return NULL;
    }
    char* text = malloc(MAX_LIST + 1);
    *length = text ? fread(text, 1, MAX_LIST, file) : 0;
    const char* fault = !text                ? "out of memory"
                        : ferror(file)       ? "read error"
                        : fgetc(file) != EOF ? "longer than 1 MiB"
                                             : NULL;
    fclose(file);
    if (fault) {
        fprintf(stderr, "cg-walk: cannot read %s: %s\n", path, fault);
        free(text);
        return NULL;
    }
    text[*length] = '\0';
    return text;
}

/* ---- The runtime as a whole, and its answers to bad calls ---- */

static void CGENTRY recordError(CGcontext ctx, CGerror error, void* data) {
    (void)ctx;
    (void)data;
    ++handlerCalls;
    handlerLast = error;
}

static void printRuntime(void* data) {
    (void)data;
    printf("== runtime\n");
    CGprofile vertex = cgGLGetLatestProfile(CG_GL_VERTEX);
    CGprofile fragment = cgGLGetLatestProfile(CG_GL_FRAGMENT);
    printf("latest vertex=%s(%d) fragment=%s(%d)%s\n", profileName(vertex), (int)vertex,
           profileName(fragment), (int)fragment, errorMark());
    static const char* const names[] = {"arbvp1", "arbfp1", "vp20",  "fp20",  "vp30",
                                        "fp30",   "vp40",   "fp40",  "gp4vp", "gp4fp",
                                        "glslv",  "glslf",  "glslg", "hlslv", "nonsense"};
    for (size_t i = 0; i < sizeof names / sizeof names[0]; ++i) {
        CGprofile profile = cgGetProfile(names[i]);
        printf("profile %s=%d string=%s supported=%d domain=%d%s\n", names[i], (int)profile,
               quoted(cgGetProfileString(profile)), (int)cgGLIsProfileSupported(profile),
               (int)cgGetProfileDomain(profile), errorMark());
    }
    char const** options = cgGLGetOptimalOptions(vertex);
    printf("optimal options for %s:", profileName(vertex));
    for (int i = 0; options && options[i]; ++i) {
        printf(" %s", options[i]);
    }
    printf("%s\n", errorMark());
}

/* A program with one parameter of each kind, for the bad calls. */
static const char* const BAD_CALLS_SOURCE =
    "uniform float4 u;\n"
    "uniform float4x4 m;\n"
    "uniform float a[3];\n"
    "uniform sampler2D s;\n"
    "float4 main(float4 c : COLOR0, float2 t : TEXCOORD0) : COLOR\n"
    "{\n"
    "    return c * u + mul(m, float4(a[0], a[1], a[2], 1)) + tex2D(s, t);\n"
    "}\n";

static void answer(const char* call) {
    CGerror error = cgGetError();
    printf("bad %s: error=%d handler=%d last=%d\n", call, (int)error, handlerCalls,
           (int)handlerLast);
    handlerCalls = 0;
    handlerLast = CG_NO_ERROR;
}

static void badParameterCalls(CGprogram program) {
    CGparameter u = cgGetNamedParameter(program, "u");
    CGparameter m = cgGetNamedParameter(program, "m");
    CGparameter a = cgGetNamedParameter(program, "a");
    CGparameter s = cgGetNamedParameter(program, "s");
    CGparameter c = cgGetNamedParameter(program, "c");
    float values[MAX_VALUES] = {0};
    printf("bad-call parameters: u=%d m=%d a=%d s=%d c=%d\n", u != NULL, m != NULL, a != NULL,
           s != NULL, c != NULL);
    answer("lookups");
    printf("missing=%d\n", cgGetNamedParameter(program, "no_such_parameter") != NULL);
    answer("cgGetNamedParameter(no_such_parameter)");
    cgGLSetParameter4f(s, 1, 2, 3, 4);
    answer("cgGLSetParameter4f(sampler)");
    cgGLSetTextureParameter(u, textures[0]);
    answer("cgGLSetTextureParameter(float4)");
    cgSetParameter4f(m, 1, 2, 3, 4);
    answer("cgSetParameter4f(matrix)");
    cgSetMatrixParameterfr(u, values);
    answer("cgSetMatrixParameterfr(float4)");
    printf("got=%d\n", cgGetParameterValuefr(m, 2, values));
    answer("cgGetParameterValuefr(matrix, 2)");
    printf("element=%d\n", cgGetArrayParameter(a, 3) != NULL);
    answer("cgGetArrayParameter(a, 3)");
    printf("element=%d\n", cgGetArrayParameter(u, 0) != NULL);
    answer("cgGetArrayParameter(float4, 0)");
    cgSetParameter1f(c, 1);
    answer("cgSetParameter1f(varying)");
    cgGLSetParameterPointer(u, 4, GL_FLOAT, 0, CORNERS);
    answer("cgGLSetParameterPointer(uniform)");
    cgGLEnableClientState(s);
    answer("cgGLEnableClientState(sampler)");
    printf("first=%d\n", cgGetFirstParameter(program, CG_DEFAULT) != NULL);
    answer("cgGetFirstParameter(CG_DEFAULT)");
}

static void badNullCalls(void) {
    float values[4] = {0};
    printf("type=%d\n", (int)cgGetParameterType(NULL));
    answer("cgGetParameterType(null)");
    cgSetParameter1f(NULL, 1);
    answer("cgSetParameter1f(null)");
    cgGLSetParameter4fv(NULL, values);
    answer("cgGLSetParameter4fv(null)");
    printf("named=%d\n", cgGetNamedParameter(NULL, "u") != NULL);
    answer("cgGetNamedParameter(null)");
    cgGLLoadProgram(NULL);
    answer("cgGLLoadProgram(null)");
    cgGLBindProgram(NULL);
    answer("cgGLBindProgram(null)");
    cgDestroyProgram(NULL);
    answer("cgDestroyProgram(null)");
    printf("first=%d\n", cgGetFirstParameter(NULL, CG_PROGRAM) != NULL);
    answer("cgGetFirstParameter(null)");
    printf("name=%s\n", quoted(cgGetParameterName(NULL)));
    answer("cgGetParameterName(null)");
}

/* Runs a compile with standard output closed: NVIDIA's runtime prints some compiler messages
 * there itself, which are not compared. */
static CGprogram quietCompile(const char* source, CGprofile profile, const char* entry) {
    fflush(stdout);
    int saved = dup(STDOUT_FILENO);
    FILE* null = fopen("/dev/null", "w");
    if (null) {
        dup2(fileno(null), STDOUT_FILENO);
        fclose(null);
    }
    CGprogram program = cgCreateProgram(context, CG_SOURCE, source, profile, entry, NULL);
    fflush(stdout);
    if (saved >= 0) {
        dup2(saved, STDOUT_FILENO);
        close(saved);
    }
    return program;
}

static void badCompiles(void) {
    static const struct {
        const char* what;
        const char* source;
        const char* entry;
        CGprofile profile;
    } compiles[] = {
        {"syntax error", "float4 main( : COLOR {", "main", CG_PROFILE_GLSLF},
        {"no such entry", BAD_CALLS_SOURCE, "nope", CG_PROFILE_GLSLF},
        {"unknown profile", BAD_CALLS_SOURCE, "main", CG_PROFILE_UNKNOWN},
        {"empty source", "", "main", CG_PROFILE_GLSLV},
    };
    for (size_t i = 0; i < sizeof compiles / sizeof compiles[0]; ++i) {
        CGprogram program =
            quietCompile(compiles[i].source, compiles[i].profile, compiles[i].entry);
        printf("program=%d\n", program != NULL);
        answer(compiles[i].what);
    }
    CGprogram missing = cgCreateProgramFromFile(context, CG_SOURCE, "/nonexistent/x.cg",
                                                CG_PROFILE_GLSLF, "main", NULL);
    printf("program=%d\n", missing != NULL);
    answer("missing file");
}

static void printBadCalls(void* data) {
    (void)data;
    printf("== bad calls\n");
    cgSetErrorHandler(recordError, NULL);
    CGprogram program =
        cgCreateProgram(context, CG_SOURCE, BAD_CALLS_SOURCE, CG_PROFILE_GLSLF, "main", NULL);
    answer("setup compile");
    if (program) {
        badParameterCalls(program);
        cgDestroyProgram(program);
    }
    badNullCalls();
    badCompiles();
    cgSetErrorHandler(NULL, NULL);
}

/* ---- Start ---- */

static int readArguments(int argc, char** argv, const char** list) {
    *list = NULL;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--root") == 0 && i + 1 < argc && rootCount < MAX_ROOTS) {
            roots[rootCount++] = argv[++i];
        } else if (!*list && argv[i][0] != '-') {
            *list = argv[i];
        } else {
            return 0;
        }
    }
    if (rootCount == 0) {
        roots[rootCount++] = ".";
    }
    return *list != NULL;
}

int main(int argc, char** argv) {
    const char* listPath;
    if (!readArguments(argc, argv, &listPath)) {
        fprintf(stderr, "usage: cg-walk [--root DIR]... CASES\n");
        return 2;
    }
    size_t length = 0;
    char* list = readList(listPath, &length);
    if (!list) {
        return 2;
    }
    isolated(printRuntime, NULL);
    runCases(list, length);
    free(list);
    isolated(printBadCalls, NULL);
    return fflush(stdout) == 0 ? 0 : 1;
}
