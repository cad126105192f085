// cg-translate: a Cg source file to GLSL on the command line, through the same translation (and
// the same child process) as the runtime, for people porting shaders and for the corpus check.
#include "CgIsolation.h"
#include "CgSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

const char* const USAGE =
    "usage: cg-translate [-I DIR]... [-D NAME[=VALUE]]... -entry NAME -profile PROFILE "
    "[-o FILE] FILE\n"
    "  vertex profiles:   glslv arbvp1 vp20 vp30 vp40 gp4vp\n"
    "  fragment profiles: glslf arbfp1 fp20 fp30 fp40 gp4fp\n";

struct Arguments {
    cgrt::SourceOptions options;
    std::string entry;
    std::string profile;
    std::string output;
    std::string input;
};

bool stageOf(const std::string& profile, cgrt::Stage& stage) {
    static const char* const VERTEX[] = {"glslv", "arbvp1", "vp20", "vp30", "vp40", "gp4vp"};
    static const char* const FRAGMENT[] = {"glslf", "arbfp1", "fp20", "fp30", "fp40", "gp4fp"};
    for (const char* p : VERTEX) {
        if (profile == p) {
            stage = cgrt::Stage::Vertex;
            return true;
        }
    }
    for (const char* p : FRAGMENT) {
        if (profile == p) {
            stage = cgrt::Stage::Fragment;
            return true;
        }
    }
    return false;
}

// Takes "-I DIR" and "-IDIR" alike, as compilers do.
bool takeValue(int argc, char** argv, int& i, const char* flag, std::string& value) {
    const std::size_t n = std::strlen(flag);
    if (std::strncmp(argv[i], flag, n) != 0) {
        return false;
    }
    if (argv[i][n] != '\0') {
        value = argv[i] + n;
        return true;
    }
    if (i + 1 >= argc) {
        throw std::string(flag) + " needs a value";
    }
    value = argv[++i];
    return true;
}

// By inode, so that another name of the source (a link, "./") is caught too.
bool sameFile(const std::string& a, const std::string& b) {
    struct stat first {
    }, second{};
    return !b.empty() && stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

Arguments parse(int argc, char** argv) {
    Arguments a;
    for (int i = 1; i < argc; ++i) {
        std::string value;
        const std::string arg = argv[i];
        if (arg == "-entry" || arg == "-profile" || arg == "-o") {
            if (i + 1 >= argc) {
                throw arg + " needs a value";
            }
            (arg == "-entry" ? a.entry : arg == "-profile" ? a.profile : a.output) = argv[++i];
        } else if (takeValue(argc, argv, i, "-I", value)) {
            a.options.includeDirs.push_back(value);
        } else if (takeValue(argc, argv, i, "-D", value)) {
            a.options.defines.push_back(value);
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw "unknown option " + arg;
        } else if (a.input.empty()) {
            a.input = arg;
        } else {
            throw "only one source file is taken (" + a.input + ", " + arg + ")";
        }
    }
    if (a.input.empty() || a.entry.empty() || a.profile.empty()) {
        throw std::string("a FILE, -entry and -profile are needed");
    }
    if (const std::string problem = cgrt::definitionProblem(a.options); !problem.empty()) {
        throw problem;
    }
    if (sameFile(a.input, a.output)) {
        throw "-o " + a.output + " is the source file itself";
    }
    return a;
}

}  // namespace

int main(int argc, char** argv) {
    // Without standard output the GLSL has nowhere to go: that is a failure, not a success.
    const bool outputClosed = fcntl(STDOUT_FILENO, F_GETFD) < 0;
    Arguments args;
    cgrt::Stage stage = cgrt::Stage::Vertex;
    try {
        args = parse(argc, argv);
        if (!stageOf(args.profile, stage)) {
            throw "unknown profile " + args.profile;
        }
    } catch (const std::string& why) {
        std::cerr << "cg-translate: " << why << "\n" << USAGE;
        return 2;
    }
    // The translator starts while the source is read; it also gives closed streams /dev/null,
    // before anything else could take their descriptors.
    cgrt::prepareTranslations();
    if (args.output.empty() && outputClosed) {
        std::cerr << "cg-translate: standard output is closed: the GLSL cannot be written\n";
        return 1;
    }
    const cgrt::ExpandedSource source = cgrt::readCgSource(args.input, args.options);
    if (!source.ok) {
        std::cerr << source.listing;
        return 1;
    }
    const cgrt::Translation t = cgrt::translateApart(source.text, args.input, stage, args.entry);
    std::cerr << t.listing;
    if (!t.ok) {
        return 1;
    }
    if (args.output.empty()) {
        std::cout << t.glsl;
        return std::cout.flush() ? 0 : 1;
    }
    std::ofstream out(args.output, std::ios::binary);
    out << t.glsl;
    if (!out.flush()) {
        std::cerr << args.output << " : error: cannot write the file\n";
        return 1;
    }
    return 0;
}
