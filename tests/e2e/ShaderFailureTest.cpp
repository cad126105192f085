// The program started with broken shader sources: what it prints and how it ends.
#include <gtest/gtest.h>

#include <Cg/cg.h>

#include "Harness.h"

#include <chrono>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string VERTEX = "vp_ShadowMapping.cg";
const std::string FRAGMENT = "fp_ShadowMapping.cg";
const std::string VERTEX_PATH = "../src/ShadowMapping/resource/cg/" + VERTEX;
const std::string FRAGMENT_PATH = "../src/ShadowMapping/resource/cg/" + FRAGMENT;
// Start-up with shaders takes well under a second here; a hang must not pass for an exit.
const double EXIT_WITHIN_SECONDS = 20.0;

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

struct DemoRun {
    int status = -1;
    std::string out;
};

DemoRun runIn(const e2e::TempTree& tree) {
    DemoRun run;
    run.status = e2e::runToExit(tree.runDir(), run.out, EXIT_WITHIN_SECONDS);
    return run;
}

// The Cg error report: the runtime's text, an empty line, the listing, the closing line; nothing
// else (no frame ran: a GL error report would show here). Returns the listing.
std::string expectCgErrorReport(const DemoRun& run, CGerror error) {
    EXPECT_EQ(run.status, 255) << run.out;
    const std::vector<std::string> lines = linesOf(run.out);
    EXPECT_GE(lines.size(), 4u) << run.out;
    if (lines.size() < 4) {
        return "";
    }
    EXPECT_EQ(lines[0], cgGetErrorString(error)) << run.out;
    EXPECT_EQ(lines[1], "") << run.out;
    EXPECT_EQ(lines.back(), "Cg error, exiting...") << run.out;
    EXPECT_EQ(run.out.back(), '\n');
    std::string listing;
    for (std::size_t i = 2; i + 1 < lines.size(); ++i) {
        listing += lines[i] + "\n";
    }
    EXPECT_FALSE(listing.empty()) << run.out;
    return listing;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

}  // namespace

TEST(ShaderFailureTest, MissingVertexSourceNamesThePathAndTheReason) {
    e2e::TempTree tree;
    tree.removeShader(VERTEX);
    const std::string listing = expectCgErrorReport(runIn(tree), CG_FILE_READ_ERROR);
    EXPECT_TRUE(contains(listing, VERTEX_PATH)) << listing;
    EXPECT_TRUE(contains(listing, "No such file or directory")) << listing;
}

TEST(ShaderFailureTest, AClosedOutputLosesTheReportButNotTheStatus) {
    e2e::TempTree tree;
    tree.removeShader(VERTEX);
    e2e::DemoProcess demo(tree.runDir(), {}, e2e::ClosedPipe::Output);
    ASSERT_TRUE(demo.waitExit(EXIT_WITHIN_SECONDS));
    EXPECT_FALSE(demo.signalled()) << "status " << demo.exitStatus();
    EXPECT_EQ(demo.exitStatus(), 255);
}

TEST(ShaderFailureTest, AFifoAsVertexSourceIsRefusedWithoutWaiting) {
    e2e::TempTree tree;
    tree.removeShader(VERTEX);
    // A FIFO with no writer: opening it to read would wait for ever.
    ASSERT_EQ(e2e::shell("mkfifo '" + tree.cgDir() + "/" + VERTEX + "'"), 0);
    const std::string listing = expectCgErrorReport(runIn(tree), CG_FILE_READ_ERROR);
    EXPECT_EQ(listing, VERTEX_PATH + " : error: cannot read the file: it is not a regular file\n");
}

TEST(ShaderFailureTest, AByteOrderMarkBeforeTheSourcesIsSkipped) {
    e2e::TempTree tree;
    for (const std::string& name : {VERTEX, FRAGMENT}) {
        tree.writeShader(name, "\xEF\xBB\xBF" + tree.readShader(name));
    }
    e2e::DemoProcess demo(tree.runDir());
    EXPECT_FALSE(demo.waitExit(3.0)) << demo.output();
    EXPECT_EQ(demo.output(), "");
}

// Mesa's overrides stand in for old drivers; its shader cache would answer for a newer one.
class MesaOverride {
  public:
    MesaOverride(const char* gl, const char* glsl) {
        setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
        setenv("MESA_GL_VERSION_OVERRIDE", gl, 1);
        setenv("MESA_GLSL_VERSION_OVERRIDE", glsl, 1);
    }
    ~MesaOverride() {
        unsetenv("MESA_SHADER_CACHE_DISABLE");
        unsetenv("MESA_GL_VERSION_OVERRIDE");
        unsetenv("MESA_GLSL_VERSION_OVERRIDE");
    }
};

TEST(ShaderFailureTest, AnOldDriverIsToldWhatTheShadersNeed) {
    e2e::TempTree tree;
    const std::string need = "error: the shader programs need OpenGL 2.0 with GLSL 1.20; ";
    {
        MesaOverride old("1.5", "450");
        const std::string listing = expectCgErrorReport(runIn(tree), CG_INVALID_PROFILE_ERROR);
        EXPECT_TRUE(contains(listing, need + "this driver offers OpenGL 1.5")) << listing;
    }
    {
        MesaOverride old("2.1", "110");
        const std::string listing = expectCgErrorReport(runIn(tree), CG_INVALID_PROFILE_ERROR);
        EXPECT_TRUE(contains(listing, need + "this driver offers OpenGL 2.1")) << listing;
    }
    // The least that runs them.
    MesaOverride least("2.0", "120");
    e2e::DemoProcess demo(tree.runDir());
    EXPECT_FALSE(demo.waitExit(3.0)) << demo.output();
    EXPECT_EQ(demo.output(), "");
}

TEST(ShaderFailureTest, SyntaxErrorInFragmentSourceNamesTheFileAndLine) {
    e2e::TempTree tree;
    std::vector<std::string> lines = linesOf(tree.readShader(FRAGMENT));
    std::size_t broken = 0;
    for (std::size_t i = 0; i < lines.size() && broken == 0; ++i) {
        if (contains(lines[i], "float storedDepth")) {
            lines[i] = "    float storedDepth = ;";
            broken = i + 1;
        }
    }
    ASSERT_NE(broken, 0u) << "the fragment source changed: pick another line to break";
    std::string source;
    for (const std::string& line : lines) {
        source += line + "\n";
    }
    tree.writeShader(FRAGMENT, source);

    const std::string listing = expectCgErrorReport(runIn(tree), CG_COMPILER_ERROR);
    EXPECT_TRUE(contains(listing, FRAGMENT_PATH + "(" + std::to_string(broken) + ") : error"))
        << "expected line " << broken << " in:\n"
        << listing;
}

TEST(ShaderFailureTest, SourcesThatAreNoProgramEndWithACgError) {
    e2e::TempTree tree;
    const std::string vertex = tree.readShader(VERTEX);
    const std::string fragment = tree.readShader(FRAGMENT);

    // Unknown entry name.
    tree.writeShader(VERTEX, replaceAll(vertex, "vp_shadowMapping(", "vp_renamed("));
    std::string listing = expectCgErrorReport(runIn(tree), CG_COMPILER_ERROR);
    EXPECT_TRUE(contains(listing, VERTEX_PATH)) << listing;
    EXPECT_TRUE(contains(listing, "'vp_shadowMapping'")) << listing;
    tree.writeShader(VERTEX, vertex);

    // Empty file.
    tree.writeShader(FRAGMENT, "");
    listing = expectCgErrorReport(runIn(tree), CG_COMPILER_ERROR);
    EXPECT_TRUE(contains(listing, FRAGMENT_PATH)) << listing;

    // Binary garbage.
    std::mt19937 random(7);
    std::string garbage(4096, '\0');
    for (char& c : garbage) {
        c = static_cast<char>(random() & 0xff);
    }
    tree.writeShader(FRAGMENT, garbage);
    listing = expectCgErrorReport(runIn(tree), CG_COMPILER_ERROR);
    EXPECT_TRUE(contains(listing, FRAGMENT_PATH)) << listing;

    // A source that the shader compiler dies on: its stack overflows on 100,000 nested
    // parentheses.
    const std::string deep(100000, '(');
    tree.writeShader(FRAGMENT, "float4 fp_shadowMapping() : COLOR { return " + deep + "1" +
                                   std::string(deep.size(), ')') + "; }");
    listing = expectCgErrorReport(runIn(tree), CG_COMPILER_ERROR);
    EXPECT_TRUE(contains(listing, FRAGMENT_PATH + " : error: the shader compiler crashed"))
        << listing;
    tree.writeShader(FRAGMENT, fragment);

    // A 5 MB source: refused without being parsed, so quickly.
    std::string huge = vertex;
    const std::string filler = "// " + std::string(96, '=') + "\n";
    while (huge.size() < 5 * 1024 * 1024) {
        huge += filler;
    }
    tree.writeShader(VERTEX, huge);
    const auto start = std::chrono::steady_clock::now();
    listing = expectCgErrorReport(runIn(tree), CG_COMPILER_ERROR);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_TRUE(contains(listing, VERTEX_PATH)) << listing;
    EXPECT_TRUE(contains(listing, std::to_string(huge.size()) + " bytes")) << listing;
    EXPECT_LT(seconds, EXIT_WITHIN_SECONDS);
}

TEST(ShaderFailureTest, MissingParametersGiveOneLineAndStatusOne) {
    e2e::TempTree tree;
    const std::string vertex = tree.readShader(VERTEX);

    tree.writeShader(VERTEX, replaceAll(vertex, "diffuseColor", "baseColor"));
    DemoRun run = runIn(tree);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "Unable to retrieve program parameters, exiting...\n");

    tree.writeShader(VERTEX, replaceAll(replaceAll(vertex, "diffuseColor", "baseColor"),
                                        "lightPosition", "lampPosition"));
    run = runIn(tree);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "Unable to retrieve program parameters, exiting...\n");
}
