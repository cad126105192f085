#include "CgSource.h"

#include "CgTranslator.h"

#include <cctype>
#include <fstream>
#include <set>
#include <sstream>

namespace cgrt {
namespace {

// Deeper than any real include chain; a file that includes itself without a guard stops here.
constexpr int MAX_INCLUDE_DEPTH = 32;

}  // namespace

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

namespace {

std::string joined(const std::string& folder, const std::string& file) {
    if (folder.empty() || file.empty() || file[0] == '/' || file[0] == '\\') {
        return file;
    }
    const char last = folder.back();
    return last == '/' || last == '\\' ? folder + file : folder + "/" + file;
}

bool readFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        text.erase(0, 3);
    }
    return !in.bad();
}

// The file an `#include` line names, or false when the line is no include.
bool includedName(const std::string& line, std::string& file) {
    std::size_t i = line.find_first_not_of(" \t");
    if (i == std::string::npos || line[i] != '#') {
        return false;
    }
    i = line.find_first_not_of(" \t", i + 1);
    if (i == std::string::npos || line.compare(i, 7, "include") != 0) {
        return false;
    }
    i = line.find_first_not_of(" \t", i + 7);
    if (i == std::string::npos || (line[i] != '"' && line[i] != '<')) {
        return false;
    }
    const char close = line[i] == '"' ? '"' : '>';
    const std::size_t end = line.find(close, i + 1);
    if (end == std::string::npos) {
        return false;
    }
    file = line.substr(i + 1, end - i - 1);
    return true;
}

bool isPragmaOnce(const std::string& line) {
    std::istringstream words(line);
    std::string hash, pragma, once;
    words >> hash;
    if (hash == "#") {
        words >> pragma;
    } else if (hash.size() > 1 && hash[0] == '#') {
        pragma = hash.substr(1);
    }
    words >> once;
    return pragma == "pragma" && once == "once";
}

// glslang reads the name of a #line marker as a string without escapes.
std::string marker(int line, const std::string& name) {
    return "#line " + std::to_string(line) + " \"" + name + "\"\n";
}

class Expander {
  public:
    explicit Expander(const SourceOptions& options) : options_(options) {}

    bool expand(const std::string& text, const std::string& name, const std::string& folder,
                int depth, std::string& out) {
        std::istringstream lines(text);
        std::string line;
        int number = 0;
        while (std::getline(lines, line)) {
            ++number;
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            std::string file;
            if (isPragmaOnce(line)) {
                onceFiles_.insert(name);
                ++rewrites_;
                out += "\n";
                continue;
            }
            if (!includedName(line, file)) {
                out += line + "\n";
                continue;
            }
            std::string path, included;
            if (!find(file, folder, path, included)) {
                // Left to the preprocessor: an include inside a branch that is not taken is no
                // error, and one that is gets reported with its line.
                ++rewrites_;
                out += "#error cannot open the include file \"" + file + "\"\n";
                continue;
            }
            if (onceFiles_.count(path) != 0) {
                out += "\n";
                continue;
            }
            if (depth >= MAX_INCLUDE_DEPTH) {
                listing_ += name + "(" + std::to_string(number) +
                            ") : error: includes nest deeper than " +
                            std::to_string(MAX_INCLUDE_DEPTH) + " files\n";
                return false;
            }
            ++rewrites_;
            out += marker(1, path);
            if (!expand(included, path, folderOf(path), depth + 1, out)) {
                return false;
            }
            out += "\n" + marker(number + 1, name);
        }
        return true;
    }

    const std::string& listing() const { return listing_; }
    int rewrites() const { return rewrites_; }

  private:
    bool find(const std::string& file, const std::string& folder, std::string& path,
              std::string& text) const {
        path = joined(folder, file);
        if (readFile(path, text)) {
            return true;
        }
        // A tree whose files moved after their includes were written names the shared file with
        // more "../" than it now takes: within the -I folders those steps up are tried without.
        for (std::string rest = file;;) {
            for (const std::string& dir : options_.includeDirs) {
                path = joined(dir, rest);
                if (readFile(path, text)) {
                    return true;
                }
            }
            if (rest.compare(0, 3, "../") != 0) {
                return false;
            }
            rest.erase(0, 3);
        }
    }

    const SourceOptions& options_;
    std::set<std::string> onceFiles_;
    std::string listing_;
    int rewrites_ = 0;
};

std::string definitions(const SourceOptions& options) {
    std::string out;
    for (const std::string& d : options.defines) {
        const std::size_t eq = d.find('=');
        out += "#define " +
               (eq == std::string::npos ? d + " 1" : d.substr(0, eq) + " " + d.substr(eq + 1)) +
               "\n";
    }
    return out;
}

}  // namespace

ExpandedSource expandCgSource(const std::string& text, const std::string& name,
                              const std::string& baseDir, const SourceOptions& options) {
    ExpandedSource result;
    std::string body;
    Expander expander(options);
    result.ok = expander.expand(text, name, baseDir, 0, body);
    result.listing = expander.listing();
    // Without includes or definitions the text goes on as it came, markers and all.
    const std::string defines = definitions(options);
    if (defines.empty() && expander.rewrites() == 0) {
        result.text = text;
    } else {
        result.text = defines + marker(1, name) + body;
    }
    if (result.text.size() > MAX_SOURCE_BYTES) {
        result.ok = false;
        result.listing += name + " : error: the source with its includes is " +
                          std::to_string(result.text.size()) + " bytes long; at most " +
                          std::to_string(MAX_SOURCE_BYTES) + " are accepted\n";
    }
    return result;
}

ExpandedSource readCgSource(const std::string& path, const SourceOptions& options) {
    std::string text;
    if (!readFile(path, text)) {
        ExpandedSource failed;
        failed.listing = path + " : error: cannot read the file\n";
        return failed;
    }
    return expandCgSource(text, path, folderOf(path), options);
}

SourceOptions parseCompilerArgs(const char* const* args, std::string& unknown) {
    SourceOptions options;
    for (; args != nullptr && *args != nullptr; ++args) {
        const std::string arg = *args;
        const bool define = arg.rfind("-D", 0) == 0;
        const bool include = arg.rfind("-I", 0) == 0;
        if (!define && !include) {
            unknown += "warning: the compiler argument \"" + arg + "\" is ignored\n";
            continue;
        }
        std::string value = arg.substr(2);
        if (value.empty() && args[1] != nullptr) {
            value = *++args;
        }
        (define ? options.defines : options.includeDirs).push_back(value);
    }
    return options;
}

}  // namespace cgrt
