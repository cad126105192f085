/* Runs a RetroArch shader preset the way RetroArch's Cg driver does, call for call: the programs
 * compiled from file with "-DPARAMETER_UNIFORM", the vertex inputs found by the semantic walk or by
 * their names in the `IN` struct, ORIG and PREV looked up by name, vertices fed through
 * cgGLSetParameterPointer, the source frame on texture unit 0, every pass but the last drawn into a
 * texture of the source's size. Built against NVIDIA's headers and run with either runtime's
 * libraries, so that the two can be compared frame for frame.
 *
 * Usage: retroarch-replay OUT PASS.cg [PASS.cg ...]
 * Prints what it compiled, looked up and what errors the calls raised; writes frame N to OUT-N.ppm.
 * Which runtime answered goes to standard error, where a comparison can check that it is the one
 * meant.
 */
#define _GNU_SOURCE
#include <dlfcn.h>

#include <epoxy/gl.h>

#include <GL/freeglut.h>

#include <Cg/cg.h>
#include <Cg/cgGL.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { SOURCE = 64, OUTPUT = 192, FRAMES = 4, HISTORY = 7, MAX_PASSES = 4, MAX_FEEDS = 32 };

/* A texture with its place in the frame: what the driver hands a shader as ORIG or PREVn. */
struct Texture {
    GLuint name;
    float coords[8];
};

/* The parameters the driver looks up for one texture that a pass may read. */
struct TextureParams {
    CGparameter texture, coord, videoSizeV, videoSizeF, textureSizeV, textureSizeF;
};

struct Pass {
    CGprogram vertex, fragment;
    CGparameter position, texCoord, color, lutTexCoord;
    CGparameter videoSizeV, videoSizeF, textureSizeV, textureSizeF, outputSizeV, outputSizeF;
    CGparameter frameCountV, frameCountF, frameDirectionV, frameDirectionF, mvp;
    struct TextureParams orig, prev[HISTORY];
};

static CGcontext context;
static CGprofile vertexProfile, fragmentProfile;
static CGparameter fed[MAX_FEEDS];
static int feeds;

static const float QUAD[8] = {0, 0, 1, 0, 0, 1, 1, 1};
static const float WHITE[16] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
/* The orthographic projection of the unit square, column by column. */
static const float MVP[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, -1, 0, -1, -1, 0, 1};

static void reportErrors(const char* where) {
    CGerror error = cgGetError();
    if (error != CG_NO_ERROR) {
        printf("%s: error %d\n", where, (int)error);
    }
}

static CGparameter named(CGprogram program, const char* name) {
    CGparameter param = cgGetNamedParameter(program, name);
    printf("  %s %s: %s\n", program != NULL ? "lookup" : "no program", name,
           param != NULL ? "found" : "none");
    return param;
}

static void lookUpTexture(const struct Pass* pass, struct TextureParams* params, const char* base) {
    char name[64];
    snprintf(name, sizeof name, "%s.texture", base);
    params->texture = named(pass->fragment, name);
    snprintf(name, sizeof name, "%s.tex_coord", base);
    params->coord = named(pass->vertex, name);
    snprintf(name, sizeof name, "%s.video_size", base);
    params->videoSizeV = named(pass->vertex, name);
    params->videoSizeF = named(pass->fragment, name);
    snprintf(name, sizeof name, "%s.texture_size", base);
    params->textureSizeV = named(pass->vertex, name);
    params->textureSizeF = named(pass->fragment, name);
}

/* The vertex inputs: by semantic among the vertex program's varying inputs first, then by name. */
static void lookUpInputs(struct Pass* pass) {
    for (CGparameter p = cgGetFirstParameter(pass->vertex, CG_PROGRAM); p != NULL;
         p = cgGetNextParameter(p)) {
        if (cgGetParameterDirection(p) != CG_IN || cgGetParameterVariability(p) != CG_VARYING) {
            continue;
        }
        const char* semantic = cgGetParameterSemantic(p);
        if (semantic == NULL) {
            continue;
        }
        printf("  semantic %s: %s\n", semantic, cgGetParameterName(p));
        if (strcmp(semantic, "TEXCOORD") == 0 || strcmp(semantic, "TEXCOORD0") == 0) {
            pass->texCoord = p;
        } else if (strcmp(semantic, "COLOR") == 0 || strcmp(semantic, "COLOR0") == 0) {
            pass->color = p;
        } else if (strcmp(semantic, "POSITION") == 0) {
            pass->position = p;
        } else if (strcmp(semantic, "TEXCOORD1") == 0) {
            pass->lutTexCoord = p;
        }
    }
    if (pass->texCoord == NULL) {
        pass->texCoord = named(pass->vertex, "IN.tex_coord");
    }
    if (pass->color == NULL) {
        pass->color = named(pass->vertex, "IN.color");
    }
    if (pass->position == NULL) {
        pass->position = named(pass->vertex, "IN.vertex_coord");
    }
    if (pass->lutTexCoord == NULL) {
        pass->lutTexCoord = named(pass->vertex, "IN.lut_tex_coord");
    }
}

/* The driver's own pass-through program, compiled from source before any preset: its interface
 * (the `input` struct, main_vertex and main_fragment) is the one the driver looks up. */
static const char* const STOCK =
    "struct input { float2 tex_coord; float4 color; float4 vertex_coord;\n"
    "               uniform float4x4 mvp_matrix; uniform sampler2D texture; };\n"
    "struct varyings { float2 tex; float4 color; };\n"
    "void main_vertex(out float4 position : POSITION, input IN, out varyings v) {\n"
    "    position = mul(IN.mvp_matrix, IN.vertex_coord);\n"
    "    v.tex = IN.tex_coord;\n"
    "    v.color = IN.color;\n"
    "}\n"
    "float4 main_fragment(input IN, varyings v, uniform sampler2D s0 : TEXUNIT0) : COLOR {\n"
    "    return v.color * tex2D(s0, v.tex);\n"
    "}\n";

static int compileStock(void) {
    const char* args[] = {"-DPARAMETER_UNIFORM", NULL};
    CGprogram fragment =
        cgCreateProgram(context, CG_SOURCE, STOCK, fragmentProfile, "main_fragment", args);
    CGprogram vertex =
        cgCreateProgram(context, CG_SOURCE, STOCK, vertexProfile, "main_vertex", args);
    reportErrors("stock program");
    printf("stock: vertex %s, fragment %s\n", vertex != NULL ? "compiled" : "failed",
           fragment != NULL ? "compiled" : "failed");
    if (vertex == NULL || fragment == NULL) {
        return 0;
    }
    cgGLLoadProgram(fragment);
    cgGLLoadProgram(vertex);
    reportErrors("stock load");
    return 1;
}

static int compilePass(struct Pass* pass, const char* path) {
    const char* args[] = {"-DPARAMETER_UNIFORM", NULL};
    pass->fragment =
        cgCreateProgramFromFile(context, CG_SOURCE, path, fragmentProfile, "main_fragment", args);
    reportErrors("fragment program");
    pass->vertex =
        cgCreateProgramFromFile(context, CG_SOURCE, path, vertexProfile, "main_vertex", args);
    reportErrors("vertex program");
    printf("pass %s: vertex %s, fragment %s\n", path, pass->vertex != NULL ? "compiled" : "failed",
           pass->fragment != NULL ? "compiled" : "failed");
    if (pass->vertex == NULL || pass->fragment == NULL) {
        return 0;
    }
    cgGLLoadProgram(pass->fragment);
    cgGLLoadProgram(pass->vertex);
    reportErrors("load");
    cgGLBindProgram(pass->fragment);
    cgGLBindProgram(pass->vertex);
    lookUpInputs(pass);
    pass->videoSizeF = named(pass->fragment, "IN.video_size");
    pass->textureSizeF = named(pass->fragment, "IN.texture_size");
    pass->outputSizeF = named(pass->fragment, "IN.output_size");
    pass->frameCountF = named(pass->fragment, "IN.frame_count");
    pass->frameDirectionF = named(pass->fragment, "IN.frame_direction");
    pass->videoSizeV = named(pass->vertex, "IN.video_size");
    pass->textureSizeV = named(pass->vertex, "IN.texture_size");
    pass->outputSizeV = named(pass->vertex, "IN.output_size");
    pass->frameCountV = named(pass->vertex, "IN.frame_count");
    pass->frameDirectionV = named(pass->vertex, "IN.frame_direction");
    pass->mvp = named(pass->vertex, "modelViewProj");
    if (pass->mvp == NULL) {
        pass->mvp = named(pass->vertex, "IN.mvp_matrix");
    }
    lookUpTexture(pass, &pass->orig, "ORIG");
    for (int i = 0; i < HISTORY; ++i) {
        char base[8];
        snprintf(base, sizeof base, i == 0 ? "PREV" : "PREV%d", i);
        lookUpTexture(pass, &pass->prev[i], base);
    }
    reportErrors("lookups");
    return 1;
}

static void feed(CGparameter param, int size, const float* values) {
    if (param != NULL && feeds < MAX_FEEDS) {
        cgGLSetParameterPointer(param, size, GL_FLOAT, 0, values);
        cgGLEnableClientState(param);
        fed[feeds++] = param;
    }
}

static void set2f(CGparameter param, float x, float y) {
    if (param != NULL) {
        cgGLSetParameter2f(param, x, y);
    }
}

static void set1f(CGparameter param, float x) {
    if (param != NULL) {
        cgGLSetParameter1f(param, x);
    }
}

static void setTexture(const struct TextureParams* params, const struct Texture* texture) {
    if (params->texture != NULL) {
        cgGLSetTextureParameter(params->texture, texture->name);
        cgGLEnableTextureParameter(params->texture);
    }
    set2f(params->videoSizeV, SOURCE, SOURCE);
    set2f(params->videoSizeF, SOURCE, SOURCE);
    set2f(params->textureSizeV, SOURCE, SOURCE);
    set2f(params->textureSizeF, SOURCE, SOURCE);
    feed(params->coord, 2, texture->coords);
}

static void drawPass(const struct Pass* pass, GLuint input, int outputSize, int frame,
                     const struct Texture* original, const struct Texture* history) {
    cgGLBindProgram(pass->fragment);
    cgGLBindProgram(pass->vertex);
    cgGLEnableProfile(vertexProfile);
    cgGLEnableProfile(fragmentProfile);
    glViewport(0, 0, outputSize, outputSize);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, input);
    if (pass->mvp != NULL) {
        cgGLSetMatrixParameterfc(pass->mvp, MVP);
    }
    feed(pass->position, 2, QUAD);
    feed(pass->texCoord, 2, QUAD);
    feed(pass->lutTexCoord, 2, QUAD);
    feed(pass->color, 4, WHITE);
    set2f(pass->videoSizeF, SOURCE, SOURCE);
    set2f(pass->textureSizeF, SOURCE, SOURCE);
    set2f(pass->outputSizeF, outputSize, outputSize);
    set1f(pass->frameDirectionF, 1);
    set1f(pass->frameDirectionV, 1);
    set2f(pass->videoSizeV, SOURCE, SOURCE);
    set2f(pass->textureSizeV, SOURCE, SOURCE);
    set2f(pass->outputSizeV, outputSize, outputSize);
    set1f(pass->frameCountF, (float)frame);
    set1f(pass->frameCountV, (float)frame);
    setTexture(&pass->orig, original);
    for (int i = 0; i < HISTORY; ++i) {
        setTexture(&pass->prev[i], &history[i]);
    }
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    for (int i = 0; i < feeds; ++i) {
        cgGLDisableClientState(fed[i]);
    }
    feeds = 0;
    reportErrors("draw");
}

/* The emulated game's frame: bands that move with the frame's number. */
static void paintFrame(GLuint texture, int frame) {
    static unsigned char texels[SOURCE * SOURCE * 4];
    for (int y = 0; y < SOURCE; ++y) {
        for (int x = 0; x < SOURCE; ++x) {
            unsigned char* t = texels + 4 * (y * SOURCE + x);
            t[0] = (unsigned char)(((x + 5 * frame) / 8 % 2) * 200 + 40);
            t[1] = (unsigned char)((y * 4 + frame * 30) & 255);
            t[2] = (unsigned char)(((x ^ y) & 8) ? 230 : 20);
            t[3] = 255;
        }
    }
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, SOURCE, SOURCE, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
}

static GLuint makeTexture(void) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, SOURCE, SOURCE, 0, GL_RGBA, GL_UNSIGNED_BYTE, NULL);
    return texture;
}

static int writeFrame(const char* prefix, int frame, const unsigned char* rgb) {
    char path[4096];
    snprintf(path, sizeof path, "%s-%d.ppm", prefix, frame);
    FILE* out = fopen(path, "wb");
    if (out == NULL) {
        perror(path);
        return 0;
    }
    fprintf(out, "P6\n%d %d\n255\n", OUTPUT, OUTPUT);
    for (int y = OUTPUT - 1; y >= 0; --y) {
        fwrite(rgb + 3 * OUTPUT * y, 3, OUTPUT, out);
    }
    return fclose(out) == 0;
}

int main(int argc, char** argv) {
    if (argc < 3 || argc - 2 > MAX_PASSES) {
        fprintf(stderr, "usage: %s OUT PASS.cg [PASS.cg ...] (at most %d passes)\n", argv[0],
                MAX_PASSES);
        return 2;
    }
    Dl_info runtime;
    if (dladdr((void*)cgCreateContext, &runtime) != 0) {
        fprintf(stderr, "runtime: %s\n", runtime.dli_fname);
    }
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA);
    glutInitWindowSize(OUTPUT, OUTPUT);
    glutCreateWindow("retroarch-replay");

    context = cgCreateContext();
    vertexProfile = cgGLGetLatestProfile(CG_GL_VERTEX);
    fragmentProfile = cgGLGetLatestProfile(CG_GL_FRAGMENT);
    cgGLSetOptimalOptions(vertexProfile);
    cgGLSetOptimalOptions(fragmentProfile);
    printf("profiles: %s %s\n", cgGetProfileString(vertexProfile),
           cgGetProfileString(fragmentProfile));

    if (!compileStock()) {
        printf("listing: %s\n", cgGetLastListing(context));
        return 1;
    }
    const int passes = argc - 2;
    struct Pass pass[MAX_PASSES];
    memset(pass, 0, sizeof pass);
    for (int i = 0; i < passes; ++i) {
        if (!compilePass(&pass[i], argv[i + 2])) {
            printf("listing: %s\n", cgGetLastListing(context));
            return 1;
        }
    }

    struct Texture history[HISTORY + 1];
    for (int i = 0; i <= HISTORY; ++i) {
        history[i].name = makeTexture();
        memcpy(history[i].coords, QUAD, sizeof QUAD);
    }
    GLuint between[MAX_PASSES], framebuffer = 0;
    for (int i = 0; i < passes; ++i) {
        between[i] = makeTexture();
    }
    glGenFramebuffers(1, &framebuffer);

    static unsigned char rgb[OUTPUT * OUTPUT * 3];
    for (int frame = 0; frame < FRAMES; ++frame) {
        /* history[0] is this frame; history[1 + n] was PREVn's. */
        const struct Texture current = history[frame % (HISTORY + 1)];
        struct Texture previous[HISTORY];
        for (int i = 0; i < HISTORY; ++i) {
            previous[i] = history[(frame + HISTORY + 1 - 1 - i) % (HISTORY + 1)];
        }
        paintFrame(current.name, frame);
        GLuint input = current.name;
        for (int i = 0; i < passes; ++i) {
            const int last = i == passes - 1;
            glBindFramebuffer(GL_FRAMEBUFFER, last ? 0 : framebuffer);
            if (!last) {
                glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                                       between[i], 0);
            }
            glClearColor(0, 0, 0, 1);
            glClear(GL_COLOR_BUFFER_BIT);
            drawPass(&pass[i], input, last ? OUTPUT : SOURCE, frame, &current, previous);
            input = between[i];
        }
        glFinish();
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, OUTPUT, OUTPUT, GL_RGB, GL_UNSIGNED_BYTE, rgb);
        if (!writeFrame(argv[1], frame, rgb)) {
            return 1;
        }
    }

    cgGLUnbindProgram(fragmentProfile);
    cgGLUnbindProgram(vertexProfile);
    for (int i = 0; i < passes; ++i) {
        cgDestroyProgram(pass[i].fragment);
        cgDestroyProgram(pass[i].vertex);
    }
    cgDestroyContext(context);
    reportErrors("teardown");
    return 0;
}
