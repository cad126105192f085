// cg-translate: a Cg source file to GLSL on the command line, through the same translation (and
// the same child process) as the runtime, for people porting shaders and for the corpus check.
#include "CgIsolation.h"
#include "CgSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

const char* const USAGE =
    "usage: cg-translate [-I DIR]... [-D NAME[=VALUE]]... -entry NAME -profile PROFILE "
    "[-o FILE] [--stage NAME] FILE\n"
    "       cg-translate --stages\n"
    "  vertex profiles:   glslv arbvp1 vp20 vp30 vp40 gp4vp\n"
    "  fragment profiles: glslf arbfp1 fp20 fp30 fp40 gp4fp\n"
    "  --stage NAME prints what that stage of the translation made, --stages lists them\n";

struct Arguments {
    cgrt::SourceOptions options;
    std::string entry;
    std::string profile;
    std::string output;
    std::string input;
    std::string stage;  // the one to print instead of the GLSL, if any
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
        if (arg == "-entry" || arg == "-profile" || arg == "-o" || arg == "--stage") {
            if (i + 1 >= argc) {
                throw arg + " needs a value";
            }
            (arg == "-entry"     ? a.entry
             : arg == "-profile" ? a.profile
             : arg == "-o"       ? a.output
                                 : a.stage) = argv[++i];
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
    const std::vector<std::string> stages = cgrt::stageNames();
    if (!a.stage.empty() && std::find(stages.begin(), stages.end(), a.stage) == stages.end()) {
        throw "unknown stage " + a.stage + " (--stages lists them)";
    }
    if (sameFile(a.input, a.output)) {
        throw "-o " + a.output + " is the source file itself";
    }
    return a;
}

bool write(const Arguments& args, const std::string& text) {
    if (args.output.empty()) {
        std::cout << text;
        return static_cast<bool>(std::cout.flush());
    }
    std::ofstream out(args.output, std::ios::binary);
    out << text;
    if (!out.flush()) {
        std::cerr << cgrt::format(cgrt::CgError{args.output, 0, "cannot write the file"});
        return false;
    }
    return true;
}

// The output of one stage, and the errors of those up to it. The stages run in this process:
// the child that guards the runtime hands out only the finished translation.
int printStage(const Arguments& args, const std::string& text, cgrt::Stage stage) {
    const std::vector<cgrt::StageOutput> stages =
        cgrt::translateStages(text, args.input, stage, args.entry);
    for (const cgrt::StageOutput& s : stages) {
        std::cerr << cgrt::format(s.errors);
        if (s.name == args.stage) {
            return write(args, s.output) && !s.failed ? 0 : 1;
        }
    }
    std::cerr << "cg-translate: the translation stopped at the "
              << (stages.empty() ? "source" : stages.back().name) << " stage, before the "
              << args.stage << " stage\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    // Without standard output the GLSL has nowhere to go: that is a failure, not a success.
    const bool outputClosed = fcntl(STDOUT_FILENO, F_GETFD) < 0;
    Arguments args;
    cgrt::Stage stage = cgrt::Stage::Vertex;
    if (argc == 2 && std::string(argv[1]) == "--stages") {
        for (const std::string& name : cgrt::stageNames()) {
            std::cout << name << "\n";
        }
        return std::cout.flush() ? 0 : 1;
    }
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
    if (!args.stage.empty()) {
        return printStage(args, source.text, stage);
    }
    const cgrt::Translation t = cgrt::translateApart(source.text, args.input, stage, args.entry);
    std::cerr << t.listing;
    return t.ok && write(args, t.glsl) ? 0 : 1;
}
