// Every Windows program of the project that loads shaders calls this first: started with
// TRANSLATOR_OPTION, it is the shader translator of another copy of itself and ends here.
#include "PlatformStart.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "CgChild.h"
#include "CgIsolation.h"

void startPlatform(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], cgrt::TRANSLATOR_OPTION) == 0) {
        std::exit(cgrt::serveTranslations());
    }
    // Wine hands an X display's name down in DISPLAY, which freeglut on Windows takes for a
    // device to measure the screen by, and warns when there is no such device.
    _putenv("DISPLAY=");
    // The messages end their lines as on Linux, whatever reads them.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    cgrt::prepareTranslations();
}
