// Every Windows program of the project that loads shaders starts here: either as what it is
// (programMain, its own main renamed at build time) or as its own shader translator.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "CgChild.h"

int programMain(int argc, char** argv);

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], cgrt::TRANSLATOR_OPTION) == 0) {
        return cgrt::serveTranslations();
    }
    // Wine hands an X display's name down in DISPLAY, which freeglut on Windows takes for a
    // device to measure the screen by, and warns when there is no such device.
    _putenv("DISPLAY=");
    // The messages end their lines as on Linux, whatever reads them.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    return programMain(argc, argv);
}
