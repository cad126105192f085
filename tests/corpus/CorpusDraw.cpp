// Draws each Cg file named on standard input through the runtime (its arguments, such as -I DIR,
// are the compiler arguments each file is created with), as an emulator frontend would:
// both entries compiled from the file, a test image bound to every sampler, the frontend's
// uniforms set by name, a full-screen quad drawn into a float target. One TSV line per file:
//   file  vertex  fragment  linked  drawn  stage  message
// where the first four say ok or no ("-" when not reached), stage names where the first failure
// came, and message is its first line of diagnostics. Lines are flushed as they come, so that a
// driver that dies on one file leaves every earlier result behind.
//
// Built twice: against our runtime (corpus-draw) and, for the reference checks, against NVIDIA's
// Cg 3.1 (corpus-draw-nvidia). Both use the GLSL profiles, as NVIDIA's runtime would pick its ARB
// ones on Mesa. Options before the compiler arguments: --save DIR writes each drawn target to DIR
// as 64x64 RGBA floats (the file's path with '/' as '+', ".f32" added) for the value comparison;
// --compile-only stops after the two entries are compiled.
#include <epoxy/gl.h>
#include <GL/freeglut.h>

#include <Cg/cg.h>
#include <Cg/cgGL.h>

#include "DrawTargets.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <regex>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int IMAGE_SIZE = 64;
constexpr int TARGET_SIZE = 64;
// What the target is cleared to: no shader of the corpus writes exactly this.
constexpr float UNPAINTED[4] = {-1234.5f, 4321.25f, -77.125f, 9.0625f};

struct Result {
    std::string vertex = "-", fragment = "-", linked = "-", drawn = "-";
    std::string stage, message;
};

// NVIDIA's runtime gives no listing (a null pointer) for some failures.
std::string firstErrorLine(const char* text) {
    const std::string listing = text != nullptr ? text : "(no listing)";
    std::size_t at = listing.find("error");
    if (at == std::string::npos) {
        at = 0;
    }
    const std::size_t start = listing.rfind('\n', at);
    const std::size_t begin = start == std::string::npos ? 0 : start + 1;
    std::size_t end = listing.find('\n', begin);
    // "...rejected the translated program:" says why on the next line.
    if (end != std::string::npos && end > begin && listing[end - 1] == ':') {
        end = listing.find('\n', end + 1);
    }
    std::string line = listing.substr(begin, end == std::string::npos ? end : end - begin);
    for (char& c : line) {
        if (c == '\t' || c == '\n') {
            c = ' ';
        }
    }
    return line;
}

std::vector<unsigned char> testImage() {
    std::vector<unsigned char> pixels(IMAGE_SIZE * IMAGE_SIZE * 4);
    for (int y = 0; y < IMAGE_SIZE; ++y) {
        for (int x = 0; x < IMAGE_SIZE; ++x) {
            unsigned char* p = &pixels[(y * IMAGE_SIZE + x) * 4];
            p[0] = static_cast<unsigned char>(x * 4);
            p[1] = static_cast<unsigned char>(y * 4);
            p[2] = ((x / 8 + y / 8) % 2) != 0 ? 200 : 40;
            p[3] = 255;
        }
    }
    return pixels;
}

GLuint makeTestImage() {
    const std::vector<unsigned char> pixels = testImage();
    return makeNearestTexture(GL_RGBA8, IMAGE_SIZE, GL_UNSIGNED_BYTE, pixels.data());
}

void setIfPresent(CGprogram program, const char* name, float x, float y) {
    if (CGparameter p = cgGetNamedParameter(program, name)) {
        cgSetParameter2f(p, x, y);
    }
}

using Parameters = std::vector<std::pair<std::string, float>>;

// The `#pragma parameter NAME "label" DEFAULT MIN MAX STEP` lines of a file and of the files it
// includes: the frontend starts every such uniform at its default, and files built with
// PARAMETER_UNIFORM divide by some of them.
void readParameters(const std::string& path, int depth, Parameters& out) {
    static const std::regex PRAGMA(
        R"(^\s*#\s*pragma\s+parameter\s+(\w+)\s+"[^"]*"\s+([-+0-9.eE]+))");
    static const std::regex INCLUDE(R"re(^\s*#\s*include\s*"([^"]+)")re");
    std::ifstream in(path);
    const std::string folder = path.substr(0, path.find_last_of('/') + 1);
    std::string line;
    std::smatch m;
    while (std::getline(in, line)) {
        if (std::regex_search(line, m, PRAGMA)) {
            out.emplace_back(m[1].str(), std::strtof(m[2].str().c_str(), nullptr));
        } else if (depth < 8 && std::regex_search(line, m, INCLUDE)) {
            readParameters(folder + m[1].str(), depth + 1, out);
        }
    }
}

// What a frontend sets for a pass: the matrix, the sizes and the frame count, by name, the file's
// parameters at their defaults, and the image on every sampler the program has.
void setUniforms(CGprogram program, GLuint image, const Parameters& parameters) {
    static const float IDENTITY[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    if (CGparameter p = cgGetNamedParameter(program, "modelViewProj")) {
        cgGLSetMatrixParameterfc(p, IDENTITY);
    }
    const float image2 = IMAGE_SIZE, target2 = TARGET_SIZE;
    setIfPresent(program, "IN.video_size", image2, image2);
    setIfPresent(program, "IN.texture_size", image2, image2);
    setIfPresent(program, "IN.output_size", target2, target2);
    if (CGparameter p = cgGetNamedParameter(program, "IN.frame_count")) {
        cgSetParameter1f(p, 10.0f);
    }
    for (const auto& [name, value] : parameters) {
        if (CGparameter p = cgGetNamedParameter(program, name.c_str())) {
            cgSetParameter1f(p, value);
        }
    }
    bindToEverySampler2D(program, image);
}

void drawQuad() {
    glBegin(GL_QUADS);
    const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (const auto& c : corners) {
        for (int unit = 0; unit < 8; ++unit) {
            glMultiTexCoord4f(GL_TEXTURE0 + unit, c[0], c[1], 0.0f, 1.0f);
        }
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        glVertex2f(c[0] * 2.0f - 1.0f, c[1] * 2.0f - 1.0f);
    }
    glEnd();
}

// "ok", or what is wrong with the picture.
std::string judge(const std::vector<float>& pixels) {
    std::size_t unpainted = 0, nonFinite = 0;
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        bool same = true;
        for (int c = 0; c < 4; ++c) {
            same = same && pixels[i + c] == UNPAINTED[c];
            if (!std::isfinite(pixels[i + c])) {
                ++nonFinite;
            }
        }
        unpainted += same ? 1 : 0;
    }
    if (nonFinite > 0) {
        return "non-finite values in " + std::to_string(nonFinite) + " components";
    }
    if (unpainted > 0) {
        return std::to_string(unpainted) + " of " + std::to_string(pixels.size() / 4) +
               " pixels unpainted";
    }
    return "ok";
}

// The compiler arguments every file is created with: this driver's own arguments.
std::vector<const char*> compilerArgs;
// Where drawn targets are saved; empty when they are not.
std::string saveFolder;
bool compileOnly = false;

bool save(const std::string& path, const std::vector<float>& pixels) {
    std::string name = path;
    for (char& c : name) {
        c = c == '/' ? '+' : c;
    }
    std::ofstream out(saveFolder + "/" + name + ".f32", std::ios::binary);
    out.write(reinterpret_cast<const char*>(pixels.data()),
              static_cast<std::streamsize>(pixels.size() * sizeof(float)));
    return static_cast<bool>(out);
}

// stock.cg only copies its input: drawn 1:1 with nearest texels, the image must come back exactly,
// each 8-bit texel as the float the driver makes of it (to within its rounding of c / 255).
bool isPassThrough(const std::string& path) {
    return path == "stock.cg" ||
           (path.size() > 9 && path.compare(path.size() - 9, 9, "/stock.cg") == 0);
}

std::string sameAsTestImage(const std::vector<float>& pixels) {
    const std::vector<unsigned char> image = testImage();
    for (std::size_t i = 0; i < image.size(); ++i) {
        if (std::lround(pixels[i] * 255.0f) != image[i] ||
            std::fabs(pixels[i] - image[i] / 255.0f) > 1e-6f) {
            return "the pass-through differs from the test image at pixel " +
                   std::to_string(i / 4) + " component " + std::to_string(i % 4);
        }
    }
    return "ok";
}

// The compiler arguments of one file. NVIDIA's runtime compiles the source again when it combines
// the pair, and then looks for includes from the working folder rather than beside the file:
// there the file's own folder is searched as well.
std::vector<const char*> argsFor(const std::string& path, std::string& folderArg) {
    std::vector<const char*> args = compilerArgs;
#ifdef NVIDIA_CG
    const std::size_t slash = path.find_last_of('/');
    folderArg = "-I" + (slash == std::string::npos ? std::string(".") : path.substr(0, slash));
    args.insert(args.begin(), folderArg.c_str());
#else
    (void)path;
    (void)folderArg;
#endif
    return args;
}

Result run(const std::string& path, GLuint image, CGprofile vp, CGprofile fp) {
    Result r;
    CGcontext context = cgCreateContext();
    std::string folderArg;
    std::vector<const char*> args = argsFor(path, folderArg);
    CGprogram vertex =
        cgCreateProgramFromFile(context, CG_SOURCE, path.c_str(), vp, "main_vertex", args.data());
    r.vertex = vertex != nullptr ? "ok" : "no";
    if (vertex == nullptr) {
        r.stage = "vertex";
        r.message = firstErrorLine(cgGetLastListing(context));
    }
    CGprogram fragment =
        cgCreateProgramFromFile(context, CG_SOURCE, path.c_str(), fp, "main_fragment", args.data());
    r.fragment = fragment != nullptr ? "ok" : "no";
    if (fragment == nullptr && r.stage.empty()) {
        r.stage = "fragment";
        r.message = firstErrorLine(cgGetLastListing(context));
    }
    if (vertex != nullptr && fragment != nullptr && !compileOnly) {
        cgGetError();
        const auto [vertexStage, fragmentStage] = bindPair(vertex, fragment);
        cgGLEnableProfile(vp);
        cgGLEnableProfile(fp);
        const CGerror error = cgGetError();
        r.linked = error == CG_NO_ERROR ? "ok" : "no";
        if (r.linked == "no") {
            r.stage = "link";
            r.message = std::string(cgGetErrorString(error)) + ": " +
                        firstErrorLine(cgGetLastListing(context));
        } else {
            Parameters parameters;
            readParameters(path, 0, parameters);
            setUniforms(vertexStage, image, parameters);
            setUniforms(fragmentStage, image, parameters);
            glViewport(0, 0, TARGET_SIZE, TARGET_SIZE);
            glClearColor(UNPAINTED[0], UNPAINTED[1], UNPAINTED[2], UNPAINTED[3]);
            glClear(GL_COLOR_BUFFER_BIT);
            drawQuad();
            std::vector<float> pixels(TARGET_SIZE * TARGET_SIZE * 4);
            glReadPixels(0, 0, TARGET_SIZE, TARGET_SIZE, GL_RGBA, GL_FLOAT, pixels.data());
            std::string verdict = judge(pixels);
            if (!saveFolder.empty() && !save(path, pixels)) {
                verdict = "cannot write the target into " + saveFolder;
            }
            if (verdict == "ok" && isPassThrough(path)) {
                verdict = sameAsTestImage(pixels);
            }
            r.drawn = verdict == "ok" ? "ok" : "no";
            if (verdict != "ok") {
                r.stage = "draw";
                r.message = verdict;
            }
        }
        cgGLDisableProfile(vp);
        cgGLDisableProfile(fp);
    }
    cgDestroyContext(context);
    while (glGetError() != GL_NO_ERROR) {
    }
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitWindowSize(TARGET_SIZE, TARGET_SIZE);
    glutInitDisplayMode(GLUT_RGBA);
    glutCreateWindow("cg corpus");
    int first = 1;
    for (; first < argc && std::strncmp(argv[first], "--", 2) == 0; ++first) {
        if (std::strcmp(argv[first], "--compile-only") == 0) {
            compileOnly = true;
        } else if (std::strcmp(argv[first], "--save") == 0 && first + 1 < argc) {
            saveFolder = argv[++first];
        } else {
            std::fprintf(stderr, "corpus-draw: unknown option %s\n", argv[first]);
            return 2;
        }
    }
    compilerArgs.assign(argv + first, argv + argc);
    compilerArgs.push_back(nullptr);
    if (cgGLGetLatestProfile(CG_GL_VERTEX) == CG_PROFILE_UNKNOWN ||
        cgGLGetLatestProfile(CG_GL_FRAGMENT) == CG_PROFILE_UNKNOWN) {
        std::fprintf(stderr, "corpus-draw: this GL driver runs no shader programs\n");
        return 2;
    }
    const CGprofile vp = CG_PROFILE_GLSLV;
    const CGprofile fp = CG_PROFILE_GLSLF;
    // Colours outside [0, 1] and non-finite values must reach the target as they are.
    glClampColor(GL_CLAMP_VERTEX_COLOR, GL_FALSE);
    glClampColor(GL_CLAMP_FRAGMENT_COLOR, GL_FALSE);
    glClampColor(GL_CLAMP_READ_COLOR, GL_FALSE);
    const GLuint image = makeTestImage();
    makeFloatTarget(TARGET_SIZE, TARGET_SIZE);
    std::string path;
    while (std::getline(std::cin, path)) {
        if (path.empty()) {
            continue;
        }
        const Result r = run(path, image, vp, fp);
        std::printf("%s\t%s\t%s\t%s\t%s\t%s\t%s\n", path.c_str(), r.vertex.c_str(),
                    r.fragment.c_str(), r.linked.c_str(), r.drawn.c_str(), r.stage.c_str(),
                    r.message.c_str());
        std::fflush(stdout);
    }
    return 0;
}
