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
    // The same for a FIFO that the source includes: refused at the include line.
    tree.removeShader(VERTEX);
    tree.writeShader(VERTEX, "#include \"fifo.h\"\n" + tree.readShader(FRAGMENT));
    ASSERT_EQ(e2e::shell("mkfifo '" + tree.cgDir() + "/fifo.h'"), 0);
    EXPECT_EQ(expectCgErrorReport(runIn(tree), CG_COMPILER_ERROR),
              VERTEX_PATH + "(1) : error: cannot read the include file \"fifo.h\": it is not a "
                            "regular file\n");
}

// What an include names goes through the same guards as the file itself, and the listing names
// the include line: nothing is waited on or read without end.
TEST(ShaderFailureTest, IncludesOfWhatIsNoSourceAreRefusedAtTheirLine) {
    e2e::TempTree tree;
    const std::string vertex = tree.readShader(VERTEX);
    // A folder, and 200 MB that take no room (a FIFO: see the test above, which Wine leaves out).
    ASSERT_EQ(e2e::shell("cd '" + tree.cgDir() + "' && mkdir folder.h && truncate -s 200000000 big.h"),
              0);
    struct Case {
        const char* include;
        const char* failure;
    };
    const Case cases[] = {
        {"folder.h", "cannot read the include file \"folder.h\": Is a directory"},
        {"big.h", "the include file \"big.h\" is too long (200000000 bytes); at most 1048576 "
                  "bytes are accepted"},
    };
    for (const Case& c : cases) {
        tree.writeShader(VERTEX, "#include \"" + std::string(c.include) + "\"\n" + vertex);
        const std::string listing = expectCgErrorReport(runIn(tree), CG_COMPILER_ERROR);
        EXPECT_EQ(listing, VERTEX_PATH + "(1) : error: " + c.failure + "\n");
    }
}

// With standard error closed, the next descriptor opened would be 2 and take what the GL library
// writes there (LIBGL_DEBUG makes it write): the translator's socket must not be that one.
TEST(ShaderFailureTest, AClosedErrorStreamLeavesTheTranslatorAlone) {
    e2e::TempTree tree;
    tree.writeShader(FRAGMENT, "float x = ;\n" + tree.readShader(FRAGMENT));
    std::string out;
    const int status =
        e2e::shell("cd '" + tree.runDir() + "' && LIBGL_DEBUG=verbose timeout -s KILL " +
                       std::to_string(static_cast<int>(EXIT_WITHIN_SECONDS)) + " '" +
                       e2e::demoBinary() + "' 2>&-",
                   &out);
    EXPECT_EQ(status, 255) << out;
    EXPECT_TRUE(contains(out, FRAGMENT_PATH + "(1) : error:")) << out;
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

namespace {

std::string translator() {
    return "'" + e2e::buildDir() + "/cg-translate' -entry main -profile glslf ";
}

}  // namespace

// cg-translate: arguments that cannot be right are refused before anything is written, and output
// that cannot be written is a failure.
TEST(ShaderFailureTest, CgTranslateRefusesArgumentsThatCannotBeRight) {
    e2e::TempTree tree;
    const std::string source = tree.cgDir() + "/pass.cg";
    const std::string text = "float4 main(float4 c : COLOR0) : COLOR { return c; }\n";
    tree.writeShader("pass.cg", text);
    ASSERT_EQ(e2e::shell("ln '" + source + "' '" + tree.cgDir() + "/link.cg'"), 0);
    struct Case {
        std::string args;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {"-o '" + source + "' '" + source + "'", 2,
         "cg-translate: -o " + source + " is the source file itself"},
        {"-o '" + tree.cgDir() + "/link.cg' '" + source + "'", 2,
         "cg-translate: -o " + tree.cgDir() + "/link.cg is the source file itself"},
        {"-D=1 '" + source + "'", 2, "cg-translate: -D=1: a macro name must come first"},
        {"-DX=1 -DX=2 '" + source + "'", 2, "cg-translate: -DX is given twice, as \"1\" and \"2\""},
        {"'-DX=1\n#error injected' '" + source + "'", 2,
         "cg-translate: -DX=1: the value has a line break"},
        {"'" + source + "' >&-", 1,
         "cg-translate: standard output is closed: the GLSL cannot be written"},
    };
    for (const Case& c : cases) {
        std::string out;
        // Standard error first, so that the case that closes standard output still has it.
        EXPECT_EQ(e2e::shell(translator() + "2>&1 " + c.args, &out), c.status) << c.args;
        EXPECT_EQ(out.substr(0, out.find('\n')), c.message) << out;
    }
    EXPECT_EQ(tree.readShader("pass.cg"), text);
}

// Killed while its translator works on a source that never ends, cg-translate takes the
// translator with it.
TEST(ShaderFailureTest, CgTranslateKilledTakesItsTranslatorWithIt) {
    e2e::TempTree tree;
    std::string bomb = "#define A0 x x\n";
    for (int i = 1; i < 40; ++i) {
        const std::string before = "A" + std::to_string(i - 1);
        bomb += "#define A" + std::to_string(i) + " " + before + " " + before + "\n";
    }
    tree.writeShader("bomb.cg", bomb + "float4 main() : COLOR { float x = 1.0; return A39; }\n");
    std::string state;
    // The translator's state once cg-translate is gone: none (ended and reaped) or Z (ended).
    const int status = e2e::shell(
        translator() + "'" + tree.cgDir() +
            "/bomb.cg' 2>/dev/null & p=$!; c=; "
            "for i in $(seq 100); do c=$(pgrep -P $p); [ -n \"$c\" ] && break; sleep 0.05; done; "
            "[ -n \"$c\" ] || exit 3; sleep 0.5; kill -9 $p; sleep 1; "
            "awk '{print $3}' /proc/$c/stat 2>/dev/null; kill -9 $c 2>/dev/null; exit 0",
        &state);
    EXPECT_EQ(status, 0) << "no translator child seen";
    EXPECT_TRUE(state.empty() || state == "Z\n") << "the translator is still " << state;
}
