// Runs Cg programs and prints what they compute, written against the Cg runtime's calls alone so
// that the same source builds against our runtime (cg-probe) and against NVIDIA's
// (cg-probe-nvidia), and the two outputs can be compared line by line.
//
//   cg-probe FILE...      (or "-": one program read from standard input)
//
// Each FILE holds a fragment program whose entry `main` returns a float4 : COLOR and may read
// float4 TEXCOORD0, whose x runs over the target's pixels from 0 to 1, or (with "//@ vertex") a
// vertex program whose entry `main` passes its POSITION input on as its POSITION output. Lines of
// the file
//   //@ pixels N          the target's width (1 to 256; 1 when absent)
//   //@ NAME x y z w      a uniform float4 of the program and its value (strtof's spelling:
//                         decimal, hex floats, inf, nan)
//   //@ vertex            the file is a vertex program, drawn with a fragment program that
//                         returns one of its varyings as it comes
//   //@ varying SEMANTIC  that varying (COLOR0 when absent; FOG is read as a float)
//   //@ backface          the quad is drawn facing away, with two-sided colours on
//   //@ clip N            clip distance N is enabled
//   //@ point             one point at the target's centre instead of the quad, its size the
//                         program's PSIZE output
// set up the draw. A vertex program's inputs of GL's conventional attributes (POSITION, NORMAL,
// COLOR0/1, TEXCOORD0-7, FOGCOORD) are fed through GL's own calls, distinct values for each
// attribute and corner; every other input (ATTRn, TANGENT, an input without a semantic, ...)
// reads a generic attribute, and each active generic attribute of the linked program is fed the
// same values: the runtimes name and place those differently, and what matters is that both read
// what was fed. Every sampler2D of the program reads a 4x4 float texture of known texels with
// nearest filtering. For each FILE the output is one line "== FILE", then either one line per
// pixel, its four components as hex floats ("%a"; nan and inf spelled so, with their sign), or
// "error: " and the first line of the compiler's listing. The status is 0 when every file ran,
// 1 when some did not compile, 2 when nothing could run at all.
#include <epoxy/gl.h>
#include <GL/freeglut.h>

#include <Cg/cg.h>
#include <Cg/cgGL.h>

#include "../corpus/DrawTargets.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int MAX_PIXELS = 256;
constexpr int TEXTURE_SIZE = 4;

const char* const VERTEX_SOURCE =
    "void main(float4 p : POSITION, float4 t : TEXCOORD0,\n"
    "          out float4 op : POSITION, out float4 ot : TEXCOORD0)\n"
    "{\n"
    "    op = p;\n"
    "    ot = t;\n"
    "}\n";

struct Setup {
    int pixels = 1;
    std::vector<std::pair<std::string, std::vector<float>>> uniforms;
    bool vertex = false;
    std::string varying = "COLOR0";
    bool backface = false;
    bool point = false;
    std::vector<int> clipDistances;
};

// The switches of a vertex draw; false when the line is none of them.
bool readVertexSetup(const std::string& name, std::istringstream& words, Setup& setup) {
    if (name == "vertex") {
        setup.vertex = true;
    } else if (name == "backface") {
        setup.backface = true;
    } else if (name == "point") {
        setup.point = true;
    } else if (name == "varying") {
        words >> setup.varying;
    } else if (name == "clip") {
        int n = -1;
        words >> n;
        setup.clipDistances.push_back(n);
    } else {
        return false;
    }
    return true;
}

// The "//@" lines; an unreadable one is reported and ends the run of that file.
bool readSetup(const std::string& source, Setup& setup, std::string& error) {
    std::istringstream lines(source);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.compare(0, 3, "//@") != 0) {
            continue;
        }
        std::istringstream words(line.substr(3));
        std::string name;
        words >> name;
        if (name == "pixels") {
            if (!(words >> setup.pixels) || setup.pixels < 1 || setup.pixels > MAX_PIXELS) {
                error = "bad pixel count: " + line;
                return false;
            }
            continue;
        }
        if (readVertexSetup(name, words, setup)) {
            if (setup.varying.empty() ||
                (!setup.clipDistances.empty() &&
                 (setup.clipDistances.back() < 0 || setup.clipDistances.back() > 5))) {
                error = "bad vertex setup: " + line;
                return false;
            }
            continue;
        }
        std::vector<float> value;
        std::string word;
        while (words >> word && value.size() < 4) {
            char* end = nullptr;
            value.push_back(std::strtof(word.c_str(), &end));
            if (end == word.c_str() || *end != '\0') {
                error = "bad uniform value: " + line;
                return false;
            }
        }
        if (name.empty() || value.size() != 4) {
            error = "a uniform needs a name and four values: " + line;
            return false;
        }
        setup.uniforms.emplace_back(name, value);
    }
    return true;
}

std::string firstLine(const char* listing) {
    std::string text = listing != nullptr ? listing : "";
    const std::size_t at = text.find("error");
    const std::size_t begin = at == std::string::npos ? 0 : text.rfind('\n', at) + 1;
    return text.substr(begin, text.find('\n', begin) - begin);
}

GLuint makeTexture() {
    // Texels no filter could produce from their neighbours, none of them 0 or 1.
    std::vector<float> texels(TEXTURE_SIZE * TEXTURE_SIZE * 4);
    for (std::size_t i = 0; i < texels.size(); ++i) {
        texels[i] = static_cast<float>(i + 1) / 128.0f;
    }
    // Coordinates outside [0, 1] wrap (GL's default), as the probes of tex2D expect.
    return makeNearestTexture(GL_RGBA32F, TEXTURE_SIZE, GL_FLOAT, texels.data());
}

void setUniforms(CGprogram program, const Setup& setup, GLuint texture) {
    for (const auto& [name, v] : setup.uniforms) {
        if (CGparameter p = cgGetNamedParameter(program, name.c_str())) {
            cgSetParameter4f(p, v[0], v[1], v[2], v[3]);
        }
    }
    bindToEverySampler2D(program, texture);
}

// What a vertex probe feeds: a value for each conventional attribute, corner and component that
// no interpolation of the others gives, none of them 0 or 1, all of them exact in a float.
enum FedAttribute {
    NORMAL_FED,
    COLOR_FED,
    SECONDARY_COLOR_FED,
    TEXCOORD_FED,
    FOG_FED = 11,
    GENERIC_FED
};

float fed(int attribute, int corner, int component) {
    return static_cast<float>(1 + 16 * attribute + 4 * corner + component) / 64.0f;
}

struct Generic {
    GLint location;
    bool integer;  // cgc declares int inputs as integer attributes (EXT_gpu_shader4)
};

bool integerType(GLenum type) {
    switch (type) {
        case GL_INT:
        case GL_INT_VEC2:
        case GL_INT_VEC3:
        case GL_INT_VEC4:
        case GL_UNSIGNED_INT:
        case GL_UNSIGNED_INT_VEC2:
        case GL_UNSIGNED_INT_VEC3:
        case GL_UNSIGNED_INT_VEC4:
            return true;
        default:
            return false;
    }
}

// The linked program's generic attributes: those not named gl_.
std::vector<Generic> genericAttributes() {
    GLint program = 0, count = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    if (program == 0) {
        return {};
    }
    glGetProgramiv(static_cast<GLuint>(program), GL_ACTIVE_ATTRIBUTES, &count);
    std::vector<Generic> generic;
    for (GLint i = 0; i < count; ++i) {
        char name[256] = {};
        GLint size = 0;
        GLenum type = 0;
        glGetActiveAttrib(static_cast<GLuint>(program), static_cast<GLuint>(i), sizeof name,
                          nullptr, &size, &type, name);
        if (std::strncmp(name, "gl_", 3) != 0) {
            generic.push_back(
                {glGetAttribLocation(static_cast<GLuint>(program), name), integerType(type)});
        }
    }
    return generic;
}

// An integer attribute gets the generic values truncated: what a float attribute read as an int
// gives.
void feedGeneric(const Generic& g, float x, float y, float z, float w) {
    const auto location = static_cast<GLuint>(g.location);
    if (g.integer) {
        glVertexAttribI4i(location, static_cast<GLint>(x), static_cast<GLint>(y),
                          static_cast<GLint>(z), static_cast<GLint>(w));
    } else {
        glVertexAttrib4f(location, x, y, z, w);
    }
}

void feedVertexInputs(int corner, const std::vector<Generic>& generic) {
    const auto at = [corner](int attribute, int component) {
        return fed(attribute, corner, component);
    };
    glNormal3f(at(NORMAL_FED, 0), at(NORMAL_FED, 1), at(NORMAL_FED, 2));
    glColor4f(at(COLOR_FED, 0), at(COLOR_FED, 1), at(COLOR_FED, 2), at(COLOR_FED, 3));
    glSecondaryColor3f(at(SECONDARY_COLOR_FED, 0), at(SECONDARY_COLOR_FED, 1),
                       at(SECONDARY_COLOR_FED, 2));
    for (int unit = 0; unit < 8; ++unit) {
        const int a = TEXCOORD_FED + unit;
        glMultiTexCoord4f(GL_TEXTURE0 + static_cast<GLenum>(unit), at(a, 0), at(a, 1), at(a, 2),
                          at(a, 3));
    }
    glFogCoordf(at(FOG_FED, 0));
    for (const Generic& g : generic) {
        // Attribute 0 is the position, which glVertex gives last.
        if (g.location > 0) {
            feedGeneric(g, at(GENERIC_FED, 0), at(GENERIC_FED, 1), at(GENERIC_FED, 2),
                        at(GENERIC_FED, 3));
        }
    }
}

// One quad over the whole target; a fragment probe's TEXCOORD0 runs from (0, 0) to (1, 1).
void drawQuad(const Setup& setup) {
    const std::vector<Generic> generic =
        setup.vertex ? genericAttributes() : std::vector<Generic>();
    if (setup.point) {
        glBegin(GL_POINTS);
        feedVertexInputs(0, generic);
        glVertex2f(0.0f, 0.0f);
        glEnd();
        return;
    }
    const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    glBegin(GL_QUADS);
    for (int k = 0; k < 4; ++k) {
        const int corner = setup.backface ? 3 - k : k;
        const float* c = corners[corner];
        if (setup.vertex) {
            feedVertexInputs(corner, generic);
        } else {
            glMultiTexCoord4f(GL_TEXTURE0, c[0], c[1], 0.0f, 1.0f);
        }
        glVertex2f(c[0] * 2.0f - 1.0f, c[1] * 2.0f - 1.0f);
    }
    glEnd();
}

// The GL state a vertex probe's outputs need to show: two-sided colours, point sizes, clip
// distances.
void enableVertexState(const Setup& setup, bool on) {
    std::vector<GLenum> caps;
    if (setup.backface) {
        caps.push_back(GL_VERTEX_PROGRAM_TWO_SIDE);
    }
    if (setup.point) {
        caps.push_back(GL_VERTEX_PROGRAM_POINT_SIZE);
    }
    for (int n : setup.clipDistances) {
        caps.push_back(GL_CLIP_DISTANCE0 + static_cast<GLenum>(n));
    }
    for (GLenum cap : caps) {
        on ? glEnable(cap) : glDisable(cap);
    }
}

// The fragment program that shows a vertex probe's varying as it comes.
std::string passThrough(const std::string& varying) {
    if (varying == "FOG") {
        return "float4 main(float v : FOG) : COLOR { return float4(v, 0, 0, 1); }\n";
    }
    return "float4 main(float4 v : " + varying + ") : COLOR { return v; }\n";
}

std::string spell(float v) {
    if (std::isnan(v)) {
        return std::signbit(v) ? "-nan" : "nan";
    }
    if (std::isinf(v)) {
        return v < 0 ? "-inf" : "inf";
    }
    char text[48];
    std::snprintf(text, sizeof text, "%a", static_cast<double>(v));
    return text;
}

struct Probe {
    CGprofile vertexProfile, fragmentProfile;
    GLuint texture;
};

// The pixels the bound programs draw.
std::vector<float> render(const Setup& setup) {
    glViewport(0, 0, setup.pixels, 1);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    enableVertexState(setup, true);
    drawQuad(setup);
    enableVertexState(setup, false);
    std::vector<float> pixels(static_cast<std::size_t>(setup.pixels) * 4);
    glReadPixels(0, 0, setup.pixels, 1, GL_RGBA, GL_FLOAT, pixels.data());
    return pixels;
}

// Draws the program once; false (and the reason printed) when it did not run.
bool draw(const Probe& probe, CGcontext context, const std::string& source) {
    Setup setup;
    std::string error;
    if (!readSetup(source, setup, error)) {
        std::printf("error: %s\n", error.c_str());
        return false;
    }
    const std::string vertexSource = setup.vertex ? source : VERTEX_SOURCE;
    const std::string fragmentSource = setup.vertex ? passThrough(setup.varying) : source;
    CGprogram vertex = cgCreateProgram(context, CG_SOURCE, vertexSource.c_str(),
                                       probe.vertexProfile, "main", nullptr);
    CGprogram fragment = cgCreateProgram(context, CG_SOURCE, fragmentSource.c_str(),
                                         probe.fragmentProfile, "main", nullptr);
    if (vertex == nullptr || fragment == nullptr) {
        std::printf("error: %s\n", firstLine(cgGetLastListing(context)).c_str());
        return false;
    }
    cgGetError();
    // A fragment probe's vertex program passes TEXCOORD0 on, as the fixed-function stage does.
    const auto [vertexStage, fragmentStage] = bindPair(vertex, fragment, setup.vertex);
    cgGLEnableProfile(probe.vertexProfile);
    cgGLEnableProfile(probe.fragmentProfile);
    setUniforms(setup.vertex ? vertexStage : fragmentStage, setup, probe.texture);
    if (cgGetError() != CG_NO_ERROR) {
        std::printf("error: not bound: %s\n", firstLine(cgGetLastListing(context)).c_str());
        return false;
    }
    const std::vector<float> pixels = render(setup);
    cgGLDisableProfile(probe.fragmentProfile);
    cgGLDisableProfile(probe.vertexProfile);
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        std::printf("%s %s %s %s\n", spell(pixels[i]).c_str(), spell(pixels[i + 1]).c_str(),
                    spell(pixels[i + 2]).c_str(), spell(pixels[i + 3]).c_str());
    }
    return true;
}

// Prints the file's block, each file in a context of its own that goes with it; false when it did
// not run.
bool runOne(const Probe& probe, const std::string& name, const std::string& source) {
    std::printf("== %s\n", name.c_str());
    CGcontext context = cgCreateContext();
    const bool ran = draw(probe, context, source);
    cgDestroyContext(context);
    return ran;
}

// A regular file only: a directory would throw and a FIFO could block for ever.
bool readSource(const std::string& name, std::string& source) {
    if (name == "-") {
        source.assign(std::istreambuf_iterator<char>(std::cin), {});
        return true;
    }
    std::error_code error;
    if (!std::filesystem::is_regular_file(name, error)) {
        return false;
    }
    std::ifstream in(name, std::ios::binary);
    source.assign(std::istreambuf_iterator<char>(in), {});
    return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE... (- for standard input)\n", argv[0]);
        return 2;
    }
    glutInitWindowSize(MAX_PIXELS, 1);
    glutInitDisplayMode(GLUT_RGBA);
    glutCreateWindow("cg probe");
    // Values outside [0, 1] and non-finite ones must reach the target as they are.
    glClampColor(GL_CLAMP_VERTEX_COLOR, GL_FALSE);
    glClampColor(GL_CLAMP_FRAGMENT_COLOR, GL_FALSE);
    glClampColor(GL_CLAMP_READ_COLOR, GL_FALSE);
    const Probe probe{cgGetProfile("glslv"), cgGetProfile("glslf"), makeTexture()};
    if (probe.vertexProfile == CG_PROFILE_UNKNOWN || probe.fragmentProfile == CG_PROFILE_UNKNOWN) {
        std::fprintf(stderr, "%s: this runtime has no GLSL profiles\n", argv[0]);
        return 2;
    }
    makeFloatTarget(MAX_PIXELS, 1);
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        std::string source;
        if (!readSource(argv[i], source)) {
            std::printf("== %s\nerror: not a file that can be read\n", argv[i]);
            status = 1;
            continue;
        }
        status = runOne(probe, argv[i], source) ? status : 1;
        std::fflush(stdout);
    }
    return status;
}
