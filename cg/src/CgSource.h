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
    // "<file>(<line>) : error: ..." lines when a file cannot be read or includes go too deep.
    std::string listing;
};

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
// "-IDIR", "-I DIR"); anything else is a message in `unknown`, one line each.
SourceOptions parseCompilerArgs(const char* const* args, std::string& unknown);

}  // namespace cgrt
