// Opening a shader file: each system has its own way to refuse what is not a regular file.
#pragma once

#include <cstdio>
#include <string>

// Opens a regular file for reading; anything else (a FIFO, a device, a folder) is refused before
// a read could block on it. Null when refused, with the reason in `why`; `missing` tells a path
// that names nothing (so that the next place may be tried) from one that names the wrong thing.
std::FILE* openRegularFile(const char* path, std::string& why, bool& missing);
