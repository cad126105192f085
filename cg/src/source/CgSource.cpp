#include "CgSource.h"

#include "CgFile.h"
#include "CgScan.h"
#include "CgTranslator.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <map>
#include <set>
#include <sstream>

namespace cgrt {
namespace {

// Deeper than any real include chain.
constexpr std::size_t MAX_INCLUDE_DEPTH = 32;

}  // namespace

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

SourceFile readSourceFile(const std::string& path) {
    SourceFile result;
    bool missing = false;
    std::FILE* file = openRegularFile(path.c_str(), result.why, missing);
    if (file == nullptr) {
        result.outcome = missing ? SourceFile::Outcome::Missing : SourceFile::Outcome::Refused;
        return result;
    }
    // One byte past the limit is enough to refuse the rest unread.
    char buffer[65536];
    std::size_t got = 0;
    while (result.text.size() <= MAX_SOURCE_BYTES &&
           (got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        result.text.append(buffer, got);
    }
    const int error = errno;
    const bool failed = std::ferror(file) != 0;
    const long long size = std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1;
    std::fclose(file);
    if (failed) {
        result.outcome = SourceFile::Outcome::Refused;
        result.why = std::strerror(error);
    } else if (result.text.size() > MAX_SOURCE_BYTES) {
        result.outcome = SourceFile::Outcome::TooLong;
        result.size = size > 0 ? std::to_string(size) + " bytes"
                               : "over " + std::to_string(MAX_SOURCE_BYTES) + " bytes";
        result.text.clear();
    } else {
        result.outcome = SourceFile::Outcome::Read;
        if (result.text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
            result.text.erase(0, 3);
        }
    }
    return result;
}

std::string readFailure(const SourceFile& file, const std::string& what) {
    if (file.outcome == SourceFile::Outcome::TooLong) {
        return what + " is too long (" + file.size + "); at most " +
               std::to_string(MAX_SOURCE_BYTES) + " bytes are accepted";
    }
    return "cannot read " + what + ": " + file.why;
}

namespace {

std::string joined(const std::string& folder, const std::string& file) {
    if (folder.empty() || file.empty() || file[0] == '/' || file[0] == '\\') {
        return file;
    }
    const char last = folder.back();
    return last == '/' || last == '\\' ? folder + file : folder + "/" + file;
}

// A preprocessor line: the word after '#' and what follows it; false for any other line.
// One without a word ("#", "# 5") is none: no directive this reader acts on has one.
bool directive(const std::string& line, std::string& word, std::string& rest) {
    std::size_t end = 0;
    word = text::directiveWord(line, end);
    if (word.empty()) {
        return false;
    }
    rest = line.substr(text::skipSpaces(line, end));
    return true;
}

std::string leadingName(const std::string& words) {
    return words.substr(0, text::wordEnd(words, 0));
}

// The file an `#include` line names, or false when the line is no include.
bool includedName(const std::string& word, const std::string& rest, std::string& file) {
    if (word != "include" || rest.empty() || (rest[0] != '"' && rest[0] != '<')) {
        return false;
    }
    const std::size_t end = rest.find(rest[0] == '"' ? '"' : '>', 1);
    if (end == std::string::npos) {
        return false;
    }
    file = rest.substr(1, end - 1);
    return true;
}

// +1 for a directive that opens a conditional block, -1 for one that closes it.
int nestingStep(const std::string& word) {
    return word == "if" || word == "ifdef" || word == "ifndef" ? 1 : word == "endif" ? -1 : 0;
}

// The lines of a text with comments taken out and blank lines left out.
std::vector<std::string> significantLines(const std::string& source) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < source.size();) {
        const text::Lexeme l = text::lexemeAt(source, i);
        if (source[i] == '\n') {
            lines.emplace_back();
        } else if (l.kind != text::Piece::Comment && source[i] != '\r') {
            lines.back().append(source, i, l.end - i);
        }
        i = l.end;
    }
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [](const std::string& l) {
                                   return l.find_first_not_of(" \t") == std::string::npos;
                               }),
                lines.end());
    return lines;
}

// The guard of a file whose whole text is one `#ifndef X` / `#define X` ... `#endif` block (or
// `#if !defined(X)`): once X is defined, pasting the file again adds nothing. "" for others.
std::string guardOf(const std::string& text) {
    const std::vector<std::string> lines = significantLines(text);
    std::string word, rest, guard;
    if (lines.size() < 3 || !directive(lines[0], word, rest)) {
        return "";
    }
    if (word == "ifndef") {
        guard = leadingName(rest);
    } else if (word == "if" && rest.compare(0, 1, "!") == 0) {
        std::string negated = rest.substr(rest.find_first_not_of(" \t", 1));
        if (negated.compare(0, 7, "defined") == 0) {
            negated = negated.substr(7);
            negated.erase(0, negated.find_first_not_of(" \t("));
            guard = leadingName(negated);
        }
    }
    if (guard.empty() || !directive(lines[1], word, rest) || word != "define" ||
        leadingName(rest) != guard) {
        return "";
    }
    int depth = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (directive(lines[i], word, rest)) {
            depth += nestingStep(word);
        }
        if (depth == 0) {
            return i + 1 == lines.size() ? guard : "";
        }
    }
    return "";
}

// glslang reads the name of a #line marker as a string without escapes, but in a block the
// preprocessor skips it takes a backslash for one and refuses the source: a Windows path is
// written with forward slashes, which name the same file there.
std::string marker(int line, const std::string& name) {
    std::string shown = name;
    std::replace(shown.begin(), shown.end(), '\\', '/');
    return "#line " + std::to_string(line) + " \"" + shown + "\"\n";
}

std::string at(const std::string& name, int line) {
    return errorPrefix(name, line);
}

// The line a byte offset of a text is on, counted from 1.
int lineOf(const std::string& text, std::size_t offset) {
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + offset, '\n'));
}

// A file an include names, read once however often it is named.
struct Included {
    SourceFile file;
    std::string guard;
};

// A file being pasted: the includes it names are pasted inside it.
struct Paste {
    std::string path;
    std::string folder;  // where its includes are looked for first
    std::string guard;
    // Reached whichever way the conditional blocks around its #include go.
    bool certain = false;
};

class Expander {
  public:
    explicit Expander(const SourceOptions& options) : options_(options) {}

    bool expand(const std::string& text, const Paste& paste, std::string& out) {
        const std::size_t nul = text.find('\0');
        if (nul != std::string::npos) {
            listing_ +=
                at(paste.path, lineOf(text, nul)) + "a NUL character: this is not a source text\n";
            return false;
        }
        pastes_.push_back(paste);
        const bool done = expandLines(text, out);
        pastes_.pop_back();
        return done;
    }

    const std::string& listing() const { return listing_; }
    int rewrites() const { return rewrites_; }

  private:
    bool expandLines(const std::string& text, std::string& out) {
        const std::string name = pastes_.back().path;
        std::istringstream lines(text);
        std::string line, word, rest, file;
        // Conditional blocks open around this line, the file's own guard not counted.
        int depth = pastes_.back().guard.empty() ? 0 : -1;
        for (int number = 1; std::getline(lines, line); ++number) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            const bool isDirective = directive(line, word, rest);
            if (isDirective && word == "pragma" && leadingName(rest) == "once") {
                onceFiles_.insert(name);
                ++rewrites_;
                out += "\n";
                continue;
            }
            if (isDirective && word == "undef") {
                definedGuards_.erase(leadingName(rest));
            }
            depth += isDirective ? nestingStep(word) : 0;
            if (!isDirective || !includedName(word, rest, file)) {
                out += line + "\n";
                continue;
            }
            ++rewrites_;
            if (!include(file, number, depth <= 0 && pastes_.back().certain, out)) {
                return false;
            }
        }
        return true;
    }

    // Pastes the file line `number` of the current file names, or says why not.
    bool include(const std::string& file, int number, bool certain, std::string& out) {
        const std::string name = pastes_.back().path;
        std::string path;
        const Included& found = find(file, pastes_.back().folder, path);
        if (found.file.outcome == SourceFile::Outcome::Missing) {
            // Left to the preprocessor: an include inside a branch that is not taken is no
            // error, and one that is gets reported with its line.
            out += "#error cannot open the include file \"" + file + "\"\n";
            return true;
        }
        if (found.file.outcome != SourceFile::Outcome::Read) {
            listing_ += at(name, number) +
                        readFailure(found.file, "the include file \"" + file + "\"") + "\n";
            return false;
        }
        if (onceFiles_.count(path) != 0 || pastedAlready(found.guard)) {
            out += "\n";
            return true;
        }
        if (const std::string cycle = cycleTo(path); !cycle.empty()) {
            listing_ += at(name, number) + "the includes form a cycle: " + cycle + "\n";
            return false;
        }
        if (pastes_.size() > MAX_INCLUDE_DEPTH) {
            listing_ += at(name, number) + "includes nest deeper than " +
                        std::to_string(MAX_INCLUDE_DEPTH) + " files\n";
            return false;
        }
        if (certain && !found.guard.empty()) {
            definedGuards_.insert(found.guard);
        }
        out += marker(1, path);
        if (!expand(found.file.text, Paste{path, folderOf(path), found.guard, certain}, out)) {
            return false;
        }
        out += "\n" + marker(number + 1, name);
        if (out.size() > MAX_SOURCE_BYTES) {
            listing_ += at(name, number) + "with this include the source grows past " +
                        std::to_string(MAX_SOURCE_BYTES) + " bytes\n";
            return false;
        }
        return true;
    }

    // A guarded file adds nothing once its guard is defined: by a paste that surely took place,
    // or by one that is still going on around this include.
    bool pastedAlready(const std::string& guard) const {
        if (guard.empty()) {
            return false;
        }
        return definedGuards_.count(guard) != 0 ||
               std::any_of(pastes_.begin(), pastes_.end(),
                           [&guard](const Paste& p) { return p.guard == guard; });
    }

    // "a.h -> b.h -> a.h" when `path` is being pasted already, else "".
    std::string cycleTo(const std::string& path) const {
        auto first = std::find_if(pastes_.begin(), pastes_.end(),
                                  [&path](const Paste& p) { return p.path == path; });
        std::string cycle;
        for (auto p = first; p != pastes_.end(); ++p) {
            cycle += p->path + " -> ";
        }
        return first == pastes_.end() ? "" : cycle + path;
    }

    const Included& find(const std::string& file, const std::string& folder, std::string& path) {
        path = joined(folder, file);
        const Included* found = &read(path);
        // A tree whose files moved after their includes were written names the shared file with
        // more "../" than it now takes: within the -I folders those steps up are tried without.
        for (std::string rest = file; found->file.outcome == SourceFile::Outcome::Missing;) {
            for (const std::string& dir : options_.includeDirs) {
                path = joined(dir, rest);
                found = &read(path);
                if (found->file.outcome != SourceFile::Outcome::Missing) {
                    return *found;
                }
            }
            if (rest.compare(0, 3, "../") != 0) {
                break;
            }
            rest.erase(0, 3);
        }
        return *found;
    }

    const Included& read(const std::string& path) {
        auto known = files_.find(path);
        if (known == files_.end()) {
            Included file{readSourceFile(path), ""};
            file.guard = guardOf(file.file.text);
            known = files_.emplace(path, std::move(file)).first;
        }
        return known->second;
    }

    const SourceOptions& options_;
    std::map<std::string, Included> files_;
    std::vector<Paste> pastes_;
    std::set<std::string> onceFiles_;
    std::set<std::string> definedGuards_;
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

std::string definitionProblem(const SourceOptions& options) {
    std::map<std::string, std::string> values;
    for (const std::string& d : options.defines) {
        const std::size_t eq = d.find('=');
        const std::string name = d.substr(0, eq);
        const std::string value = eq == std::string::npos ? "1" : d.substr(eq + 1);
        const std::string shown = "-D" + d.substr(0, d.find_first_of("\r\n"));
        if (name.empty() || leadingName(name) != name ||
            std::isdigit(static_cast<unsigned char>(name[0])) != 0) {
            return shown + ": a macro name must come first";
        }
        if (value.find_first_of("\r\n") != std::string::npos) {
            return shown + ": the value has a line break";
        }
        const auto known = values.emplace(name, value).first;
        if (known->second != value) {
            return "-D" + name + " is given twice, as \"" + known->second + "\" and \"" + value +
                   "\"";
        }
    }
    return "";
}

ExpandedSource expandCgSource(const std::string& text, const std::string& name,
                              const std::string& baseDir, const SourceOptions& options) {
    ExpandedSource result;
    if (const std::string problem = definitionProblem(options); !problem.empty()) {
        result.listing = format(CgError{"", NO_LOCATION, problem});
        return result;
    }
    std::string body;
    Expander expander(options);
    result.ok = expander.expand(text, Paste{name, baseDir, "", true}, body);
    result.listing = expander.listing();
    // Without includes or definitions the text goes on as it came, markers and all.
    const std::string defines = definitions(options);
    if (defines.empty() && expander.rewrites() == 0) {
        result.text = text;
    } else {
        result.text = defines + marker(1, name) + body;
    }
    if (result.ok && result.text.size() > MAX_SOURCE_BYTES) {
        result.ok = false;
        result.listing += format(CgError{
            name, 0,
            "the source with its includes is " + std::to_string(result.text.size()) +
                " bytes long; at most " + std::to_string(MAX_SOURCE_BYTES) + " are accepted"});
    }
    return result;
}

ExpandedSource readCgSource(const std::string& path, const SourceOptions& options) {
    const SourceFile file = readSourceFile(path);
    if (file.outcome != SourceFile::Outcome::Read) {
        ExpandedSource failed;
        failed.listing = format(CgError{path, 0, readFailure(file, "the file")});
        return failed;
    }
    return expandCgSource(file.text, path, folderOf(path), options);
}

namespace {

bool isProfileOption(const std::string& option, const std::vector<std::string>& known) {
    return std::find(known.begin(), known.end(), option.substr(0, option.find('='))) != known.end();
}

// The options of "-po A=1,B": each one the profile does not take is a message in `unknown`.
void checkProfileOptions(const std::string& list, const std::vector<std::string>& known,
                         std::string& unknown) {
    for (std::size_t from = 0; from <= list.size();) {
        const std::size_t comma = std::min(list.find(',', from), list.size());
        const std::string option = list.substr(from, comma - from);
        if (!isProfileOption(option, known)) {
            unknown += "warning: the profile option \"" + option + "\" is ignored\n";
        }
        from = comma + 1;
    }
}

}  // namespace

SourceOptions parseCompilerArgs(const char* const* args,
                                const std::vector<std::string>& profileOptions,
                                std::string& unknown) {
    SourceOptions options;
    for (; args != nullptr && *args != nullptr; ++args) {
        const std::string arg = *args;
        if ((arg == "-po" || arg == "-profileopts") && args[1] != nullptr) {
            checkProfileOptions(*++args, profileOptions, unknown);
            continue;
        }
        if (isProfileOption(arg, profileOptions)) {
            continue;
        }
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
