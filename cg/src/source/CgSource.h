// The source as Cg reads it before compiling: `#include "file"` resolved against the including
// file's folder, then the -I folders, and -D definitions. The result is one text with #line
// markers, so that a diagnostic names the file and line it comes from, included or not.
#pragma once

#include <string>
#include <vector>

namespace cgrt {

struct SourceOptions {
    std::vector<std::string> includeDirs;
    std::vector<std::string> defines;  // "NAME" or "NAME=VALUE", as -D takes them
};

struct ExpandedSource {
    bool ok = false;
    std::string text;
    // "<file>(<line>) : error: ..." lines, the line the one that names the file at fault: a file
    // that cannot be read, is no regular file or text, is too long, includes that form a cycle or
    // nest too deep, or grow the source past MAX_SOURCE_BYTES; or bad -D definitions.
    std::string listing;
};

// One file a source names, read through the same guards whoever names it.
struct SourceFile {
    enum class Outcome { Read, Missing, Refused, TooLong };
    Outcome outcome = Outcome::Missing;
    std::string text;  // without a UTF-8 byte-order mark
    std::string why;   // for Missing and Refused
    std::string size;  // for TooLong, as far as it is known ("200000000 bytes")
};

// Reads a regular file of at most MAX_SOURCE_BYTES bytes, and never more than one byte past that.
SourceFile readSourceFile(const std::string& path);
// "cannot read <what>: <why>" or "<what> is too long (...)": what a failed read says of it.
std::string readFailure(const SourceFile& file, const std::string& what);

// What is wrong with the -D definitions ("" when nothing): a name missing or no identifier, a
// line break in a value (it would start a directive of its own), a name defined twice apart.
std::string definitionProblem(const SourceOptions& options);

// Reads `path` and everything it includes.
ExpandedSource readCgSource(const std::string& path, const SourceOptions& options);
// The same for a text held in memory: its includes are looked for beside `baseDir` first. An
// include not found there nor in the -I folders is tried in the -I folders once more with each
// leading "../" taken off in turn.
ExpandedSource expandCgSource(const std::string& text, const std::string& name,
                              const std::string& baseDir, const SourceOptions& options);

// "dir/" of "dir/file.cg"; "" for a bare file name.
std::string folderOf(const std::string& path);

// Picks -D and -I out of the compiler arguments a program is created with ("-DNAME=V", "-D NAME",
// "-IDIR", "-I DIR"). A profile option among `profileOptions` ("NumTemps=32", alone or in
// "-po LIST") is taken without a word and changes nothing; anything else is a message in
// `unknown`, one line each.
SourceOptions parseCompilerArgs(const char* const* args,
                                const std::vector<std::string>& profileOptions,
                                std::string& unknown);

}  // namespace cgrt
